# The set-up every window test shares, sourced at its top (after `set -eu`):
#   . "$(dirname "$0")/harness.sh"
#   begin_test "NAME" "TOOL..." "$@"
# checks the tools the test needs, runs the script again under an X server of its own
# (with_x_server.sh), and then gives it:
#   work      a folder of its own, removed at exit; the program's output goes to
#             $work/out.txt; XDG_CONFIG_HOME and XDG_DATA_HOME lie in it, so the user's
#             settings, slots and ROM folders are neither read nor written
#   pid       the program's process, once the test starts it (ended at exit, if still there)
#   fail      reports NAME, the message and the program's output, and exits 1
#   end_of_program WHAT   waits 10 s at most for the program's end, then sets `status`
# and the waits of waits.sh.
begin_test() { # NAME TOOLS SCRIPT-ARGUMENTS...
  test_name=$1
  for tool in $2; do
    command -v "$tool" >/dev/null || { echo "$test_name: $tool not installed"; exit 1; }
  done
  shift 2
  if [ -z "${OLLENDOR_IN_XVFB:-}" ]; then
    OLLENDOR_IN_XVFB=1 exec "$(dirname "$0")/with_x_server.sh" "$0" "$@"
  fi
  # In a sanitizer build the system's X, D-Bus and GL libraries leave allocations behind
  # at exit that are not ours; the headless tests check the program's own memory.
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  unset WAYLAND_DISPLAY SDL_VIDEODRIVER || true
  work=$(mktemp -d)
  export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
  pid=""
  trap end_test EXIT
}

# At exit: the program ended (end_process) and the folder removed.
end_test() {
  [ -z "${pid:-}" ] || end_process "$pid"
  rm -rf "$work"
}

fail() {
  echo "$test_name: $*"
  cat "$work/out.txt" 2>/dev/null || true
  exit 1
}

# Waits for the program's end (10 s at most) and sets status to its exit code.
end_of_program() { # WHAT
  wait_for "$1" 10 ended
  wait "$pid" && status=0 || status=$?
  pid=""
}

. "$(dirname "$0")/waits.sh"
. "$(dirname "$0")/end_process.sh"
