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

# A compiler cache, when the machine has one, makes rebuilds and second
# checkouts cheap; paths below the checkout are hashed relative to it.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$root" -B "$build_dir" -G Ninja -DTOVADOC_SANITIZE="$sanitize" "${launcher[@]}" >&2
cmake --build "$build_dir" -j2 >&2
echo "$build_dir"
