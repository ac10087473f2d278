#!/usr/bin/env bash
# Runs the standard write workload on one thread and on two threads at once (one workbook
# each), best of five runs each, and prints the two times and their ratio.
#
#   bench/run_thread_bench.sh [BUILD_DIR]     (default: build)
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${1:-$HERE/../build}"
BENCH="$BUILD/bench/thread_bench"
[ -x "$BENCH" ] || { echo "no $BENCH: build the target thread_bench first" >&2; exit 1; }

OUT="$(mktemp -d /tmp/tabrix-bench-XXXXXX)"
trap 'rm -rf "$OUT"' EXIT

source "$HERE/timing.sh"

declare -A SECONDS_TAKEN PEAK_KB
run one_thread 5 "$BENCH" "$OUT" 1
run two_threads 5 "$BENCH" "$OUT" 2

printf '%-12s %10s %14s\n' threads seconds "peak RSS KB"
printf '%-12s %10s %14s\n' 1 "${SECONDS_TAKEN[one_thread]}" "${PEAK_KB[one_thread]}"
printf '%-12s %10s %14s\n' 2 "${SECONDS_TAKEN[two_threads]}" "${PEAK_KB[two_threads]}"
awk -v one="${SECONDS_TAKEN[one_thread]}" -v two="${SECONDS_TAKEN[two_threads]}" 'BEGIN {
  printf "two threads / one thread time: %.2f  (target <= 1.25)\n", two / one
}'
