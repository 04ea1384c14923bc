#!/bin/sh
# End-to-end test of the debugger's views under a virtual X display, on the built-in ROM's
# graphics page: the Debug menu opens and every view opens from it; while a text field of
# a view has the keyboard the emulated machine sees no key (the page stays), and once the
# field is left it does (the page changes); F6 pauses and F7 steps (the listing changes); a
# click in the address column of the line at PC sets a breakpoint (its red dot appears);
# F5 runs on; text typed into a view's field arrives there; the program stays alive
# throughout and SIGTERM ends it with exit code 0.
# Every step waits for what it brings about (the picture, the machine's state and frame
# count from the automation server), never for a fixed time.
# Screenshots of each stage are left in the folder named by OLLENDOR_SHOTS, if set.
#   debugger_test.sh PROGRAM
# Needs Xvfb, xdotool, curl and ImageMagick (import, convert, compare).
set -eu
program=$1
. "$(dirname "$0")/harness.sh"
begin_test "debugger test" "Xvfb xdotool curl import convert compare" "$@"
mkdir "$work/roms" # no ROM images: the built-in ROM runs

"$program" --rom-dir "$work/roms" --no-sound --mcp-http 0 >"$work/out.txt" 2>&1 &
pid=$!
alive() { kill -0 "$pid" 2>/dev/null || fail "the program ended: $1"; }

mcp_connect
find_window

shot() { # name: captures the window
  capture "$1" || fail "cannot capture the window"
  if [ -n "${OLLENDOR_SHOTS:-}" ]; then cp "$work/$1.png" "$OLLENDOR_SHOTS/"; fi
}
# The machine, as the automation server gives it.
frame() { mcp_status frame; }
at_frame() { [ "$(frame)" -ge "$1" ]; }
paused() { mcp get_status | grep -q '"state":"paused"'; }
running() { ! paused; }
# Emulated time: N frames from now (the machine running).
frames_pass() { wait_for "$1 frames of the machine" 60 at_frame $(($(frame) + $1)); }
# The program has served what was sent to its windows: the server's requests are answered
# between passes of the loop, after its events; six answers in a row span at least three
# whole passes, each with its frame of the widgets, presented.
served() { for i in 1 2 3 4 5 6; do mcp_status frame >/dev/null; done; }
# A click, carried out.
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; served; }
# A key of the machine's, held over a few frames of the machine, then let go for a few.
tap() { xdotool keydown "$1"; frames_pass 5; xdotool keyup "$1"; frames_pass 5; }
# A key of the widgets', down for one frame of them at least.
key() { xdotool keydown "$1"; served; xdotool keyup "$1"; served; }
# The page the machine shows, by the picture's border: 000000 on the graphics page (with
# the views, at the picture panel's right edge), 0000CC on the welcome page.
border_is() { [ "$(pixel "$1" "$2" "$3")" = "$4" ]; }
# The Debug menu is open: it covers the window's middle in white.
menu_open() { [ "$(convert "$work/$1.png" -format "%[hex:p{500,380}]%[hex:p{900,250}]%[hex:p{300,455}]" info:)" = FFFFFFFFFFFFFFFFFF ]; }
# Still: two captures in a row the same (the machine paused).
still() { shot_settled "$1" "$2"; [ -z "${OLLENDOR_SHOTS:-}" ] || cp "$work/$1.png" "$OLLENDOR_SHOTS/"; }

# The menu bar: "Stuff", "Machine", then "Debug"; the Debug menu's items one below the
# other (17 pixels apart, 4 more after each separator); its views from "CPU" on. With a view
# open the picture is a 640 x 400 panel at the top left (its right border at x 620) and the
# views are tiled beside and below it.
debug_x=145
first_view_y=233
open_menu() {
  xdotool mousemove --window "$window" $debug_x 8 click 1
  shot_until menu "the Debug menu" 30 menu_open menu
}
open_view() { # index in the menu's list of views
  open_menu
  click 100 $((first_view_y + 17 * $1))
  alive "after opening view $1"
}

# The graphics page: the border on the right is the black backdrop (blue on the first page).
wait_for "the welcome page" 60 at_frame 75
xdotool mousemove --window "$window" 700 400
xdotool keydown 4
shot_until graphics "the graphics page" 30 border_is graphics 940 300 000000
xdotool keyup 4
frames_pass 5

