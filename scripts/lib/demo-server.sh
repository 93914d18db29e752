# Sourced: the port a demo server started in the background listens on.
# Usage: port=$(demo_server_port LOG PID) -- empty when the server did not
# say within 15 s, or ended first.
demo_server_port() {
  local log=$1 pid=$2 port=""
  for _ in $(seq 150); do
    port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)$|\1|p' "$log")
    [ -n "$port" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "$port"
}
