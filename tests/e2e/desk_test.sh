#!/bin/sh
# The desktop program's everyday use under a virtual X display, on the test ROM (dark blue
# border 0000CC, a white picture row 0):
#   resize    the window made larger and smaller keeps the picture's aspect at the largest
#             whole scale that fits, centred with black around; at quit (SIGTERM) the
#             settings file keeps the size, and the next start opens at that size
#   settings  a settings file that cannot be parsed: one warning naming the file and the
#             line, the program starts (at the default scale), the file is kept as
#             settings.toml.bad, and a good file is written at quit
#   desk_test.sh PROGRAM ROM_DIR resize|settings
# Needs Xvfb, xdotool and ImageMagick (import, convert, identify).
set -eu
program=$1
romdir=$2
part=$3
. "$(dirname "$0")/harness.sh"
begin_test "desk test ($part)" "Xvfb xdotool import convert identify" "$@"
settings="$XDG_CONFIG_HOME/ollendor/settings.toml"

start() {
  "$program" --rom-dir "$romdir" --no-sound "$@" >"$work/out.txt" 2>&1 &
  pid=$!
  find_window
  wait_for "the picture in the window" 30 drawn
}
# The window shows the picture: its border's left edge at the middle, for the largest
# whole factor that fits (below the menu bar, less than 20 pixels high).
drawn() {
  grab "$window" "$work/shot.png" || return 1
  geometry=$(identify -format "%w %h" "$work/shot.png") || return 1
  width=${geometry% *}
  height=${geometry#* }
  s=$((width / 320)); [ $(((height - 10) / 200)) -lt "$s" ] && s=$(((height - 10) / 200))
  [ "$s" -ge 1 ] || s=1
  [ "$(pixel $(((width - 320 * s) / 2 + 2)) $((height / 2 + 10)))" = 0000CC ]
}
# Waits until the window is width x height and the picture at scale s fits in it.
fits() { # scale width height
  ( capture && [ "$width" -eq "$2" ] && [ "$height" -eq "$3" ] && check_fit "$1" ) >/dev/null 2>&1
}
wait_fit() { # scale width height
  wait_for "the picture at scale $1 in a $2 x $3 window" 30 fits "$@"
  capture
  check_fit "$1"
}

stop() {
  kill -TERM "$pid"
  end_of_program "the end 10 s after SIGTERM"
  [ "$status" -eq 0 ] || fail "exit code $status"
}

capture() {
  grab "$window" "$work/shot.png" || fail "cannot capture the window"
  geometry=$(identify -format "%w %h" "$work/shot.png")
  width=${geometry% *}
  height=${geometry#* }
}
pixel() { convert "$work/shot.png" -format "%[hex:p{$1,$2}]" info: | cut -c1-6; }
expect() { # x y colour what
  got=$(pixel "$1" "$2")
  [ "$got" = "$3" ] || fail "$4: ($1, $2) is $got, expected $3 (window ${width}x$height)"
}

# The picture at scale s in a window of width x height below a menu of height menu:
# checks black just outside its left edge and above it, the border just inside.
check_fit() { # scale
  s=$1
  w=$((320 * s)); h=$((200 * s))
  left=$(((width - w) / 2)); top=$((menu + (height - menu - h) / 2))
  middle=$((top + h / 2))
  [ "$left" -gt 2 ] && expect $((left - 2)) "$middle" 000000 "black left of the picture at scale $s"
  expect $((left + 2)) "$middle" 0000CC "the border's left edge at scale $s"
  expect $((left + w - 3)) "$middle" 0000CC "the border's right edge at scale $s"
  [ $((left + w + 2)) -lt "$width" ] && expect $((left + w + 2)) "$middle" 000000 "black right of the picture at scale $s"
  [ "$top" -gt $((menu + 2)) ] && expect $((left + w / 2)) $((top - 2)) 000000 "black above the picture at scale $s"
  [ $((top + h + 2)) -lt "$height" ] && expect $((left + w / 2)) $((top + h + 2)) 000000 "black below the picture at scale $s"
  return 0
}

case $part in
resize)
  start
  capture
  menu=$((height - 600))
  [ "$width" -eq 960 ] && [ "$menu" -gt 0 ] && [ "$menu" -lt 60 ] || fail "the first window is ${width}x$height"
  check_fit 3
  # At the screen's corner, so that the larger sizes are seen whole.
  xdotool windowmove "$window" 0 0
  xdotool windowsize "$window" 1100 760
  wait_fit 3 1100 760
  xdotool windowsize "$window" 700 500
  wait_fit 2 700 500
  xdotool windowsize "$window" 1280 1000
  wait_fit 4 1280 1000
  xdotool windowsize "$window" 700 500
  xdotool windowmove "$window" 40 30
  wait_fit 2 700 500
  placed() { xdotool getwindowgeometry "$window" | grep -q 'Position: 40,30'; }
  wait_for "the window at 40,30" 30 placed
  stop
  [ -f "$settings" ] || fail "no settings file written at quit"
  grep -q '^width = 700$' "$settings" && grep -q '^height = 500$' "$settings" ||
    fail "the settings do not keep the size: $(cat "$settings")"
  start
  capture
  [ "$width" -eq 700 ] && [ "$height" -eq 500 ] || fail "restarted at ${width}x$height, not 700x500"
  place=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([0-9]*,[0-9]*\).*/\1/p')
  [ "$place" = "40,30" ] || fail "restarted at $place, not where it was left (40,30)"
  check_fit 2
  stop
  # --scale wins for the run, and the file keeps its size.
  start --scale 1
  capture
  [ "$width" -eq 320 ] || fail "--scale 1 gave a window ${width} wide"
  stop
  grep -q '^width = 700$' "$settings" || fail "--scale changed the kept size: $(cat "$settings")"
  ;;
settings)
  mkdir -p "$(dirname "$settings")"
  printf '[window]\nscale = 2\n[sound\nvolume = 3\n' >"$settings"
  cp "$settings" "$work/bad.toml"
  start
  capture
  [ "$width" -eq 960 ] || fail "a bad file gave a window ${width} wide, not the default 960"
  [ "$(grep -c "settings file $settings, line 3" "$work/out.txt")" -eq 1 ] ||
    fail "no one warning naming the file and line 3"
  cmp -s "$settings.bad" "$work/bad.toml" || fail "the bad file is not kept as settings.toml.bad"
  stop
  cmp -s "$settings.bad" "$work/bad.toml" || fail "settings.toml.bad changed at quit"
  grep -q '^\[window\]' "$settings" && grep -q '^scale = 3$' "$settings" ||
    fail "no good settings file written at quit: $(cat "$settings")"
  ;;
*) fail "unknown part" ;;
esac
echo "desk test ($part) passed"
