#!/bin/sh
# End-to-end test of the desktop program under a virtual X display: start it on the test
# ROM, capture the window and check the picture, toggle full-screen with Alt+f twice, then
# choose "Quit" from the "Stuff" menu with the mouse and expect exit code 0 (part "menu").
# Part "about" opens the About box from the menu and sends SIGTERM while it is open: the
# program must still end at once with exit code 0. Part "box" runs an OS image that switches
# to a mode the renderer does not draw: the "Unsupported mode" box shows, and once OK is
# clicked it is gone from the window although the picture does not change. Each part has
# an X server of its own.
#   window_test.sh PROGRAM ROM_DIR menu|about|box
# Needs Xvfb, xdotool and ImageMagick (import, convert, compare, identify).
set -eu
program=$1
romdir=$2
part=${3:-menu}
for tool in Xvfb xdotool import convert compare identify; do
  command -v $tool >/dev/null || { echo "window test: $tool not installed"; exit 1; }
done

# Each part runs under an X server of its own, which picks its display itself.
if [ -z "${OLLENDOR_IN_XVFB:-}" ]; then
  OLLENDOR_IN_XVFB=1 exec "$(dirname "$0")/with_x_server.sh" "$0" "$@"
fi

# In a sanitizer build the system's X, D-Bus and GL libraries leave allocations behind at
# exit that are not ours; the headless tests check the program's own memory.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work=$(mktemp -d)
# Settings and ROM folders of the test's own: the user's are neither read nor written.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
trap 'rm -rf "$work"' EXIT

"$program" --rom-dir "$romdir" --no-sound >"$work/out.txt" 2>&1 &
pid=$!

fail() {
  echo "window test: $*"
  cat "$work/out.txt"
  kill "$pid" 2>/dev/null || true
  exit 1
}

# The window appears (up to 30 s: the machine may be busy with other tests).
window=""
for i in $(seq 1 300); do
  window=$(xdotool search --name '^Ollendor$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended before its window appeared"
  sleep 0.1
done
[ -n "$window" ] || fail "no window titled Ollendor"
sleep 1.5

# Part "box": the box centred on the window, then OK clicked (press and release at once, as
# a quick click comes) and the still picture without the box.
if [ "$part" = box ]; then
  import -window "$window" "$work/box.png" || fail "cannot capture the window"
  at() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
  centre=$(at "$work/box.png" 480 309)
  picture=$(at "$work/box.png" 200 150)
  [ "$centre" != "$picture" ] || fail "no box over the picture (centre $centre)"
  # OK sits at the box's lower left; the box is centred on the 960 x 619 window.
  xdotool mousemove --window "$window" 440 330 click 1
  sleep 1 # no more input: that would draw the window again anyway
  import -window "$window" "$work/closed.png" || fail "cannot capture the window"
  centre=$(at "$work/closed.png" 480 309)
  picture=$(at "$work/closed.png" 200 150)
  [ "$centre" = "$picture" ] || fail "the box still shows after OK (centre $centre, picture $picture)"
  kill -0 "$pid" 2>/dev/null || fail "ended after OK"
  kill -TERM "$pid"
  wait "$pid" && status=0 || status=$?
  [ "$status" -eq 0 ] || fail "exit code $status after SIGTERM"
  echo "window test passed"
  exit 0
fi

# The open menu's lower edge in a capture: down its left side from below the bar, the
# first of three pixels in a row that are not the menu's light background (a separator is
# one). Quit is the last item, About the one above it; parts of the program add items
# before them, so they are found from the bottom.
menu_bottom() {
  import -window "$window" "$work/open.png" || fail "cannot capture the open menu"
  convert "$work/open.png" -crop 1x600+8+0 +repage -depth 8 txt:- |
    awk -F'[(,)]' -v top="$((menu + 2))" 'NR > 1 && $2 + 0 >= top {
      if ($3 < 200 || $4 < 200 || $5 < 200) { if (++dark == 3) { print $2 - 2; exit } } else dark = 0 }'
}

# The picture: dark blue border, white and light blue picture rows (at scale 3 below the menu).
pixel() { # x y -> rrggbb of the window capture
  convert "$work/shot.png" -format "%[hex:p{$1,$2}]" info: | cut -c1-6
}
check_picture() {
  import -window "$window" "$work/shot.png" || fail "cannot capture the window"
  geometry=$(identify -format "%w %h" "$work/shot.png")
  w=${geometry% *}; h=${geometry#* }
  menu=$((h - 600))
  [ "$w" -eq 960 ] || fail "window is $w wide, expected 960"
  [ "$menu" -gt 0 ] && [ "$menu" -lt 60 ] || fail "unexpected menu bar height $menu"
  [ "$(pixel 10 $((menu + 300)))" = "0000CC" ] || fail "border is $(pixel 10 $((menu + 300))), expected 0000CC"
  [ "$(pixel 200 $((menu + 13)))" = "FFFFFF" ] || fail "picture row 0 is $(pixel 200 $((menu + 13))), expected FFFFFF"
  [ "$(pixel 200 $((menu + 16)))" = "5555FF" ] || fail "picture row 1 is $(pixel 200 $((menu + 16))), expected 5555FF"
}
if [ "$part" = menu ]; then
check_picture

# Alt+f twice: full screen and back. Keys go to the window under the pointer. Without a
# window manager X does not resize a full-screen window, but the program then lays the
# picture out for the whole screen, so the capture changes; after the second Alt+f the
# windowed picture is back.
cp "$work/shot.png" "$work/windowed.png"
xdotool mousemove --window "$window" 480 300
xdotool key --clearmodifiers alt+f
sleep 1
import -window "$window" "$work/fullscreen.png" || fail "cannot capture the window"
difference=$(compare -metric AE "$work/windowed.png" "$work/fullscreen.png" null: 2>&1 || true)
[ "${difference%% *}" != "0" ] || fail "Alt+f changed nothing"
xdotool key --clearmodifiers alt+f
sleep 1
check_picture

# Stuff -> Quit with the mouse.
xdotool mousemove --window "$window" 20 8 click 1
sleep 0.7
quit_y=$(($(menu_bottom) - 13)) # the last item, 17 pixels high, above the menu's padding
xdotool mousemove --window "$window" 40 "$quit_y" click 1

for i in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running after Quit"
wait "$pid" && status=0 || status=$?
[ "$status" -eq 0 ] || fail "exit code $status"

echo "window test passed"
exit 0
fi

# Part "about": Stuff -> About, then SIGTERM while the box is open.
check_picture
import -window "$window" "$work/before.png" || fail "cannot capture the window"
xdotool mousemove --window "$window" 20 8 click 1
sleep 0.7
about_y=$(($(menu_bottom) - 13 - 17)) # the item above Quit
xdotool mousemove --window "$window" 40 "$about_y" click 1
sleep 1
# The box shows over the picture (the menu has closed again), and the program waits in it.
xdotool mousemove --window "$window" 900 590
sleep 0.5
import -window "$window" "$work/about.png" || fail "cannot capture the window"
difference=$(compare -metric AE "$work/before.png" "$work/about.png" null: 2>&1 || true)
[ "${difference%% *}" != "0" ] || fail "the About box did not show"
kill -0 "$pid" 2>/dev/null || fail "ended while the About box was open"
kill -TERM "$pid"
for i in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running 5 s after SIGTERM with the About box open"
wait "$pid" && status=0 || status=$?
[ "$status" -eq 0 ] || fail "exit code $status after SIGTERM with the About box open"
echo "window test passed"
