#!/bin/bash
# The core in Debian's RetroArch, under an X server of its own (with_x_server.sh):
#   retroarch_test.sh BUILD_DIR PART
# PART is one of
#   picture  after 100 frames of the built-in ROM, RetroArch's screenshot (--max-frames-ss)
#            equals our headless picture of the same run, pixel for pixel;
#   page     key 3 typed into RetroArch's window (xdotool, game focus on) during the
#            first 300 frames: the last one is the headless run's that types 3;
#   tape     the same with the demo tape given as content and key 5 (the tape page);
#   states   over the UDP command interface: SAVE_STATE on the sound page, another page,
#            LOAD_STATE: the sound page is back; the state RetroArch saved holds a state
#            file of ours that our program loads, to that page.
# RetroArch runs at the core's 30.05 frames a second (vrr_runloop_enable), so the keys
# typed land within the frames counted. Screenshots over the command interface are taken
# again and again until the expected picture comes (or the time limit), never after a
# fixed wait. Exit 77: RetroArch is not installed here (ctest shows the test as skipped).
set -u
build=$(cd "$1" && pwd)
part=$2
here=$(cd "$(dirname "$0")" && pwd)

if ! command -v retroarch >/dev/null; then
  echo "SKIPPED: RetroArch is not installed (Debian package retroarch)"
  exit 77
fi
for tool in xdotool compare Xvfb; do
  command -v $tool >/dev/null || { echo "FAILED: $tool is not installed"; exit 1; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/ollendor-retroarch.XXXXXX")
retroarch_pid= bus_pid=
cleanup() {
  if [ -n "$retroarch_pid" ]; then
    kill "$retroarch_pid" 2>/dev/null
    wait "$retroarch_pid" 2>/dev/null
  fi
  if [ -n "$bus_pid" ]; then
    kill "$bus_pid" 2>/dev/null
    wait "$bus_pid" 2>/dev/null
  fi
  [ -n "${OLLENDOR_KEEP:-}" ] && cp -r "$dir" "$OLLENDOR_KEEP"; rm -rf "$dir"
}
trap cleanup EXIT
mkdir -p "$dir/no-tapes" "$dir/cores" "$dir/info" "$dir/system/ollendor" "$dir/states" "$dir/shots" "$dir/saves"
# RetroArch 1.14 allows save states only for a core in libretro_directory whose .info
# file in libretro_info_path says savestate = "true".
cp "$build/ollendor_libretro.so" "$dir/cores/"
cp "$build/ollendor_libretro.info" "$dir/info/"
# A port of its own for the command interface, so two runs never answer each other.
port=$((20000 + $$ % 20000))

cat >"$dir/retroarch.cfg" <<EOF
libretro_directory = "$dir/cores"
libretro_info_path = "$dir/info"
system_directory = "$dir/system"
savestate_directory = "$dir/states"
savefile_directory = "$dir/saves"
screenshot_directory = "$dir/shots"
video_driver = "gl"
input_driver = "x"
audio_driver = "null"
audio_enable = "false"
video_vsync = "false"
video_fullscreen = "false"
video_gpu_screenshot = "false"
video_font_enable = "false"
menu_driver = "rgui"
input_auto_game_focus = "1"
pause_nonactive = "false"
config_save_on_exit = "false"
savestate_file_compression = "false"
savestate_thumbnail_enable = "false"
savestate_auto_index = "false"
network_cmd_enable = "true"
network_cmd_port = "$port"
notification_show_refresh_rate = "false"
vrr_runloop_enable = "true"
EOF

# RetroArch gives up at start without a session bus: one of the test's own, ended with it
# (dbus-run-session would leave its bus behind whenever RetroArch is ended from outside).
export DBUS_FATAL_WARNINGS=0
dbus-daemon --session --nofork --print-address=3 3>"$dir/bus-address" &
bus_pid=$!
for _ in $(seq 1 100); do
  [ -s "$dir/bus-address" ] && break
  kill -0 "$bus_pid" 2>/dev/null || break
  sleep 0.1
done
[ -s "$dir/bus-address" ] || { echo "FAILED: no session bus for RetroArch"; exit 1; }
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$dir/bus-address")
export DBUS_SESSION_BUS_ADDRESS
run_retroarch() { # ARGS...: in the background, its log in retroarch.log
  retroarch --config "$dir/retroarch.cfg" -L "$dir/cores/ollendor_libretro.so" --verbose "$@" \
    >"$dir/retroarch.log" 2>&1 &
  retroarch_pid=$!
}
fail() {
  echo "FAILED: $*"
  echo "--- RetroArch's log (last lines) ---"
  tail -n 40 "$dir/retroarch.log" 2>/dev/null
  exit 1
}

# Our headless picture: ARGS for build/ollendor, run in the ROM folder the core is given,
# with no other folder to search, so the welcome page lists the same one folder.
headless() { # OUTPUT FRAMES [ARGS...]
  local out=$1 frames=$2
  shift 2
  (cd "$dir/system/ollendor" && env -u HOME -u XDG_DATA_HOME "$build/ollendor" --headless --frames "$frames" \
     --tape-dir "$dir/no-tapes" --screenshot "$out" "$@") || fail "the headless run failed"
}
same_picture() { # A B: the same pixels (the PNG encodings may differ)
  [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = "0" ]
}
# The same below the title row (whose clock counts the seconds since power-on).
same_below_title() { # A B
  [ "$(compare -metric AE "$1[320x180+0+20]" "$2[320x180+0+20]" null: 2>&1)" = "0" ]
}
# A command can be lost (UDP): it is sent again each second until RetroArch's log says it
# was carried out (or the time limit).
command_until_logged() { # COMMAND TEXT
  for _ in $(seq 1 10); do
    send_command "$1"
    for _ in $(seq 1 10); do
      grep -q "$2" "$dir/retroarch.log" && return 0
      sleep 0.1
    done
  done
  return 1
}

command_reply() { # COMMAND: sends it, prints the reply (if any within a second)
  exec 3<>/dev/udp/127.0.0.1/$port || return 1
  printf '%s' "$1" >&3
  # One read of the whole datagram (the shell's read would take one byte of it).
  timeout 1 dd bs=4096 count=1 <&3 2>/dev/null
  exec 3<&-
}
send_command() { exec 3<>/dev/udp/127.0.0.1/$port && printf '%s' "$1" >&3; exec 3<&-; }

wait_for_core() { # until the command interface says the content runs
  for _ in $(seq 1 300); do
    kill -0 "$retroarch_pid" 2>/dev/null || fail "RetroArch ended early"
    case "$(command_reply GET_STATUS)" in *PLAYING*) return 0;; esac
    sleep 0.1
  done
  fail "RetroArch did not report PLAYING"
}
window_focus() {
  local window
  window=$(timeout 20 xdotool search --sync --limit 1 --name RetroArch 2>/dev/null | head -n 1)
  [ -n "$window" ] || fail "no RetroArch window"
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
}
type_key() { xdotool key --clearmodifiers "$1"; }

