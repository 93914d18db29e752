#!/usr/bin/env bash
# Usage: bench/resume/run.sh <build_dir>
# A 1 GiB file whose first download is cut after half of it; the retry
# resumes. Last line: refetch_ratio=<bytes the server sent / file size>
# (goal at most 1.02; starting over would give about 1.5).
set -euo pipefail
build_dir=${1:?usage: run.sh <build_dir>}
if ! log=$(cmake --build "$build_dir" -j2 --target bench_resume 2>&1); then
  echo "$log" >&2
  exit 1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/tovadoc-bench-resume.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/dl"
head -c $((1024 * 1024 * 1024)) /dev/urandom >"$work/big.bin"
sha=$(sha256sum "$work/big.bin" | cut -d' ' -f1)
"$build_dir/bin/bench_resume" "$work/big.bin" "$sha" "$work/dl" 2>/dev/null
cmp -s "$work/big.bin" "$work/dl/big.bin" || { echo "bench/resume: the download differs" >&2; exit 1; }
