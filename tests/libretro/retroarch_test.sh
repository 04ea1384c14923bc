#!/bin/bash
# The core in Debian's RetroArch, under an X server of its own (with_x_server.sh):
#   retroarch_test.sh BUILD_DIR PART
# PART is one of
#   picture  after 100 frames of the built-in ROM, RetroArch's screenshot (--max-frames-ss)
#            equals our headless picture of the same run, pixel for pixel;
#   page     key 3 typed into RetroArch's window (xdotool, game focus on) shows the sound
#            page exactly as the headless run typing 3 shows it;
#   states   SAVE_STATE, another page, LOAD_STATE over the UDP command interface: the
#            picture after loading is the one at the save, and the state file is ours;
#   tape     the demo tape given as content loads on the tape page (key 5).
# Screenshots over the command interface are taken again and again until the expected
# picture comes (or the time limit), never after a fixed wait. Exit 77: RetroArch is not
# installed here (ctest shows the test as skipped).
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
retroarch_pid=
cleanup() {
  if [ -n "$retroarch_pid" ]; then
    kill "$retroarch_pid" 2>/dev/null
    wait "$retroarch_pid" 2>/dev/null
  fi
  rm -rf "$dir"
}
trap cleanup EXIT
mkdir -p "$dir/cores" "$dir/info" "$dir/system/ollendor" "$dir/states" "$dir/shots" "$dir/saves"
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
EOF

# RetroArch gives up at start without a session bus.
export DBUS_FATAL_WARNINGS=0
run_retroarch() { # ARGS...: in the background, its log in retroarch.log
  dbus-run-session -- retroarch --config "$dir/retroarch.cfg" -L "$dir/cores/ollendor_libretro.so" --verbose "$@" \
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

command_reply() { # COMMAND: sends it, prints the reply (if any within a second)
  exec 3<>/dev/udp/127.0.0.1/$port || return 1
  printf '%s' "$1" >&3
  local reply=
  read -r -t 1 reply <&3
  exec 3<&-
  printf '%s' "$reply"
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
  window=$(xdotool search --sync --limit 1 --pid "$retroarch_pid" 2>/dev/null | head -n 1)
  [ -n "$window" ] || fail "no RetroArch window"
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
}
type_key() { xdotool key --clearmodifiers "$1"; }

# Takes screenshots over the command interface until one has the pixels of EXPECTED (true)
# or until the time limit (false); the last one is left in last.png.
screenshot_until() { # EXPECTED [equal|differ]
  local expected=$1 want=${2:-equal}
  for _ in $(seq 1 150); do
    rm -f "$dir/shots"/*.png
    send_command SCREENSHOT
    local shot=
    for _ in $(seq 1 50); do
      shot=$(ls "$dir/shots"/*.png 2>/dev/null | head -n 1)
      [ -n "$shot" ] && break
      sleep 0.05
    done
    if [ -n "$shot" ]; then
      sleep 0.05 # the file is written in one go; be sure it is complete
      cp "$shot" "$dir/last.png"
      if same_picture "$dir/last.png" "$expected"; then [ "$want" = equal ] && return 0
      else [ "$want" = differ ] && return 0; fi
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
page)
  headless "$dir/sound.png" 60 --type 3
  run_retroarch
  wait_for_core
  window_focus
  type_key 3
  screenshot_until "$dir/sound.png" || fail "key 3 in RetroArch's window did not show the sound page"
  ;;
states)
  headless "$dir/sound.png" 60 --type 3
  run_retroarch
  wait_for_core
  window_focus
  type_key 3
  screenshot_until "$dir/sound.png" || fail "key 3 did not show the sound page"
  send_command SAVE_STATE
  for _ in $(seq 1 100); do
    state=$(ls "$dir/states"/*.state* 2>/dev/null | head -n 1)
    [ -n "$state" ] && [ -s "$state" ] && break
    sleep 0.1
  done
  [ -n "${state:-}" ] || fail "SAVE_STATE wrote no state file"
  [ "$(head -c 8 "$state")" = "OLLSTATE" ] || fail "the state file does not start as ours"
  type_key 4
  screenshot_until "$dir/sound.png" differ || fail "key 4 did not leave the sound page"
  send_command LOAD_STATE
  screenshot_until "$dir/sound.png" || fail "after LOAD_STATE the picture is not the one at the save"
  ;;
tape)
  mkdir -p "$dir/content"
  cp "$build/tapes/OLLENDEMO" "$dir/content/demo.mtx"
  headless "$dir/tape.png" 60 --type 5 "$dir/content/demo.mtx"
  headless "$dir/no-tape.png" 60 --type 5
  same_picture "$dir/tape.png" "$dir/no-tape.png" && fail "the tape page looks the same with and without the tape"
  run_retroarch "$dir/content/demo.mtx"
  wait_for_core
  window_focus
  type_key 5
  screenshot_until "$dir/tape.png" || fail "the tape given as content did not load on the tape page"
  ;;
*)
  echo "unknown part $part"
  exit 2
  ;;
esac
echo "PASSED: $part"
