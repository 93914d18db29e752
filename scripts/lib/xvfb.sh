# Sourced by the scripts that need a private X server.
#
# start_xvfb: starts Xvfb on a display number the server picks itself, so
# two scripts starting at once never share one (and one's end never takes
# the other's display away), and exports DISPLAY once the server accepts
# connections. -noreset: by default the server resets whenever its last
# client leaves, and a program connecting during that reset is refused
# ("cannot open display") - between two window tests, say. XVFB_PID is its
# process id; stop_xvfb ends it.
start_xvfb() {
  local fd_file n=""
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 300); do
    n=$(cat "$fd_file")
    [ -n "$n" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$fd_file"
  if [ -z "$n" ]; then
    echo "xvfb: the X server did not start" >&2
    stop_xvfb
    return 1
  fi
  export DISPLAY=":$n"
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
