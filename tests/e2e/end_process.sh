# Sourced by the window tests' set-up and by with_x_server.sh.
# end_process PID: SIGTERM, then SIGKILL if it has not gone within 10 s, so a process that
# hangs (the program, an X server that stopped answering) never holds a test up; then
# waited for.
end_process() { # PID
  if kill "$1" 2>/dev/null; then
    end_tries=0
    while kill -0 "$1" 2>/dev/null && [ "$end_tries" -lt 100 ]; do
      end_tries=$((end_tries + 1))
      sleep 0.1
    done
    kill -KILL "$1" 2>/dev/null || true
  fi
  wait "$1" 2>/dev/null || true
}
