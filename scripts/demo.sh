#!/usr/bin/env bash
# Runs one whole installation against the demo server, without a window:
# installs what is missing, builds the demo world and the headless runner,
# serves the downloads on 127.0.0.1, prepares a temporary installer folder
# (its own Install.ini and registry hive), installs, and shows the result.
# The server paces its downloads a little so the progress can be followed.
# Usage: scripts/demo.sh [--keep] [--window | --serve]
#   --keep    leaves the temporary folder
#   --window  runs the real installer window instead (needs a display); the
#             product goes where the window says.
# DEMO_LANGUAGE=2: English (the window and the headless run alike).
#   --serve   only serves the demo downloads on 127.0.0.1:18731, the address
#             the demo's Install.ini names (scripts/package.sh without --ini),
#             until interrupted
# On a terminal the installation is one line redrawn in place; piped or
# redirected, one line per stage; then the result.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
keep=0
window=0
serve=0
for arg in "$@"; do
  case "$arg" in
    --keep) keep=1 ;;
    --window) window=1 ;;
    --serve) serve=1 ;;
    *) echo "demo: unknown argument $arg" >&2; exit 2 ;;
  esac
done
if [ "$window" = 1 ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: --window needs a display (DISPLAY or WAYLAND_DISPLAY)" >&2
  exit 1
fi

"$root/scripts/install-deps.sh"
build_dir="${BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build_dir" -G Ninja >/dev/null
targets="demo_world install_cli"
[ "$window" = 1 ] && targets="$targets TovadocInstaller"
cmake --build "$build_dir" -j2 --target $targets
bin="$build_dir/bin"

work=$(mktemp -d "${TMPDIR:-/tmp}/tovadoc-demo-XXXXXX")
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  if [ "$keep" = 1 ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

installer="$work/installer"
target="$work/Program Files/Tovadoc"
mkdir -p "$installer" "$work/registry" "$work/Program Files"

port=0
[ "$serve" = 1 ] && port=18731
"$bin/tovadoc-demo-server" --port "$port" --files "$bin" --stats "$work/stats.jsonl" --slow-ms 20 \
  >"$work/server.log" 2>&1 &
server_pid=$!
. "$root/scripts/lib/demo-server.sh"
port=$(demo_server_port "$work/server.log" "$server_pid")
if [ -z "$port" ]; then
  echo "demo: the demo server did not start:" >&2
  cat "$work/server.log" >&2
  exit 1
fi
base="http://127.0.0.1:$port"
echo "demo server: $base"
if [ "$serve" = 1 ]; then
  echo "serving until interrupted (Ctrl+C); its log: $work/server.log"
  wait "$server_pid" || true
  server_pid=""
  exit 0
fi

cat >"$installer/Install.ini" <<INI
[Config]
version=2.2.3.3
channel=demo
language=${DEMO_LANGUAGE:-1}
net40_url=$base/software/third_party/NETFramework4.0.exe
net45_url=$base/software/third_party/NETFramework4.5.exe
install_pack_url=$base/software/install_pack/tvdoc2.0.exe
install_statistics_url=$base/Soft/Sys/InstallationPackage
INI

# The demo's own headings in the language the installer speaks.
heading() {
  local en=$1 zh=$2
  echo
  if [ "${DEMO_LANGUAGE:-1}" = 2 ]; then echo "== $en"; else echo "== $zh"; fi
}
remark() {
  if [ "${DEMO_LANGUAGE:-1}" = 2 ]; then echo "($1)"; else echo "（$2）"; fi
}
heading "installing (the installer's own log goes to $work/install.log)" \
  "正在安装（安装程序自己的日志写入 $work/install.log）"
export TOVADOC_REGISTRY_ROOT="$work/registry"
status=0
if [ "$window" = 1 ]; then
  # The installer's own folder, as it is shipped: the program and its modules.
  for f in TovadocInstaller render-cairo.so imgdecoder-png.so translator.so sys-resource.so; do
    cp "$bin/$f" "$installer/"
  done
  if [ "$(id -u)" = 0 ]; then
    target=/opt/Tovadoc
  else
    target="${XDG_DATA_HOME:-$HOME/.local/share}/Tovadoc"
  fi
  echo "(the window is open; its default folder is $target)"
  "$installer/TovadocInstaller" 2>"$work/install.log" || status=$?
  chosen=$(sed -n 's/.*CMainDlg::OnInstall installing into \[\(.*\)\].*/\1/p' "$work/install.log" | tail -n 1)
  [ -n "$chosen" ] && target=$chosen
else
  # The headless front end, as the archive's --unattended runs it.
  "$bin/install-cli" --accept-licence --installer-dir "$installer" --install-dir "$target" \
    --log "$work/install.log" || status=$?
fi

heading "the installer folder" "安装程序所在的文件夹"
ls -l "$installer"
heading "the product went to $target" "产品安装到了 $target"
ls -l "$target" 2>/dev/null || remark "nothing installed" "没有安装任何内容"
if [ -x "$target/Tovadoc.exe" ]; then
  "$target/Tovadoc.exe"
fi
heading "user.ini" "user.ini"
cat "$target/user.ini" 2>/dev/null || remark "none" "没有"
heading ".NET Framework in the registry hive" "注册表中的 .NET Framework"
find "$work/registry" -mindepth 1 -type d | sed "s|$work/registry/||"
heading "the statistics record the server decoded" "服务器解出的安装统计记录"
for _ in $(seq 50); do [ -s "$work/stats.jsonl" ] && break; sleep 0.1; done
if [ -s "$work/stats.jsonl" ]; then
  if command -v python3 >/dev/null; then
    python3 -c 'import json,sys
for line in open(sys.argv[1], encoding="utf-8"):
    print(json.dumps(json.loads(line), ensure_ascii=False, indent=3, sort_keys=True))' \
      "$work/stats.jsonl"
  else
    cat "$work/stats.jsonl"
  fi
else
  remark "no record" "没有记录"
fi
heading "the server's log" "服务器的日志"
cat "$work/server.log"
exit "$status"
