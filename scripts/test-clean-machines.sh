#!/usr/bin/env bash
# The release check: the archive a user downloads, on clean machines. Makes
# (once, cached) a Debian 11 and a Debian 12 root with mmdebstrap's minbase
# variant plus libgtk-3-0 and fonts, nothing else, and in a fresh copy of
# each (an overlay), as root and as a plain user: starts the archive on an
# X server against the demo server on 127.0.0.1 (the roots share this
# machine's loopback and its X server's socket), clicks Install, presses the
# start button, and checks the product, the modes of the install folder
# (others can open a root install), the statistics record and the quiet
# terminal. Also times the start of the archive to its window against
# starting the program it unpacked directly, in the same root.
# Usage: scripts/test-clean-machines.sh [ARCHIVE]   (as root: chroot, mounts)
# Without ARCHIVE it is made by scripts/package.sh with settings for the
# demo server started here; a given ARCHIVE must carry the demo's settings
# (package.sh without --ini: the server on port 18731). The exit code is the
# number of failed checks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" != 0 ]; then
  echo "test-clean-machines: run as root (chroot and mounts)" >&2
  exit 2
fi
. "$root/scripts/lib/debian-root.sh"
. "$root/scripts/lib/xvfb.sh"
for tool in mmdebstrap Xvfb xdotool g++; do
  if ! command -v "$tool" >/dev/null; then
    echo "test-clean-machines: $tool is missing (scripts/install-deps.sh installs it)" >&2
    exit 2
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tovadoc-clean.XXXXXX")
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  stop_xvfb 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
check() {  # description, then a command that must succeed
  local what=$1
  shift
  if "$@"; then
    echo "  ok    $what"
  else
    echo "  FAIL  $what"
    failures=$((failures + 1))
  fi
}

# The demo's package and product, linked statically: they are the
# distributor's programs, which must run on the clean roots too.
build_dir="${BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" -j2 --target demo_server_main >&2
mkdir -p "$work/files"
: >"$work/stats.jsonl"
g++ -std=c++20 -O1 -static -I"$root" "$root/demo/product/ProductMain.cpp" -o "$work/Tovadoc.exe"
g++ -std=c++20 -O1 -static -I"$root" "$root/demo/package/PackageMain.cpp" -o "$work/stub"
"$work/stub" --pack "$work/Tovadoc.exe" "$work/files/TovadocSetup.exe"

archive=${1:-}
if [ -n "$archive" ] && [ ! -f "$archive" ]; then
  echo "test-clean-machines: no archive $archive" >&2
  exit 2
fi
"$build_dir/bin/tovadoc-demo-server" --port "$([ -n "$archive" ] && echo 18731 || echo 0)" --files "$work/files" --stats "$work/stats.jsonl" \
  >"$work/server.log" 2>&1 &
server_pid=$!
. "$root/scripts/lib/demo-server.sh"
port=$(demo_server_port "$work/server.log" "$server_pid")
[ -n "$port" ] || { cat "$work/server.log" >&2; exit 2; }
base="http://127.0.0.1:$port"

if [ -z "$archive" ]; then
  cat >"$work/Install.ini" <<EOF
[Config]
channel=clean-machine
language=2
net40_url=$base/software/third_party/NETFramework4.0.exe
net45_url=$base/software/third_party/NETFramework4.5.exe
install_pack_url=$base/software/install_pack/tvdoc2.0.exe
install_statistics_url=$base/Soft/Sys/InstallationPackage
EOF
  archive=$("$root/scripts/package.sh" --ini "$work/Install.ini" --out "$work/dist")
fi
echo "archive: $(basename "$archive"), $(du -k "$archive" | cut -f1) KiB"
version=$(basename "$archive" | sed -n 's/^TovadocInstaller-\(.*\)-linux-.*/\1/p')

start_xvfb
title='^Tovadoc install program$'
# Seconds from now until the installer's window shows, or empty.
wait_window() {
  local t0=$1 id=""
  for _ in $(seq 600); do
    id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id $(awk -v a="$(date +%s.%N)" -v b="$t0" 'BEGIN { printf "%.2f", a - b }')"
      return 0
    fi
    sleep 0.05
  done
  return 1
}
click() {  # window id, x and y inside it
  local geo x y
  geo=$(xdotool getwindowgeometry --shell "$1")
  x=$(echo "$geo" | sed -n 's/^X=//p')
  y=$(echo "$geo" | sed -n 's/^Y=//p')
  xdotool mousemove $((x + $2)) $((y + $3)) sleep 0.1 click 1
}

