#!/usr/bin/env bash
# Usage: bench/run_and_capture/run.sh <build_dir> [rounds]
set -euo pipefail
build_dir=${1:?build folder}
cmake --build "$build_dir" -j2 --target bench_run_and_capture >/dev/null
"$build_dir/bin/bench_run_and_capture" "${@:2}"