# The Debug menu opens over the picture; from it, the disassembly alone (the column right of
# the picture), whose address field takes the keyboard: a 1 typed there is not the machine's
# (25 frames on, the page is still the graphics page).
open_menu
click 100 $((first_view_y + 17))
alive "after opening the disassembly"
click 700 53
tap 1
frames_pass 25
shot typing
border_is typing 620 200 000000 || fail "a key typed into a text field reached the machine"
key Escape
click 300 300 # on the picture: the field lets go of the keyboard
xdotool keydown 1
shot_until welcome "the welcome page: with no field active the machine sees the key" 30 border_is welcome 620 200 0000CC
xdotool keyup 1
xdotool keydown 4
shot_until graphics2 "the graphics page again" 30 border_is graphics2 620 200 000000
xdotool keyup 4
frames_pass 5

# Paused, the address field takes what is typed: two addresses give two listings (with
# no characters reaching the field both would show the same complaint).
xdotool mousemove --window "$window" 480 8
xdotool key F6
wait_for "the pause after F6" 30 paused
clear_field() { key End; for i in 1 2 3 4 5 6 7 8; do key BackSpace; done; }
click 700 53
clear_field
xdotool type --delay 60 "0100"
key Return
still goto1 "the listing at 0100"
click 700 53
clear_field
xdotool type --delay 60 "0200"
key Return
still goto2 "the listing at 0200"
convert "$work/goto1.png" -crop 300x300+650+70 "$work/listing1.png"
convert "$work/goto2.png" -crop 300x300+650+70 "$work/listing2.png"
differs listing1 listing2 || fail "typing an address into the disassembly's field changed nothing"
errors=$(convert "$work/goto2.png" -crop 300x300+650+40 txt:- | grep -ci "#BF0D0D" || true)
[ "$errors" -eq 0 ] || fail "the disassembly did not take the address typed (it shows an error)"
click 300 300
xdotool key F5
wait_for "the run after F5" 30 running

# Every other view.
for view in 0 2 3 4 5 6 7 8 9 10 11; do
  open_view $view
done
served
shot views
differs graphics views || fail "the views did not show"

# Pause and step.
xdotool mousemove --window "$window" 480 8
xdotool key F6
wait_for "the pause after F6" 30 paused
still paused "the paused views"
# A step moves the cycle count on (the PC stays put on a HALT).
cycles=$(mcp_status cycles)
stepped_on() { [ "$(mcp_status cycles)" != "$cycles" ]; }
xdotool key F7
wait_for "the first step (F7)" 30 stepped_on
cycles=$(mcp_status cycles)
xdotool key F7
wait_for "the second step (F7)" 30 stepped_on
still stepped "the views after two steps"
differs paused stepped || fail "F7 changed nothing in the views"
alive "after stepping"

# Arrange views puts every view on its tile again; then every view but the Disassembly is
# closed, which has the column right of the picture to itself.
open_menu
click 100 $((first_view_y + 17 * 13 + 4))
for view in 0 2 3 4 5 6 7 8 9 10 11; do
  open_view $view
done
xdotool mousemove --window "$window" 480 600
still listing "the listing alone"
# The line at PC has a yellow band: its address column takes the click.
pc_y=""
for y in $(seq 60 600); do
  if [ "$(pixel listing 840 $y)" = "FFE278" ]; then pc_y=$((y + 6)); break; fi
done
[ -n "$pc_y" ] || fail "no line at PC in the listing"
red_before=$(convert "$work/listing.png" -crop 30x560+640+50 txt:- | grep -ci "#D21E1E" || true)
click 655 "$pc_y"
xdotool mousemove --window "$window" 480 600
still breakpoint "the listing with the breakpoint"
red_after=$(convert "$work/breakpoint.png" -crop 30x560+640+50 txt:- | grep -ci "#D21E1E" || true)
[ "$red_after" -gt "$red_before" ] || fail "no breakpoint dot after the click ($red_before, then $red_after red pixels)"

# Run on: the ROM comes back to the breakpoint and stops there again.
xdotool key F5
at_breakpoint() { mcp get_status | grep -q '"stop_reason":"breakpoint'; }
wait_for "the stop at the breakpoint again" 60 at_breakpoint
alive "after running on"
shot running

kill -TERM "$pid"
end_of_program "the end 10 s after SIGTERM"
[ "$status" -eq 0 ] || fail "exit code $status after SIGTERM"
echo "debugger test passed"
