#!/bin/sh
# A long headless run of the built-in ROM with the memory use watched.
#   tools/long_run.sh BUILD_DIR FRAMES [extra ollendor options...]
# The ROM folder is empty, so the built-in ROM set runs. Types its way through the ROM's
# pages (the demo tape, sound, then Graphics II with sprites), writes the sound to a WAV
# file, samples VmRSS ten times a second, and prints the samples' first, last and largest
# values with the run's maximum resident set size and time from /usr/bin/time.
# 30 frames are about one second of emulated time: 18030 frames are ten minutes.
set -eu
build=$1 frames=$2
shift 2
work=$(mktemp -d /tmp/ollendor-long-run.XXXXXX)
mkdir "$work/no-roms" # no image files: the built-in ROM set runs
trap 'rm -rf "$work"' EXIT

/usr/bin/time -v -o "$work/time.txt" "$build/ollendor" --headless --frames "$frames" \
    --rom-dir "$work/no-roms" --tape-dir "$build/tapes" --type '5          3          4' \
    --wav "$work/sound.wav" --screenshot "$work/last.png" "$@" &
pid=$!
# /usr/bin/time's child is the emulator.
sleep 0.2
child=$(pgrep -P "$pid" || true)
while kill -0 "$pid" 2>/dev/null; do
    if [ -n "$child" ] && [ -r "/proc/$child/status" ]; then
        sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$child/status" >>"$work/rss.txt" 2>/dev/null || true
    fi
    sleep 0.1
done
wait "$pid"
status=$?

echo "frames: $frames, exit status: $status"
if [ -s "$work/rss.txt" ]; then
    echo "VmRSS samples (kB): $(wc -l <"$work/rss.txt") taken, first $(head -n 1 "$work/rss.txt")," \
         "last $(tail -n 1 "$work/rss.txt"), largest $(sort -n "$work/rss.txt" | tail -n 1)"
fi
grep -E "Maximum resident|Elapsed|User time" "$work/time.txt"
echo "WAV bytes: $(stat -c %s "$work/sound.wav")"
exit $status