# One run in a fresh copy of a root: $1 name, $2 root, $3 user (root|tester).
run_in_root() {
  local name=$1 base_root=$2 user=$3
  local over="$work/$name-$user"
  mkdir -p "$over/upper" "$over/work" "$over/merged"
  cat >"$over/inside.sh" <<'EOF'
set -eu
merged=$1
mount -t overlay overlay -o "lowerdir=$2,upperdir=$3,workdir=$4" "$merged"
mount -t proc proc "$merged/proc"
mount --rbind /dev "$merged/dev"
mount --rbind /sys "$merged/sys"
shift 4
exec "$@"
EOF
  # The chroot's half of the run, in a mount namespace of its own.
  unshare -m --propagation private sh "$over/inside.sh" "$over/merged" "$base_root" \
    "$over/upper" "$over/work" sh -c 'echo ready >"$0/ready"; while [ -e "$0/ready" ]; do sleep 0.2; done' "$over" &
  local holder=$!
  for _ in $(seq 100); do [ -e "$over/ready" ] && break; sleep 0.1; done
  # Everything below reaches the root through the holder's namespace.
  local ns="nsenter --mount=/proc/$holder/ns/mnt"
  local m="$over/merged"
  local uid=0 home=/root cache
  $ns mkdir -p "$m/var/lib/tovadoc/registry/HKEY_LOCAL_MACHINE/Software/Microsoft/NET Framework Setup/NDP/v4"
  if [ "$user" = tester ]; then
    uid=1000
    home=/home/tester
    $ns sh -c "echo 'tester:x:1000:1000::/home/tester:/bin/sh' >>'$m/etc/passwd'
               echo 'tester:x:1000:' >>'$m/etc/group'
               mkdir -p '$m/home/tester' && chown 1000:1000 '$m/home/tester'"
  fi
  $ns cp "$archive" "$m/tmp/TovadocInstaller.run"
  $ns chmod 0644 "$m/tmp/TovadocInstaller.run"
  local run=(env -i "HOME=$home" "PATH=/usr/bin:/bin" "DISPLAY=$DISPLAY" "LANG=C.UTF-8")
  local t0
  t0=$(date +%s.%N)
  $ns chroot --userspec=$uid:$uid "$m" "${run[@]}" sh /tmp/TovadocInstaller.run \
    >"$over/terminal.txt" 2>&1 &
  local pid=$!
  local seen id secs
  if ! seen=$(wait_window "$t0"); then
    check "$name as $user: the window shows" false
    kill "$holder" 2>/dev/null; rm -f "$over/ready"
    return
  fi
  read -r id secs <<<"$seen"
  echo "  $name as $user: archive to window ${secs} s"
  local folder=/opt/Tovadoc
  [ "$user" = tester ] && folder=/home/tester/.local/share/Tovadoc
  click "$id" 403 325
  for _ in $(seq 600); do
    $ns test -e "$m$folder/user.ini" && break
    sleep 0.1
  done
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    click "$id" 403 294 2>/dev/null || true
    sleep 0.3
  done
  wait "$pid" 2>/dev/null || true
  sleep 0.5
  check "$name as $user: the product is installed and started" \
    $ns grep -q "Tovadoc started" "$m$folder/Tovadoc.log"
  check "$name as $user: user.ini is written" $ns test -s "$m$folder/user.ini"
  check "$name as $user: others can open the folder (drwx?????r-x)" \
    test "$($ns stat -c %A "$m$folder" | cut -c8-10)" = "r-x"
  check "$name as $user: the terminal shows makeself's lines and nothing else" \
    sh -c "! grep -v -e '^Verifying archive integrity' -e '^Uncompressing' '$over/terminal.txt'"
  if [ "$user" = root ]; then
    cache=/var/cache/tovadoc-installer/$version
    check "$name as root: a plain user can open the folder and run the product" \
      $ns chroot --userspec=65534:65534 "$m" sh -c \
      'ls /opt/Tovadoc >/dev/null && test -x /opt/Tovadoc/Tovadoc.exe && test -r /opt/Tovadoc/user.ini'
  else
    cache=/home/tester/.cache/tovadoc-installer/$version
  fi
  check "$name as $user: installer.log is the owner's alone" \
    test "$($ns stat -c %a "$m$cache/installer.log")" = 600
  # The program the archive unpacked, started directly.
  t0=$(date +%s.%N)
  $ns chroot --userspec=$uid:$uid "$m" "${run[@]}" "$cache/TovadocInstaller" \
    >/dev/null 2>&1 &
  pid=$!
  if seen=$(wait_window "$t0"); then
    read -r id secs <<<"$seen"
    echo "  $name as $user: unpacked program to window ${secs} s"
    xdotool windowclose "$id" 2>/dev/null || true
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  # Whatever still runs in the root (the product, say) ends with it.
  local p
  for p in /proc/[0-9]*; do
    if [ "$(readlink "$p/root" 2>/dev/null)" = "$m" ]; then
      kill -9 "${p#/proc/}" 2>/dev/null || true
    fi
  done
  rm -f "$over/ready"
  wait "$holder" 2>/dev/null || true
}

packages="libgtk-3-0,fonts-dejavu-core"
for suite in bullseye bookworm; do
  dir=$(debian_root "clean-$suite" "$suite" minbase "$packages")
  echo "$suite ($(cat "$dir/etc/debian_version")):"
  records_before=$(wc -l <"$work/stats.jsonl")
  for user in root tester; do
    run_in_root "$suite" "$dir" "$user"
  done
  check "$suite: two statistics records arrived" \
    test "$(($(wc -l <"$work/stats.jsonl") - records_before))" -eq 2
done
echo "test-clean-machines: $failures failed checks"
exit "$failures"
