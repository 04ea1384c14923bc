#!/bin/sh
# Runs a command with an X server of its own, then stops the server: the one X set-up of
# every window test (each re-runs itself through it, with OLLENDOR_IN_XVFB set).
#   with_x_server.sh COMMAND [ARG...]
# Xvfb picks a free display number itself (-displayfd), so two tests never share or race
# for one, whatever else runs beside them (other tests, other builds' tests); choosing a
# number from outside, as xvfb-run -a does, can pick one another server is taking.
set -eu
command -v Xvfb >/dev/null || { echo "with_x_server: Xvfb not installed"; exit 1; }
dir=$(mktemp -d)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$dir/display" 2>"$dir/xvfb.txt" &
server=$!
# At exit the server is ended, even one that stopped answering.
. "$(dirname "$0")/end_process.sh"
stop() {
  end_process "$server"
  rm -rf "$dir"
}
trap stop EXIT
for i in $(seq 1 150); do
  [ -s "$dir/display" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$dir/display" ]; then
  echo "with_x_server: Xvfb did not start"
  cat "$dir/xvfb.txt"
  exit 1
fi
DISPLAY=":$(head -n 1 "$dir/display")"
# The server's process, for a test that ends it on purpose (the display going away).
X_SERVER_PID=$server
export DISPLAY X_SERVER_PID
unset WAYLAND_DISPLAY || true
status=0
"$@" || status=$?
exit $status
