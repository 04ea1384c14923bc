#!/bin/sh
# The windowed program and the headless one run the same emulated frames: with the same
# --type and --frames, the --screenshot of a window on a virtual X display (paced at the
# machine's own speed, the window served while it waits) is the headless one pixel for
# pixel. The built-in ROM runs (an empty ROM folder); its clock shows emulated time.
#   frames  --type 2, the keyboard page with its clock: --frames counts frames of emulated
#           time only, never the window's repaints while the pacing waits
#   type    --type '3    4': every typed key reaches the machine in the speed-limited
#           window too, so both end on page 4 (and not on page 3, where a dropped key
#           would leave them)
#   loop_test.sh PROGRAM frames|type
# Needs Xvfb and ImageMagick's compare.
set -eu
program=$1
part=$2
. "$(dirname "$0")/harness.sh"
begin_test "loop test ($part)" "Xvfb compare" "$@"

case $part in
frames) text=2 ;;
type) text='3    4' ;;
*) fail "unknown part" ;;
esac
# 100 frames are 3.3 s of emulated time: the typing (from frame 30, six frames a key) is
# over and the page drawn by then.
frames=100
mkdir "$work/roms"

"$program" --rom-dir "$work/roms" --no-sound --type "$text" --frames $frames \
  --screenshot "$work/window.png" >"$work/out.txt" 2>&1 || fail "the windowed run failed"
"$program" --headless --rom-dir "$work/roms" --type "$text" --frames $frames \
  --screenshot "$work/headless.png" >>"$work/out.txt" 2>&1 || fail "the headless run failed"

difference=$(compare -metric AE "$work/window.png" "$work/headless.png" null: 2>&1 || true)
[ "$difference" = "0" ] ||
  fail "the windowed picture differs from the headless one in $difference pixels"

if [ "$part" = type ]; then
  # The text did reach the last key's page: the picture is not the one of "3" alone.
  "$program" --headless --rom-dir "$work/roms" --type 3 --frames $frames \
    --screenshot "$work/page3.png" >>"$work/out.txt" 2>&1 || fail "the headless run of 3 failed"
  difference=$(compare -metric AE "$work/headless.png" "$work/page3.png" null: 2>&1 || true)
  [ "$difference" != "0" ] || fail "'3    4' ended on the page of 3"
fi
echo "loop test ($part) passed"
