#!/bin/sh
# End-to-end test of the debugger's views under a virtual X display, on the built-in ROM's
# graphics page: the Debug menu opens and every view opens from it; while a text field of
# a view has the keyboard the emulated machine sees no key (the page stays), and once the
# field is left it does (the page changes); F6 pauses and F7 steps (the listing changes); a
# click in the address column of the line at PC sets a breakpoint (its red dot appears);
# F5 runs on; text typed into a view's field arrives there; the program stays alive
# throughout and SIGTERM ends it with exit code 0.
# Screenshots of each stage are left in the folder named by OLLENDOR_SHOTS, if set.
#   debugger_test.sh PROGRAM
# Needs Xvfb, xdotool and ImageMagick (import, convert, compare).
set -eu
program=$1
for tool in Xvfb xdotool import convert compare; do
  command -v $tool >/dev/null || { echo "debugger test: $tool not installed"; exit 1; }
done

if [ -z "${OLLENDOR_IN_XVFB:-}" ]; then
  OLLENDOR_IN_XVFB=1 exec "$(dirname "$0")/with_x_server.sh" "$0" "$@"
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Settings of the test's own: the user's are neither read nor written.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir "$work/roms" # no ROM images: the built-in ROM runs

"$program" --rom-dir "$work/roms" --no-sound >"$work/out.txt" 2>&1 &
pid=$!

fail() {
  echo "debugger test: $*"
  cat "$work/out.txt"
  kill "$pid" 2>/dev/null || true
  exit 1
}
alive() { kill -0 "$pid" 2>/dev/null || fail "the program ended: $1"; }

window=""
for i in $(seq 1 300); do
  window=$(xdotool search --name '^Ollendor$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  alive "before its window appeared"
  sleep 0.1
done
[ -n "$window" ] || fail "no window titled Ollendor"
sleep 1.5

shot() { # name: captures the window
  import -window "$window" "$work/$1.png" || fail "cannot capture the window"
  if [ -n "${OLLENDOR_SHOTS:-}" ]; then cp "$work/$1.png" "$OLLENDOR_SHOTS/"; fi
}
pixel() { convert "$work/$1.png" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
differs() { # a b: the captures are not the same
  d=$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 || true)
  [ "${d%% *}" != "0" ]
}
# The pointer is moved, left to settle (the widgets see it hover), then clicked.
click() { xdotool mousemove --window "$window" "$1" "$2"; sleep 0.2; xdotool click 1; sleep 0.4; }
tap() { xdotool keydown "$1"; sleep 0.3; xdotool keyup "$1"; sleep 0.5; }

# The menu bar: "Stuff", "Machine", then "Debug"; the Debug menu's items one below the
# other (17 pixels apart, 4 more after each separator); its views from "CPU" on. With a view
# open the picture is a 640 x 400 panel at the top left (its right border at x 620) and the
# views are tiled beside and below it.
debug_x=145
first_view_y=233
open_view() { # index in the menu's list of views
  click $debug_x 8
  click 100 $((first_view_y + 17 * $1))
  alive "after opening view $1"
}

# The graphics page: the border on the right is the black backdrop (blue on the first page).
xdotool mousemove --window "$window" 700 400
sleep 0.2
tap 4
sleep 1
shot graphics
[ "$(pixel graphics 940 300)" = "000000" ] || fail "not on the graphics page (border $(pixel graphics 940 300))"

# The Debug menu opens over the picture; from it, the disassembly alone (the column right of
# the picture), whose address field takes the keyboard: a 1 typed there is not the machine's.
click $debug_x 8
shot menu
differs graphics menu || fail "the Debug menu did not open"
click 100 $((first_view_y + 17))
alive "after opening the disassembly"
click 700 53
tap 1
shot typing
[ "$(pixel typing 620 200)" = "000000" ] || fail "a key typed into a text field reached the machine"
xdotool key Escape
click 300 300 # on the picture: the field lets go of the keyboard
tap 1
sleep 1
shot welcome
[ "$(pixel welcome 620 200)" = "0000CC" ] || fail "with no field active the machine did not see the key (border $(pixel welcome 620 200))"
tap 4
sleep 1

# Paused, the address field takes what is typed: two addresses give two listings (with
# no characters reaching the field both would show the same complaint).
xdotool mousemove --window "$window" 480 8
sleep 0.2
xdotool key F6
sleep 0.5
# Keys held a moment: a press and release within one frame of the widgets is not seen.
key() { xdotool keydown "$1"; sleep 0.1; xdotool keyup "$1"; sleep 0.1; }
clear_field() { key End; for i in 1 2 3 4 5 6 7 8; do key BackSpace; done; }
click 700 53
clear_field
xdotool type --delay 60 "0100"
key Return
sleep 0.5
shot goto1
click 700 53
clear_field
xdotool type --delay 60 "0200"
key Return
sleep 0.5
shot goto2
convert "$work/goto1.png" -crop 300x300+650+70 "$work/listing1.png"
convert "$work/goto2.png" -crop 300x300+650+70 "$work/listing2.png"
differs listing1 listing2 || fail "typing an address into the disassembly's field changed nothing"
errors=$(convert "$work/goto2.png" -crop 300x300+650+40 txt:- | grep -ci "#BF0D0D" || true)
[ "$errors" -eq 0 ] || fail "the disassembly did not take the address typed (it shows an error)"
click 300 300
xdotool key F5
sleep 0.5

# Every other view.
for view in 0 2 3 4 5 6 7 8 9 10 11; do
  open_view $view
done
sleep 0.5
shot views
differs graphics views || fail "the views did not show"

# Pause and step.
xdotool mousemove --window "$window" 480 8
sleep 0.2
xdotool key F6
sleep 0.6
shot paused
xdotool key F7
sleep 0.4
xdotool key F7
sleep 0.6
shot stepped
differs paused stepped || fail "F7 changed nothing in the views"
alive "after stepping"

# Arrange views puts every view on its tile again; then every view but the Disassembly is
# closed, which has the column right of the picture to itself.
click $debug_x 8
click 100 $((first_view_y + 17 * 13 + 4))
for view in 0 2 3 4 5 6 7 8 9 10 11; do
  open_view $view
done
sleep 0.5
shot listing
# The line at PC has a yellow band: its address column takes the click.
pc_y=""
for y in $(seq 60 600); do
  if [ "$(pixel listing 840 $y)" = "FFE278" ]; then pc_y=$((y + 6)); break; fi
done
[ -n "$pc_y" ] || fail "no line at PC in the listing"
red_before=$(convert "$work/listing.png" -crop 30x560+640+50 txt:- | grep -ci "#D21E1E" || true)
click 655 "$pc_y"
xdotool mousemove --window "$window" 480 600
sleep 0.5
shot breakpoint
red_after=$(convert "$work/breakpoint.png" -crop 30x560+640+50 txt:- | grep -ci "#D21E1E" || true)
[ "$red_after" -gt "$red_before" ] || fail "no breakpoint dot after the click ($red_before, then $red_after red pixels)"

# Run on: the ROM comes back to the breakpoint and stops there again.
xdotool key F5
sleep 1.5
alive "after running on"
shot running

kill -TERM "$pid"
for i in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running 5 s after SIGTERM"
wait "$pid" && status=0 || status=$?
[ "$status" -eq 0 ] || fail "exit code $status after SIGTERM"
echo "debugger test passed"
