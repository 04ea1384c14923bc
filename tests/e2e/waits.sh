# Waits shared by the window tests (sourced): each polls for the condition it stands for,
# up to a generous limit, never sleeping a fixed time, so a test is as quick as the program
# and still passes when the machine is busy with other work.
#
# E2E_TRACE=1 in the environment traces every command of the test on standard error.
[ -z "${E2E_TRACE:-}" ] || set -x
#
# The test sets: work (its folder; the program's output in $work/out.txt), pid (the
# program's process, or empty), window (once found) and fail (reports and exits).

# Polls COMMAND every tenth of a second until it holds; fails once LIMIT seconds have
# passed (however long each try takes), or as soon as the program has ended (when pid is
# set).
wait_for() { # WHAT LIMIT COMMAND...
  wait_what=$1 wait_limit=$2
  shift 2
  wait_deadline=$(($(date +%s) + wait_limit))
  until "$@"; do
    if [ -n "${pid:-}" ] && ! kill -0 "$pid" 2>/dev/null; then
      fail "the program ended while waiting for $wait_what"
    fi
    [ "$(date +%s)" -lt "$wait_deadline" ] || fail "no $wait_what within $wait_limit s"
    sleep 0.1
  done
}

# The program's output holds TEXT (COUNT times or more).
said() { # TEXT [COUNT]
  [ "$(grep -c -- "$1" "$work/out.txt" 2>/dev/null || true)" -ge "${2:-1}" ]
}

# The program ended.
ended() { ! kill -0 "$pid" 2>/dev/null; }

# Windows titled Ollendor that are on the screen. A window not yet mapped is left out: the
# program may still replace it (SDL makes the window again when its renderer needs other
# properties), and a capture of it would wait for ever (see grab).
shown_windows() { timeout 10 xdotool search --onlyvisible --name '^Ollendor$' 2>/dev/null; }
# Sets window to the program's main window once it is on the screen.
found_window() {
  window=$(shown_windows | head -n 1) && [ -n "$window" ]
}
find_window() { wait_for "window titled Ollendor" 60 found_window; }

# WINDOW to FILE, if it is on the screen. import holds the X server while it waits for a
# window it cannot see to be drawn, which never happens while the server is held: so it is
# only asked for a window on the screen, and given 10 s at most.
grab() { # WINDOW FILE
  shown_windows | grep -qx "$1" && timeout 10 import -window "$1" "$2" 2>/dev/null
}
# The main window to $work/NAME.png.
capture() { grab "$window" "$work/$1.png"; }
# Pixels that differ between two captures (a large number when they cannot be compared).
differing() {
  d=$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1 || true)
  case $d in '' | *[!0-9]*) echo 99999999 ;; *) echo "$d" ;; esac
}
pixel() { convert "$work/$1.png" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }

# Captures the window as NAME until COMMAND (which looks at the capture) holds.
shot_until() { # NAME WHAT LIMIT COMMAND...
  shot_name=$1
  shift
  shot_what=$1 shot_limit=$2
  shift 2
  wait_for "$shot_what" "$shot_limit" captured_and "$shot_name" "$@"
}
captured_and() { # NAME COMMAND...
  captured_name=$1
  shift
  capture "$captured_name" && "$@"
}
differs() { [ "$(differing "$1" "$2")" -gt 0 ]; }
same() { [ "$(differing "$1" "$2")" -eq 0 ]; }
# Captures NAME until it differs from the capture BEFORE.
shot_changed() { # BEFORE NAME WHAT [LIMIT]
  shot_until "$2" "$3" "${4:-30}" differs "$1" "$2"
}
# Captures NAME until two captures in a row are the same: what was asked for is drawn and
# the window has settled (for a still picture).
settled_twice() { cp "$work/$1.png" "$work/$1.previous.png" 2>/dev/null; capture "$1" && same "$1.previous" "$1"; }
shot_settled() { # NAME WHAT [LIMIT]
  capture "$1" || true
  wait_for "$2" "${3:-30}" settled_twice "$1"
}

# A key held until COMMAND holds (the program saw it, however busy the machine is),
# then let go.
hold_until() { # KEY WHAT LIMIT COMMAND...
  hold_key=$1
  shift
  xdotool keydown "$hold_key"
  wait_for "$@"
  xdotool keyup "$hold_key"
}

# The automation server of a program started with --mcp-http 0: mcp_connect opens a
# session; mcp TOOL [ARGUMENTS] gives the answer (10 s at most); mcp_status FIELD a number of
# get_status's answer (frame, cycles, pc).
mcp_connect() {
  wait_for "automation server" 60 said "automation server at"
  mcp_url=$(sed -n 's/.*automation server at \(http[^ ]*\).*/\1/p' "$work/out.txt" | head -n 1)
  mcp_session=""
  mcp_post '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2025-06-18","capabilities":{},"clientInfo":{"name":"window test","version":"1"}}}' \
    "$work/mcp_headers" >/dev/null || fail "initialize was not answered"
  mcp_session=$(tr -d '\r' <"$work/mcp_headers" | sed -n 's/^[Mm]cp-[Ss]ession-[Ii]d: *//p')
  [ -n "$mcp_session" ] || fail "the automation server gave no session"
  mcp_post '{"jsonrpc":"2.0","method":"notifications/initialized"}' >/dev/null || true
}
mcp_post() { # BODY [HEADER-FILE]
  curl -sS --max-time 10 -H 'Content-Type: application/json' -H 'Accept: application/json, text/event-stream' \
    ${mcp_session:+-H "Mcp-Session-Id: $mcp_session"} ${2:+-D "$2"} -d "$1" "$mcp_url"
}
mcp() { # TOOL [ARGUMENTS]
  mcp_arguments=${2:-}
  [ -n "$mcp_arguments" ] || mcp_arguments='{}'
  mcp_post "{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":\"tools/call\",\"params\":{\"name\":\"$1\",\"arguments\":$mcp_arguments}}"
}
mcp_status() { # FIELD
  status_answer=$(mcp get_status) || fail "get_status was not answered within 10 s"
  status_value=$(printf '%s' "$status_answer" | grep -o "\"$1\":[0-9]*" | head -n 1 | cut -d: -f2)
  [ -n "$status_value" ] || fail "no $1 in get_status's answer: $status_answer"
  echo "$status_value"
}