# One screenshot over the command interface, copied to last.png once it is a whole PNG;
# false if none comes within 2.5 s.
take_screenshot() {
  rm -f "$dir/shots"/*.png "$dir/last.png"
  send_command SCREENSHOT
  local shot=
  for _ in $(seq 1 50); do
    shot=$(ls "$dir/shots"/*.png 2>/dev/null | head -n 1)
    # A screenshot being written is not yet a whole PNG: wait until it reads as one.
    if [ -n "$shot" ] && identify "$shot" >/dev/null 2>&1; then
      cp "$shot" "$dir/last.png"
      return 0
    fi
    sleep 0.05
  done
  return 1
}
# Screenshots again and again until one is as wanted, or the time limit (false):
#   screenshot_until EXPECTED [equal|differ|below-title]
# below-title: the same below the title row (whose clock counts the seconds since power-on).
screenshot_until() {
  local expected=$1 want=${2:-equal}
  for _ in $(seq 1 150); do
    if take_screenshot; then
      case $want in
      equal) same_picture "$dir/last.png" "$expected" && return 0;;
      differ) same_picture "$dir/last.png" "$expected" || return 0;;
      below-title) same_below_title "$dir/last.png" "$expected" && return 0;;
      esac
    fi
    sleep 0.1
  done
  return 1
}

case "$part" in
picture)
  frames=100
  headless "$dir/headless.png" $frames
  run_retroarch --max-frames=$frames --max-frames-ss --max-frames-ss-path="$dir/retroarch.png"
  wait "$retroarch_pid"
  retroarch_pid=
  [ -f "$dir/retroarch.png" ] || fail "RetroArch wrote no screenshot"
  size=$(identify -format '%wx%h' "$dir/retroarch.png")
  [ "$size" = "320x200" ] || fail "RetroArch's screenshot is $size, not the core's 320x200"
  same_picture "$dir/retroarch.png" "$dir/headless.png" ||
    fail "after $frames frames RetroArch shows another picture than the headless run"
  ;;
page | tape)
  # A key typed in the first 300 frames (10 s): the last frame is the headless one.
  frames=300 key=3 content=()
  if [ "$part" = tape ]; then
    mkdir -p "$dir/content"
    cp "$build/tapes/OLLENDEMO" "$dir/content/demo.mtx"
    key=5 content=("$dir/content/demo.mtx")
    headless "$dir/no-tape.png" $frames --type 5
  fi
  headless "$dir/expected.png" $frames --type $key "${content[@]}"
  if [ "$part" = tape ]; then
    same_picture "$dir/expected.png" "$dir/no-tape.png" && fail "the tape page looks the same without the tape"
  fi
  run_retroarch --max-frames=$frames --max-frames-ss --max-frames-ss-path="$dir/retroarch.png" "${content[@]}"
  wait_for_core
  window_focus
  type_key $key
  wait "$retroarch_pid"
  retroarch_pid=
  [ -f "$dir/retroarch.png" ] || fail "RetroArch wrote no screenshot"
  same_picture "$dir/retroarch.png" "$dir/expected.png" ||
    fail "key $key in RetroArch's window did not give the headless run's picture"
  ;;
states)
  headless "$dir/sound.png" 60 --type 3
  run_retroarch
  wait_for_core
  window_focus
  type_key 3
  screenshot_until "$dir/sound.png" below-title || fail "key 3 did not show the sound page"
  # RetroArch 1.14 saves only while running (a save asked for while paused waits).
  command_until_logged SAVE_STATE "Saving state" || fail "RetroArch did not save a state"
  # The file is written by a task of its own: wait until it holds a whole state of ours.
  # RetroArch 1.14 puts the core's bytes in a block of its own: "RASTATE", a version byte,
  # then "MEM " and the length of our bytes, which follow.
  state= at=0 length=0
  for _ in $(seq 1 100); do
    state=$(ls "$dir/states"/*.state 2>/dev/null | head -n 1)
    if [ -n "$state" ] && [ "$(head -c 7 "$state")" = "RASTATE" ] &&
       [ "$(tail -c +9 "$state" | head -c 4)" = "MEM " ]; then
      at=16
    fi
    if [ -n "$state" ] && [ "$(tail -c +$((at + 1)) "$state" | head -c 8)" = "OLLSTATE" ]; then
      # Our state file: 36 bytes of header and the packed payload their bytes 24-27 count.
      length=$((36 + $(od -An -tu4 -j$((at + 24)) -N4 "$state" | tr -d ' ')))
      [ "$(stat -c %s "$state")" -gt $((at + length)) ] && break
    fi
    sleep 0.1
  done
  [ -n "$state" ] || fail "SAVE_STATE wrote no state file"
  [ "$(tail -c +$((at + 1)) "$state" | head -c 8)" = "OLLSTATE" ] || fail "the saved state does not hold one of ours"
  tail -c +$((at + 1)) "$state" | head -c $length >"$dir/ours.ollstate"
  (cd "$dir" && "$build/ollendor" --headless --load-state "$dir/ours.ollstate" --frames 1 \
     --tape-dir "$dir/no-tapes" --screenshot "$dir/next.png") || fail "our program cannot load the saved state"
  same_below_title "$dir/next.png" "$dir/sound.png" || fail "the saved state is not on the sound page"
  type_key 4
  screenshot_until "$dir/sound.png" differ || fail "key 4 did not leave the sound page"
  # Loaded while running (RetroArch 1.14 carries out neither a save nor a load while
  # paused), so the title row's clock may have moved on by the time of the screenshot.
  command_until_logged LOAD_STATE "Loading state" || fail "RetroArch did not load the state"
  screenshot_until "$dir/next.png" below-title || fail "after LOAD_STATE the picture is not the one at the save"
  ;;
*)
  echo "unknown part $part"
  exit 2
  ;;
esac
echo "PASSED: $part"
