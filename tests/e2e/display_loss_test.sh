#!/bin/sh
# End-to-end test of a display that goes away under the running program, while sound plays
# (SDL's dummy audio driver gives a device under Xvfb) and with --screenshot:
#   server        the X server ends
#   kill-main     the window manager kills the main window's client (xdotool windowkill)
#   close-main    the main window is destroyed from outside (xdotool windowclose)
#   close-info    the same for an information window (Stuff -> Sound)
# Each must end within 10 s with exit code 1 and the reason on standard error, never in
# std::terminate (exit code 134), and the screenshot must still be written.
#   display_loss_test.sh PROGRAM ROM_DIR PART
# Needs Xvfb, xdotool and ImageMagick (import, convert, compare, identify).
set -eu
program=$1
romdir=$2
part=$3
. "$(dirname "$0")/harness.sh"
begin_test "display loss test ($part)" "Xvfb xdotool import convert compare identify" "$@"
server=${X_SERVER_PID:-}
export SDL_AUDIODRIVER=dummy

"$program" --rom-dir "$romdir" --screenshot "$work/shot.png" >"$work/out.txt" 2>&1 &
pid=$!
find_window
main=$window
# The picture drawn (the test ROM's border at the left edge, at scale 3), so a frame was
# run and the screenshot has something to show.
border_drawn() { capture main && [ "$(pixel main 2 310)" = 0000CC ]; }
wait_for "the picture in the window" 30 border_drawn

case $part in
server)
  kill "$server"
  ;;
kill-main)
  xdotool windowkill "$main"
  ;;
close-main)
  xdotool windowclose "$main"
  ;;
close-info)
  # Stuff -> Sound, the first item, opens a second window of the same title.
  height=$(xdotool getwindowgeometry --shell "$main" | sed -n 's/^HEIGHT=//p')
  menu=$((height - 600))
  xdotool mousemove --window "$main" 20 8 click 1
  # Open: its light background at its left edge, over the picture's blue border.
  menu_drawn() { convert "$work/menu.png" -format "%[fx:p{8,$((menu + 30))}.r>0.78 && p{8,$((menu + 30))}.b>0.78]" info: | grep -q 1; }
  shot_until menu "the open menu" 30 menu_drawn
  xdotool mousemove --window "$main" 40 $((menu + 16)) click 1
  found_info() { info=$(shown_windows | grep -vx "$main" | head -n 1) && [ -n "$info" ]; }
  wait_for "the Sound window" 30 found_info
  # Drawn: more than one colour in it.
  info_drawn() { grab "$info" "$work/info.png" && [ "$(identify -format %k "$work/info.png")" -gt 1 ]; }
  wait_for "the Sound window drawn" 30 info_drawn
  xdotool windowclose "$info"
  ;;
*)
  fail "unknown part"
  ;;
esac

end_of_program "the end within 10 s of the display going away"
[ "$status" -eq 1 ] || fail "exit code $status, expected 1"
case $part in
server | kill-main) expected="the connection to the X display was lost" ;;
*) expected="the X display refused a request" ;;
esac
grep -q "^ollendor: $expected" "$work/out.txt" || fail "no message \"$expected\""
grep -q "terminate" "$work/out.txt" && fail "std::terminate ran"
[ "$(identify -format '%w %h' "$work/shot.png" 2>/dev/null)" = "320 200" ] ||
  fail "the screenshot was not written"
echo "display loss test ($part) passed"
