#!/bin/sh
# End-to-end test of save states, rewind and screenshots in the desktop program under a
# virtual X display, on the built-in ROM (whose clock shows emulated time on every page):
# F2 saves slot 1 on the welcome page, 4 turns to the graphics page, F3 brings the welcome
# page back; F4 held longer than the history since the load goes back to the loaded frame
# and stays there (an F12 screenshot then is the same picture as one taken at that frame
# after loading again), and time runs on once F4 is let go. The screenshots land in
# $XDG_PICTURES_DIR/ollendor under names of their own.
# Every step waits for what it brings about (a file, a line of output, the picture, the
# frame count the automation server gives), never for a fixed time.
#   states_test.sh PROGRAM
# Needs Xvfb, xdotool, curl and ImageMagick (import, compare, identify).
set -eu
program=$1
. "$(dirname "$0")/harness.sh"
begin_test "states test" "Xvfb xdotool curl import compare identify" "$@"
mkdir "$work/roms" # no ROM images: the built-in ROM runs
export XDG_PICTURES_DIR="$work/pictures"
slot="$work/data/ollendor/states/slot1.state"
shots="$work/pictures/ollendor"

"$program" --rom-dir "$work/roms" --no-sound --mcp-http 0 >"$work/out.txt" 2>&1 &
pid=$!

mcp_connect
find_window
xdotool mousemove --window "$window" 480 300 # keys go to the window under the pointer
# The clock's digits differ between two moments of one page (a few thousand pixels at
# scale 3); another page differs nearly everywhere.
page_limit=20000
page_changed() { [ "$(differing "$1" "$2")" -gt $page_limit ]; }
same_page() { [ "$(differing "$1" "$2")" -lt $page_limit ]; }
frame() { mcp_status frame; }
at_frame() { [ "$(frame)" -ge "$1" ]; }
# Rewinding has come to the oldest frame held, at or before the frame given: the count
# stays there for three looks in a row.
rewound_to_oldest() { # FRAME
  now=$(frame)
  if [ "$now" -le "$1" ] && [ "$now" = "${last_frame:-}" ]; then
    still=$((still + 1))
  else
    still=0
  fi
  last_frame=$now
  [ "$still" -ge 2 ]
}
# N screenshots written whole (one being written is a temporary file beside them).
shots_taken() {
  [ "$(ls "$shots" 2>/dev/null | grep -c '\.png$' || true)" -ge "$1" ] &&
    [ "$(ls "$shots" 2>/dev/null | grep -vc '\.png$' || true)" -eq 0 ]
}

# F2 on the welcome page (drawn by frame 75, 1.5 s of emulated time).
wait_for "the welcome page" 60 at_frame 75
capture welcome || fail "cannot capture the window"
hold_until F2 "F2's save" 30 said "saved the state to slot 1"
[ -e "$slot" ] || fail "F2 wrote no $slot"

# Another page (the machine reads its keys once a frame: the key is held until the page
# changed), then F3: the welcome page is back.
xdotool keydown 4
shot_until graphics "the page of key 4" 30 page_changed welcome graphics
xdotool keyup 4
hold_until F3 "F3's load" 30 said "loaded the state of slot 1"
shot_until loaded "the saved page after F3" 30 same_page welcome loaded
page_changed graphics loaded || fail "F3 left the graphics page"

# F4 held for longer than the 2.5 s since the load: back at the loaded frame, staying there.
loaded_at=$(frame)
wait_for "2.5 s after the load" 60 at_frame $((loaded_at + 125))
capture before_rewind || fail "cannot capture the window"
xdotool keydown F4
last_frame="" still=0
wait_for "rewinding to the loaded frame" 60 rewound_to_oldest "$loaded_at"
oldest=$last_frame
capture rewound || fail "cannot capture the window"
xdotool key F12
wait_for "F12's screenshot" 30 shots_taken 1
xdotool keyup F4
differs before_rewind rewound || fail "holding F4 changed nothing"
shot_changed rewound live "time running on after F4 was let go"

# Load again and hold F4 at once: the loaded frame again, the same picture to the pixel.
xdotool key F3
xdotool keydown F4
wait_for "the second load" 30 said "loaded the state of slot 1" 2
last_frame="" still=0
wait_for "rewinding to the loaded frame again" 60 rewound_to_oldest "$oldest"
xdotool key F12
wait_for "the second screenshot" 30 shots_taken 2
xdotool keyup F4
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
end_of_program "the end 10 s after SIGTERM"
[ "$status" -eq 0 ] || fail "exit code $status after SIGTERM"
echo "states test passed"
