#!/usr/bin/env bash
# Runs the Book API beside the engine calls: the standard write workload and the styling of a
# 10,000-cell range, and prints times and ratios (best of five runs each).
#
#   bench/run_book_bench.sh [BUILD_DIR]     (default: build)
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${1:-$HERE/../build}"
BENCH="$BUILD/bench/book_bench"
[ -x "$BENCH" ] || { echo "no $BENCH: build the target book_bench first" >&2; exit 1; }

OUT="$(mktemp -d /tmp/tabrix-bench-XXXXXX)"
trap 'rm -rf "$OUT"' EXIT

source "$HERE/timing.sh"

declare -A SECONDS_TAKEN PEAK_KB
for mode in engine book control setters attr2; do
  run "$mode" 5 "$BENCH" "$OUT/$mode.xls" "$mode"
done

printf '%-10s %10s\n' mode seconds
for mode in engine book control setters attr2; do
  printf '%-10s %10s\n' "$mode" "${SECONDS_TAKEN[$mode]}"
done
awk -v e="${SECONDS_TAKEN[engine]}" -v b="${SECONDS_TAKEN[book]}" \
    -v c="${SECONDS_TAKEN[control]}" -v s="${SECONDS_TAKEN[setters]}" -v a="${SECONDS_TAKEN[attr2]}" 'BEGIN {
  printf "Book API / engine write time:   %.2f  (target <= 3)\n", b / e
  printf "control / Book API write time:  %.2f\n", c / b
  printf "setters / XM_SetAttr2 time:     %.2f\n", s / a
}'
