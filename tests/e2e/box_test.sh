#!/bin/sh
# End-to-end test of a message box that holds nothing up, under a virtual X display: the
# built-in ROM's tape page (key 5) asks for its demo tape, which is not there, and while
# the "File not found" box is up the machine stands still, yet the automation server
# answers and F3 (an empty slot: a second box, waiting behind the first) and F2 (the state
# saved) are carried out. Part "quit": a `quit` request with the boxes still up ends the
# program with exit code 0. Part "enter": Enter closes the boxes one after the other and
# the machine goes on. Every step waits for what it brings about (a line of the program's
# output, a file, the server's answer, the picture), never for a fixed time.
#   box_test.sh PROGRAM quit|enter
# Needs Xvfb, xdotool and curl.
set -eu
program=$1
part=${2:-quit}
. "$(dirname "$0")/harness.sh"
begin_test "box test ($part)" "Xvfb xdotool curl" "$@"
mkdir "$work/roms" "$work/tapes" # no ROM images: the built-in ROM runs; no tapes

"$program" --rom-dir "$work/roms" --tape-dir "$work/tapes" --no-sound --mcp-http 0 \
  --type 5 >"$work/out.txt" 2>&1 &
pid=$!

mcp_connect
find_window
xdotool mousemove --window "$window" 480 300 # keys go to the window under the pointer

# The ROM starts, its tape page asks for the tape: the box comes up.
wait_for "File not found box" 60 said "File not found"
before=$(mcp_status cycles)

# The program's keys with the box up: F3 on the empty slot 1 (a box of its own, shown
# after the first) and F2, which saves the machine to it. Each key is held until the
# program has carried it out.
hold_until F3 "F3 carried out with the box up" 30 said "Slot 1 is empty"
hold_until F2 "F2 carried out with the box up" 30 said "saved the state to slot 1"
slot=$(sed -n 's/.*saved the state to slot 1 (\(.*\))$/\1/p' "$work/out.txt" | head -n 1)
[ -s "$slot" ] || fail "no state file in slot 1 ($slot)"
after=$(mcp_status cycles)
[ "$before" = "$after" ] || fail "the machine ran with the box up ($before, then $after cycles)"

if [ "$part" = enter ]; then
  # Enter closes the boxes one after the other, each press held until the window shows it
  # (the next box, or none); then the machine goes on.
  moved() { [ "$(mcp_status cycles)" != "$before" ]; }
  presses=0
  until moved; do
    presses=$((presses + 1))
    [ "$presses" -le 5 ] || fail "the machine did not go on after Enter closed the boxes"
    capture before_enter || fail "cannot capture the window"
    xdotool keydown Return
    shot_changed before_enter after_enter "box closed by Enter"
    xdotool keyup Return
  done
fi

# quit from the server ends the program (with the boxes up, in part "quit").
mcp quit >/dev/null || fail "quit was not answered"
end_of_program "end after quit"
[ "$status" -eq 0 ] || fail "exit code $status after quit"
echo "box test ($part) passed"
