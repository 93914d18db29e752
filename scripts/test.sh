#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
# Usage: scripts/test.sh [--sanitize address,undefined|thread] [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

build_args=()
if [ "${1:-}" = "--sanitize" ]; then
  build_args=(--sanitize "$2")
  shift 2
fi

"$root/scripts/install-deps.sh"
build_dir=$("$root/scripts/build.sh" "${build_args[@]}")

# Window tests need an X server; start a private one unless a display exists.
. "$root/scripts/lib/xvfb.sh"
trap stop_xvfb EXIT
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  start_xvfb
fi

export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1 second_deadlock_stack=1}"
# GTK's default input method loads its compose tables on a GLib worker and
# hands them over behind locks the race detector cannot see; without an
# input method nothing of the window tests crosses threads inside GTK.
if [ "${build_args[1]:-}" = thread ]; then
  export GTK_IM_MODULE="${GTK_IM_MODULE:-gtk-im-context-none}"
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1 halt_on_error=1}"

cd "$build_dir"
ctest --output-on-failure -j2 --timeout 300 "$@"
