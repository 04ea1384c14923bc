#!/bin/sh
# End-to-end test of the desktop program under a virtual X display: start it on the test
# ROM, capture the window and check the picture, toggle full-screen with Alt+f twice, then
# choose "Quit" from the "Stuff" menu with the mouse and expect exit code 0 (part "menu").
# Part "about" opens the About box from the menu and sends SIGTERM while it is open: the
# program must still end at once with exit code 0. Part "box" runs an OS image that switches
# to a mode the renderer does not draw: the "Unsupported mode" box shows, and once OK is
# clicked it is gone from the window although the picture does not change. Each part has
# an X server of its own. Every step waits for what it brings about in the window (or the
# program's end), never for a fixed time.
#   window_test.sh PROGRAM ROM_DIR menu|about|box
# Needs Xvfb, xdotool and ImageMagick (import, convert, compare, identify).
set -eu
program=$1
romdir=$2
part=${3:-menu}
# Each part runs under an X server of its own, which picks its display itself.
. "$(dirname "$0")/harness.sh"
begin_test "window test" "Xvfb xdotool import convert compare identify" "$@"

"$program" --rom-dir "$romdir" --no-sound >"$work/out.txt" 2>&1 &
pid=$!

find_window

# Part "box": the box centred on the window, then OK clicked (press and release at once, as
# a quick click comes) and the still picture without the box.
if [ "$part" = box ]; then
  at() { convert "$work/$1.png" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
  box_shown() { [ "$(at "$1" 480 309)" != "$(at "$1" 200 150)" ]; }
  box_gone() { [ "$(at "$1" 480 309)" = "$(at "$1" 200 150)" ]; }
  # The box, laid out (its first frame sizes it unseen).
  shot_until box "the box over the picture" 30 box_shown box
  # OK sits at the box's lower left; the box is centred on the 960 x 619 window.
  xdotool mousemove --window "$window" 440 330 click 1
  shot_until closed "the picture without the box after OK" 30 box_gone closed
  kill -0 "$pid" 2>/dev/null || fail "ended after OK"
  kill -TERM "$pid"
  end_of_program "the end 10 s after SIGTERM"
  [ "$status" -eq 0 ] || fail "exit code $status after SIGTERM"
  echo "window test passed"
  exit 0
fi

# The open menu's lower edge in a capture: down its left side from below the bar, the
# first of three pixels in a row that are not the menu's light background (a separator is
# one). Quit is the last item, About the one above it; parts of the program add items
# before them, so they are found from the bottom.
menu_bottom() {
  convert "$work/open.png" -crop 1x600+8+0 +repage -depth 8 txt:- |
    awk -F'[(,)]' -v top="$((menu + 2))" 'NR > 1 && $2 + 0 >= top {
      if ($3 < 200 || $4 < 200 || $5 < 200) { if (++dark == 3) { print $2 - 2; exit } } else dark = 0 }'
}

# The picture: dark blue border, white and light blue picture rows (at scale 3 below the menu).
pixel() { # x y -> rrggbb of the window capture
  convert "$work/shot.png" -format "%[hex:p{$1,$2}]" info: | cut -c1-6
}
# What is wrong with the capture shot.png, or nothing.
picture_fault() {
  geometry=$(identify -format "%w %h" "$work/shot.png")
  w=${geometry% *}; h=${geometry#* }
  menu=$((h - 600))
  [ "$w" -eq 960 ] || { echo "window is $w wide, expected 960"; return; }
  [ "$menu" -gt 0 ] && [ "$menu" -lt 60 ] || { echo "unexpected menu bar height $menu"; return; }
  [ "$(pixel 10 $((menu + 300)))" = "0000CC" ] || { echo "border is $(pixel 10 $((menu + 300))), expected 0000CC"; return; }
  [ "$(pixel 200 $((menu + 13)))" = "FFFFFF" ] || { echo "picture row 0 is $(pixel 200 $((menu + 13))), expected FFFFFF"; return; }
  [ "$(pixel 200 $((menu + 16)))" = "5555FF" ] || echo "picture row 1 is $(pixel 200 $((menu + 16))), expected 5555FF"
}
picture_right() { [ -z "$(picture_fault)" ]; }
# Waits for the picture (up to 30 s); says what is wrong with it then.
check_picture() {
  tries=0
  until capture shot && picture_right; do
    tries=$((tries + 1))
    [ "$tries" -le 300 ] || fail "$(picture_fault)"
    kill -0 "$pid" 2>/dev/null || fail "the program ended"
    sleep 0.1
  done
  menu=$(($(identify -format "%h" "$work/shot.png") - 600)) # the bar's height, for what follows
}
# Opens the Stuff menu and waits until it is drawn whole: its lower edge found, below
# a few items.
menu_drawn() { bottom=$(menu_bottom); [ -n "$bottom" ] && [ "$bottom" -gt $((menu + 60)) ]; }
open_menu() {
  xdotool mousemove --window "$window" 20 8 click 1
  shot_until open "the open menu" 30 menu_drawn
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
shot_changed windowed fullscreen "a change from Alt+f"
xdotool key --clearmodifiers alt+f
check_picture

# Stuff -> Quit with the mouse.
open_menu
quit_y=$(($(menu_bottom) - 13)) # the last item, 17 pixels high, above the menu's padding
xdotool mousemove --window "$window" 40 "$quit_y" click 1
end_of_program "the end after Quit"
[ "$status" -eq 0 ] || fail "exit code $status"

echo "window test passed"
exit 0
fi

# Part "about": Stuff -> About, then SIGTERM while the box is open.
check_picture
cp "$work/shot.png" "$work/before.png"
open_menu
about_y=$(($(menu_bottom) - 13 - 17)) # the item above Quit
xdotool mousemove --window "$window" 40 "$about_y" click 1
# The box shows over the picture and the menu has closed again (where its items were, the
# dimmed picture shows), and the program goes on around it.
xdotool mousemove --window "$window" 900 590
at() { convert "$work/$1.png" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
about_shown() { differs before about && [ "$(at about 40 $((menu + 40)))" != "$(at open 40 $((menu + 40)))" ]; }
shot_until about "the About box" 30 about_shown
kill -0 "$pid" 2>/dev/null || fail "ended while the About box was open"
kill -TERM "$pid"
end_of_program "the end 10 s after SIGTERM with the About box open"
[ "$status" -eq 0 ] || fail "exit code $status after SIGTERM with the About box open"
echo "window test passed"
