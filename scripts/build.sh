#!/usr/bin/env bash
# Configures and builds. Usage: scripts/build.sh [--sanitize address,undefined|thread]
# Build output goes to standard error; the build folder is printed. It is build/ (build-asan/, build-tsan/ for sanitizer builds),
# or $BUILD_DIR when set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

sanitize=""
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) sanitize="$2"; shift 2 ;;
    *) echo "build.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

default_dir="$root/build"
case "$sanitize" in
  "") ;;
  thread) default_dir="$root/build-tsan" ;;
  *) default_dir="$root/build-asan" ;;
esac
build_dir="${BUILD_DIR:-$default_dir}"

cmake -S "$root" -B "$build_dir" -G Ninja -DTOVADOC_SANITIZE="$sanitize" >&2
cmake --build "$build_dir" -j2 >&2
echo "$build_dir"
