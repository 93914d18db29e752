#!/usr/bin/env bash
# Closes the real installer window at random moments of real installs
# against the demo server: during the framework download, its install, the
# package download, its install, the statistics post and on the final page,
# by the close button, the window manager's close and SIGTERM in turn. Every
# run must end within 1 s of the close with exit status 0 and leave nothing
# behind (scripts/stress_close.py says what is checked).
# Usage: scripts/stress-close.sh [--sanitize address,undefined] [--seed S] [N]
#   N runs (default 200); --sanitize runs an AddressSanitizer build
#   (build-asan/), where any sanitizer report fails the run.
# Last line: runs=N crashes=C hangs=H leftovers=L max_exit_ms=X
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

build_args=()
driver_args=()
runs=200
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) build_args=(--sanitize "$2"); shift 2 ;;
    --seed) driver_args+=(--seed "$2"); shift 2 ;;
    *) runs="$1"; shift ;;
  esac
done

"$root/scripts/install-deps.sh" >&2
build_dir=$("$root/scripts/build.sh" "${build_args[@]}")

. "$root/scripts/lib/xvfb.sh"
trap stop_xvfb EXIT
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb
fi

python3 "$root/scripts/stress_close.py" --bin "$build_dir/bin" --runs "$runs" "${driver_args[@]}"
