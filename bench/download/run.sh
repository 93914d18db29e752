#!/usr/bin/env bash
# Usage: bench/download/run.sh <build_dir> [rounds]
# Serves a 1 GiB file from a private nginx on 127.0.0.1 and downloads it in
# turn with downloadFile given the file's SHA-256 (bench_download_client, as
# a pinned install step does), with the curl command line, and with
# curl | tee FILE | openssl dgst -sha256 (a careful user, checking the
# digest in the same pass), each measured the same way by
# /usr/bin/time (wall time, peak RSS), after a sync so that no round pays
# for the write-back of the one before. The order of the three turns round
# every round, so that none always inherits the memory another just freed.
# A guest that hands free pages back to its host is paused in doing so while
# the bench runs (see README.md), when the bench may.
# Last line: ratio_time=<ours/curl> extra_rss_mib=<ours-curl>
# ratio_verified=<ours/(curl | tee | openssl dgst)>, from medians.
set -euo pipefail
build_dir=${1:?build folder}
rounds=${2:-5}
cmake --build "$build_dir" -j2 --target bench_download_client >/dev/null
client="$build_dir/bin/bench_download_client"

work=$(mktemp -d "${TMPDIR:-/tmp}/tovadoc-bench-download.XXXXXX")
nginx_pid=""
reporting=/sys/module/page_reporting/parameters/page_reporting_order
reporting_was=""
cleanup() {
  if [ -n "$nginx_pid" ]; then kill "$nginx_pid" 2>/dev/null || true; wait "$nginx_pid" 2>/dev/null || true; fi
  if [ -n "$reporting_was" ]; then echo "$reporting_was" >"$reporting" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/www" "$work/dl" "$work/temp"
head -c $((1024 * 1024 * 1024)) /dev/urandom >"$work/www/big.bin"
sha=$(sha256sum "$work/www/big.bin" | cut -d' ' -f1)
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

# One process, in the foreground of its own job, everything under $work.
cat >"$work/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  client_body_temp_path $work/temp/body;
  proxy_temp_path $work/temp/proxy;
  fastcgi_temp_path $work/temp/fastcgi;
  uwsgi_temp_path $work/temp/uwsgi;
  scgi_temp_path $work/temp/scgi;
  server {
    listen 127.0.0.1:$port;
    root $work/www;
  }
}
CONF
nginx -e "$work/error.log" -p "$work" -c "$work/nginx.conf" &
nginx_pid=$!
url="http://127.0.0.1:$port/big.bin"
for _ in $(seq 100); do
  curl -sf -o /dev/null -r 0-0 "$url" && break
  sleep 0.1
done

# measure <name> <command...>: appends "seconds rss_kib" to $work/<name>.
measure() {
  local name=$1; shift
  rm -f "$work"/dl/*
  sync
  /usr/bin/time -f "%e %M" -o "$work/one.txt" "$@"
  cat "$work/one.txt" >>"$work/$name"
  local got
  got=$(stat -c %s "$work"/dl/*)
  [ "$got" = $((1024 * 1024 * 1024)) ] || { echo "bench/download: $name saved $got bytes" >&2; exit 1; }
  rm -f "$work"/dl/*
}

ours() { measure "$1" "$client" "$url" "$work/dl" ours.bin "$sha"; }
theirs() { measure "$1" curl -sSf -o "$work/dl/curl.bin" "$url"; }
# The best a careful user can do in one pass: the digest is taken while the
# bytes are saved, and the run fails unless it is the expected one.
careful() {
  measure "$1" bash -c 'set -o pipefail
    got=$(curl -sSf "$2" | tee "$1/curl.bin" | openssl dgst -sha256 -r) || exit 1
    [ "${got%% *}" = "$3" ] || { echo "bench/download: digest $got" >&2; exit 1; }' \
    bash "$work/dl" "$url" "$sha"
}

# Free page reporting gives freed guest memory back to the host; the next
# write into it then costs a host fault per page, which made a 1 GiB write
# take 0.25 s or 5 s by the luck of timing, and hit the longer runs hardest.
# An order above the largest block reports nothing. Memory written once while
# it is paused stays the guest's, so a scratch file warms enough of it.
if [ -w "$reporting" ]; then
  reporting_was=$(cat "$reporting")
  echo $(($(head -1 /proc/buddyinfo | wc -w) - 4)) >"$reporting"
  dd if=/dev/zero of="$work/dl/scratch" bs=4M count=768 status=none
  rm -f "$work/dl/scratch"
  echo "host: free page reporting paused for the run (order $reporting_was -> $(cat "$reporting"))"
elif [ -e "$reporting" ]; then
  echo "host: this guest reports free pages to its host and only root can pause that; times may vary widely"
fi

# The first of each warms the page cache and is not counted.
ours warmup; theirs warmup; careful warmup
for i in $(seq "$rounds"); do
  if ((i % 2)); then
    ours ours.txt; theirs curl.txt; careful careful.txt
  else
    careful careful.txt; theirs curl.txt; ours ours.txt
  fi
done

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ours_s=$(cut -d' ' -f1 "$work/ours.txt" | median)
curl_s=$(cut -d' ' -f1 "$work/curl.txt" | median)
ours_kib=$(cut -d' ' -f2 "$work/ours.txt" | median)
curl_kib=$(cut -d' ' -f2 "$work/curl.txt" | median)
careful_s=$(cut -d' ' -f1 "$work/careful.txt" | median)
all() { cut -d' ' -f1 "$work/$1" | tr '\n' ' '; }
echo "rounds=$rounds size=1GiB"
echo "downloadFile, pinned: median_s=$ours_s peak_rss_kib=$ours_kib (each: $(all ours.txt))"
echo "curl:                 median_s=$curl_s peak_rss_kib=$curl_kib (each: $(all curl.txt))"
echo "curl|tee|openssl:     median_s=$careful_s (each: $(all careful.txt))"
awk -v a="$ours_s" -v b="$curl_s" -v c="$careful_s" -v ra="$ours_kib" -v rb="$curl_kib" \
  'BEGIN { printf "ratio_time=%.3f extra_rss_mib=%.1f ratio_verified=%.3f\n", a / b, (ra - rb) / 1024, a / c }'
