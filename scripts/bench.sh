#!/usr/bin/env bash
# Builds, then runs each benchmark: bench/<name>/run.sh <build_dir>.
# Usage: scripts/bench.sh [name]   (all benchmark folders with a run.sh when no name is given)
# The build folder is build-bench/ (optimised), or $BUILD_DIR when set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir="${BUILD_DIR:-$root/build-bench}"

cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVADOC_SANITIZE= >/dev/null

names=()
if [ $# -gt 0 ]; then
  if [ ! -x "$root/bench/$1/run.sh" ]; then
    echo "bench.sh: no benchmark bench/$1/run.sh" >&2
    exit 2
  fi
  names=("$1")
else
  for script in "$root"/bench/*/run.sh; do
    [ -x "$script" ] && names+=("$(basename "$(dirname "$script")")")
  done
fi

status=0
for name in "${names[@]}"; do
  echo "== $name"
  if ! "$root/bench/$name/run.sh" "$build_dir"; then
    echo "bench.sh: $name failed" >&2
    status=1
  fi
done
exit $status
