#!/usr/bin/env bash
# Start-up and idle cost of the real installer on an X server of its own.
# Usage: bench/startup/run.sh <build_dir> [runs]
# 1. exec until the window is mapped and drawn, and peak RSS then, against
#    zenity --info (also GTK 3), runs alternating (bench_startup start);
# 2. wake-ups per second on page 0, during a download (demo server pacing
#    its bytes) and on the failure page (package missing).
# Last line: ratio_start=<x> ratio_rss=<y> wakeups_page0=<a>
#            wakeups_download=<b> wakeups_failure=<c>
set -euo pipefail
build_dir=${1:?usage: run.sh <build_dir> [runs]}
runs=${2:-10}
if ! log=$(cmake --build "$build_dir" -j2 --target bench_startup TovadocInstaller demo_world 2>&1); then
  echo "$log" >&2
  exit 1
fi
bin="$build_dir/bin"
for tool in Xvfb xdotool zenity; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tovadoc-bench-startup.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The X server picks a free display and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY
export GDK_BACKEND=x11 TOVADOC_REGISTRY_ROOT="$work/registry"

# An installer folder as shipped; its settings name server $1 (a URL base).
make_installer() {
  local dir=$1 base=$2
  mkdir -p "$dir"
  for f in TovadocInstaller render-cairo.so imgdecoder-png.so translator.so sys-resource.so; do
    cp "$bin/$f" "$dir/"
  done
  cat >"$dir/Install.ini" <<INI
[Config]
channel=bench
language=2
net40_url=$base/software/third_party/NETFramework4.0.exe
net45_url=$base/software/third_party/NETFramework4.5.exe
install_pack_url=$base/software/install_pack/tvdoc2.0.exe
install_statistics_url=$base/Soft/Sys/InstallationPackage
INI
}

# Starts a demo server with the arguments given; its URL base goes to
# $server_url (not printed: a command substitution's subshell would keep the
# server's pid from the cleanup).
start_server() {
  local log="$work/server.$RANDOM.log"
  "$bin/tovadoc-demo-server" --port 0 --files "$bin" "$@" >"$log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    grep -q '^listening on' "$log" && break
    sleep 0.1
  done
  server_url=$(sed -n 's|^listening on \(http://127.0.0.1:[0-9]*\)$|\1|p' "$log")
}

wait_for_log() {
  for _ in $(seq 600); do
    grep -q "$2" "$1" && return 0
    sleep 0.1
  done
  echo "run.sh: '$2' never came in $1" >&2
  return 1
}

# Starts the installer of folder $1 (stderr to $1.log), types the install
# folder $2 and presses Install. The installer's pid goes to $installer_pid.
install_with_clicks() {
  "$1/TovadocInstaller" 2>"$1.log" &
  installer_pid=$!
  pids+=("$installer_pid")
  local win
  win=$(xdotool search --sync --onlyvisible --pid "$installer_pid" | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$win")"
  mkdir -p "$2"
  xdotool mousemove $((X + 390)) $((Y + 364)) click 1 sleep 0.2 key ctrl+a type "$2"
  xdotool mousemove $((X + 403)) $((Y + 325)) sleep 0.1 click 1
}

echo "== start-up against zenity --info ($runs runs each)"
make_installer "$work/idle" "http://127.0.0.1:9"
start_line=$("$bin/bench_startup" start "$runs" "$work/idle/TovadocInstaller" -- \
  "$(command -v zenity)" --info --text "TovadocInstaller start-up baseline" | tee /dev/stderr | tail -n 1)

echo "== wake-ups per second"
"$work/idle/TovadocInstaller" 2>/dev/null &
pid=$!
pids+=("$pid")
xdotool search --sync --onlyvisible --pid "$pid" >/dev/null
sleep 1
read -r page0 switches < <("$bin/bench_startup" wakeups "$pid" 5)
kill "$pid"
echo "page 0: $page0 wake-ups/s ($switches context switches/s)"

# The .NET check fails (empty registry): a framework download comes first;
# 16 KiB every 100 ms makes each download last seconds.
start_server --slow-ms 100
make_installer "$work/download" "$server_url"
install_with_clicks "$work/download" "$work/programs-download"
wait_for_log "$work/download.log" "CInstallMgr::DownInstallFile"
sleep 0.5
read -r download switches < <("$bin/bench_startup" wakeups "$installer_pid" 2)
kill "$installer_pid"
echo "during a download: $download wake-ups/s ($switches context switches/s)"

start_server --pack missing
make_installer "$work/failure" "$server_url"
install_with_clicks "$work/failure" "$work/programs-failure"
wait_for_log "$work/failure.log" "CInstallMgr::DownInstallFile error"
# The bar climbs to 80 first.
sleep 2
read -r failure switches < <("$bin/bench_startup" wakeups "$installer_pid" 6)
kill "$installer_pid"
echo "failure page: $failure wake-ups/s ($switches context switches/s)"

echo "$start_line wakeups_page0=$page0 wakeups_download=$download wakeups_failure=$failure"
