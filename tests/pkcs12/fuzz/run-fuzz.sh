#!/usr/bin/env bash
# run-fuzz.sh FUZZER SECONDS CORPUS-DIR SEED-FILE...
# Copies the seeds into the corpus folder and fuzzes for SECONDS; a finding
# (crash, sanitizer report, leak, timeout) ends with a non-zero status and the
# input saved as crash-*/leak-*/timeout-* in the corpus folder's parent.
set -euo pipefail
# QUORIN_FUZZ_SECONDS (set by ./x fuzz NAME SECONDS) overrides SECONDS.
fuzzer=$1 seconds=${QUORIN_FUZZ_SECONDS:-$2} corpus=$3
shift 3
mkdir -p "$corpus"
for seed in "$@"; do
  [ -f "$seed" ] && cp -n "$seed" "$corpus/" 2>/dev/null || true
done
cd "$(dirname "$corpus")"
exec "$fuzzer" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$(pwd)/" "$corpus"
