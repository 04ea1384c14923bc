#!/bin/sh
# End-to-end test of save states, rewind and screenshots in the desktop program under a
# virtual X display, on the built-in ROM (whose clock shows emulated time on every page):
# F2 saves slot 1 on the welcome page, 4 turns to the graphics page, F3 brings the welcome
# page back; F4 held longer than the history since the load goes back to the loaded frame
# and stays there (an F12 screenshot then is the same picture as one taken at that frame
# after loading again), and time runs on once F4 is let go. The screenshots land in
# $XDG_PICTURES_DIR/ollendor under names of their own.
#   states_test.sh PROGRAM
# Needs Xvfb, xdotool and ImageMagick (import, compare, identify).
set -eu
program=$1
for tool in Xvfb xdotool import compare identify; do
  command -v $tool >/dev/null || { echo "states test: $tool not installed"; exit 1; }
done
if [ -z "${OLLENDOR_IN_XVFB:-}" ]; then
  OLLENDOR_IN_XVFB=1 exec "$(dirname "$0")/with_x_server.sh" "$0" "$@"
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/roms" # no ROM images: the built-in ROM runs
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_PICTURES_DIR="$work/pictures"
slot="$work/data/ollendor/states/slot1.state"
shots="$work/pictures/ollendor"

"$program" --rom-dir "$work/roms" --no-sound >"$work/out.txt" 2>&1 &
pid=$!

fail() {
  echo "states test: $*"
  cat "$work/out.txt"
  kill "$pid" 2>/dev/null || true
  exit 1
}

window=""
for i in $(seq 1 300); do
  window=$(xdotool search --name '^Ollendor$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended before its window appeared"
  sleep 0.1
done
[ -n "$window" ] || fail "no window titled Ollendor"
sleep 1.5
xdotool mousemove --window "$window" 480 300 # keys go to the window under the pointer

capture() { import -window "$window" "$work/$1.png" || fail "cannot capture the window"; }
# Pixels that differ between two pictures.
differing() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1 || true; }
# Waits up to 5 s for a file to appear.
appears() {
  for i in $(seq 1 50); do [ -e "$1" ] && return 0; sleep 0.1; done
  return 1
}
# The clock's digits differ between two moments of one page (a few thousand pixels at
# scale 3); another page differs nearly everywhere.
page_limit=20000

# F2 on the welcome page.
capture welcome
xdotool key F2
appears "$slot" || fail "F2 wrote no $slot"
grep -q "saved the state to slot 1" "$work/out.txt" || fail "no word of the save"

# Another page (the machine reads its keys once a frame: the key is held for a while), then
# F3: the welcome page is back.
xdotool keydown 4
sleep 0.3
xdotool keyup 4
sleep 1
capture graphics
[ "$(differing welcome graphics)" -gt $page_limit ] || fail "key 4 did not change the page"
xdotool key F3
sleep 0.5
capture loaded
[ "$(differing welcome loaded)" -lt $page_limit ] || fail "F3 did not bring the saved page back ($(differing welcome loaded) pixels differ)"
[ "$(differing graphics loaded)" -gt $page_limit ] || fail "F3 left the graphics page"

# F4 held for longer than the 2.5 s since the load: back at the loaded frame, staying there.
sleep 2.5
capture before_rewind
xdotool keydown F4
sleep 5
capture rewound
xdotool key F12
appears "$shots" || fail "F12 made no folder $shots"
sleep 0.5
xdotool keyup F4
[ "$(differing before_rewind rewound)" -gt 0 ] || fail "holding F4 changed nothing"
sleep 1.5
capture live
[ "$(differing rewound live)" -gt 0 ] || fail "time did not run on after F4 was let go"

# Load again and hold F4 at once: the loaded frame again, the same picture to the pixel.
xdotool key F3
xdotool keydown F4
sleep 1.5
xdotool key F12
sleep 0.5
xdotool keyup F4
for i in $(seq 1 50); do [ "$(ls "$shots" | wc -l)" -ge 2 ] && break; sleep 0.1; done
set -- $(ls "$shots")
[ $# -eq 2 ] || fail "expected two screenshots in $shots, found: $*"
for name in "$@"; do
  echo "$name" | grep -Eq '^ollendor-[0-9]{4}(-[0-9]{2}){5}(-[0-9]+)?\.png$' || fail "screenshot named $name"
  [ "$(identify -format '%w %h' "$shots/$name")" = "320 200" ] || fail "$name is not a 320 x 200 picture"
done
shot_difference=$(compare -metric AE "$shots/$1" "$shots/$2" null: 2>&1 | cut -d' ' -f1 || true)
[ "$shot_difference" = 0 ] || fail "the frame reached by rewinding differs from the loaded frame ($shot_difference pixels)"
grep -q "screenshot saved to $shots/" "$work/out.txt" || fail "no word of where the screenshot went"

kill -0 "$pid" 2>/dev/null || fail "the program ended"
kill -TERM "$pid"
wait "$pid" && status=0 || status=$?
[ "$status" -eq 0 ] || fail "exit code $status after SIGTERM"
echo "states test passed"
