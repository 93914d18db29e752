#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer on) into build-fuzz/ and fuzzes them.
# Usage: scripts/fuzz.sh [NAME] [SECONDS]   (every target of fuzz/ when NAME is
# omitted or "all"; 60 seconds each by default)
# Each run starts from the target's corpus in fuzz/<NAME>/corpus and keeps
# what it finds in build-fuzz/corpus/<NAME>; a crashing input lands in
# build-fuzz/artifacts/<NAME>/. Each target's last line is
#   target=<NAME> execs=<N> cov=<C> crashes=<K>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name="${1:-all}"
seconds="${2:-60}"
build_dir="${FUZZ_BUILD_DIR:-$root/build-fuzz}"

"$root/scripts/install-deps.sh" >&2

targets=()
for dir in "$root"/fuzz/*/; do
  t=$(basename "$dir")
  [ -d "$dir/corpus" ] && targets+=("$t")
done
if [ "$name" != all ]; then
  if [ ! -d "$root/fuzz/$name/corpus" ]; then
    echo "fuzz.sh: no target $name (one of: ${targets[*]})" >&2
    exit 2
  fi
  targets=("$name")
fi

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOVADOC_SANITIZE=fuzzer-no-link,address,undefined -DTOVADOC_FUZZ=ON "${launcher[@]}" >&2
cmake --build "$build_dir" -j2 --target "${targets[@]/#/fuzz_}" >&2

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1 halt_on_error=1}"
status=0
for t in "${targets[@]}"; do
  work="$build_dir/corpus/$t"
  artifacts="$build_dir/artifacts/$t"
  log="$build_dir/logs/$t.log"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  before=$(find "$artifacts" -type f | wc -l)
  dict=()
  [ -f "$root/fuzz/$t/$t.dict" ] && dict=("-dict=$root/fuzz/$t/$t.dict")
  # New inputs go to the first folder; the stored corpus is only read.
  # The targets' own log lines are closed off (-close_fd_mask); reports stay.
  set +e
  "$build_dir/bin/fuzz_$t" "$work" "$root/fuzz/$t/corpus" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 \
    -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1
  rc=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  [ -n "$execs" ] || execs=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  crashes=$(( $(find "$artifacts" -type f | wc -l) - before ))
  if [ "$rc" -ne 0 ] && [ "$crashes" -eq 0 ]; then
    crashes=1  # ended abnormally without an input to show for it
  fi
  if [ "$crashes" -ne 0 ]; then
    status=1
    grep -E "ERROR|SUMMARY|FuzzCheck|runtime error|^    #[0-9]" "$log" | head -n 30 >&2 || true
    echo "fuzz.sh: $t: see $log and $artifacts/" >&2
  fi
  echo "target=$t execs=${execs:-0} cov=${cov:-0} crashes=$crashes"
done
exit $status
