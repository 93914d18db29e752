#!/usr/bin/env bash
# Time to destroy the install manager while its worker blocks in a step.
# Usage: bench/shutdown/run.sh <build_dir> [repetitions]
set -euo pipefail
build_dir=${1:?usage: run.sh <build_dir> [repetitions]}
if ! log=$(cmake --build "$build_dir" -j2 --target shutdown_bench 2>&1); then
  echo "$log" >&2
  exit 1
fi
"$build_dir/bin/shutdown_bench" "${2:-25}" 2>/dev/null
