#!/bin/sh
# What the desktop program costs with and without the debugger's views, as a share of one
# core: the program with all views open and with none, side by side under X servers of
# their own (Xvfb, so SDL draws with its software renderer), on the built-in ROM's graphics
# page, running and then paused. Each run is measured over SECONDS (default 20) after it
# settled, from the user and system times in /proc/PID/stat.
#   bench/desk_cost.sh [BUILD_DIR] [WIDTHxHEIGHT] [SECONDS]
# With DESK_COST_SHOTS=DIR each run's screen is captured there at the end (PNG).
set -eu
build=${1:-build}
size=${2:-1366x768}
seconds=${3:-20}
width=${size%x*}
height=${size#*x}
program=$(cd "$build" && pwd)/ollendor
command -v Xvfb >/dev/null || { echo "desk_cost: Xvfb not installed"; exit 1; }
[ -x "$program" ] || { echo "desk_cost: $program not built"; exit 1; }
work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  for pid in $pids; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT INT TERM
ticks=$(getconf CLK_TCK)

# The machine on the graphics page, saved once, so the paused runs show it too.
"$program" --headless --type 4 --frames 150 --save-state "$work/graphics.state" >/dev/null

all='"debug.cpu", "debug.disassembly", "debug.memory", "debug.breakpoints", "debug.call_stack", "debug.trace", "debug.video_chip", "debug.counter_timer", "debug.sound_chip", "debug.keyboard", "debug.tape", "debug.symbols"'

# start NAME VIEWS [OPTION...]: an X server and the program in a home of its own.
start() {
  name=$1; views=$2; shift 2
  home="$work/$name"
  mkdir -p "$home/config/ollendor"
  cat >"$home/config/ollendor/settings.toml" <<TOML
[window]
width = $width
height = $height
x = 0
y = 0
[windows]
open = [ $views ]
debugger = true
TOML
  Xvfb -displayfd 3 -nolisten tcp -screen 0 "${width}x${height}x24" 3>"$home/display" 2>/dev/null &
  pids="$pids $!"
  for i in $(seq 1 100); do [ -s "$home/display" ] && break; sleep 0.1; done
  HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_STATE_HOME="$home/state" \
    DISPLAY=":$(head -n 1 "$home/display")" SDL_AUDIODRIVER=dummy \
    "$program" --no-sound --load-state "$work/graphics.state" "$@" >"$home/out.txt" 2>&1 &
  eval "pid_$name=$!; display_$name=:$(head -n 1 "$home/display")"
  pids="$pids $!"
}

cpu() { # user + system ticks of a process
  awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# measure LABEL_A NAME_A LABEL_B NAME_B: both over the same seconds.
measure() {
  sleep 4 # start-up and the first frames are not counted
  eval "a=\$pid_$2; b=\$pid_$4"
  a0=$(cpu "$a"); b0=$(cpu "$b")
  sleep "$seconds"
  a1=$(cpu "$a"); b1=$(cpu "$b")
  if [ -n "${DESK_COST_SHOTS:-}" ]; then
    mkdir -p "$DESK_COST_SHOTS"
    for name in "$2" "$4"; do
      eval "display=\$display_$name"
      DISPLAY=$display import -window root "$DESK_COST_SHOTS/$name-$size.png" || true
    done
  fi
  awk -v a="$((a1 - a0))" -v b="$((b1 - b0))" -v t="$ticks" -v s="$seconds" -v la="$1" -v lb="$3" 'BEGIN {
    pa = 100 * a / t / s; pb = 100 * b / t / s
    printf "%-28s %5.1f%% of a core\n%-28s %5.1f%% of a core\n", la, pa, lb, pb
    if (pa > 0) printf "%-28s %5.2f\n", "ratio", pb / pa
  }'
  kill "$a" "$b"
  wait "$a" "$b" 2>/dev/null || true
}

echo "desk_cost: $size, ${seconds} s each, graphics page, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
start none ""
start all "$all"
measure "running, no views" none "running, all views" all
start pnone "" --paused
start pall "$all" --paused
measure "paused, no views" pnone "paused, all views" pall
