#!/usr/bin/env bash
# Runs the standard write workload through tabrix (row-major and reverse row order) and
# through python3-xlwt, and prints times, their ratio, peak resident memory and file sizes.
#
#   bench/run_write_bench.sh [BUILD_DIR]     (default: build)
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${1:-$HERE/../build}"
BENCH="$BUILD/bench/write_bench"
[ -x "$BENCH" ] || { echo "no $BENCH: build the target write_bench first" >&2; exit 1; }

OUT="$(mktemp -d /tmp/tabrix-bench-XXXXXX)"
trap 'rm -rf "$OUT"' EXIT

source "$HERE/timing.sh"

declare -A SECONDS_TAKEN PEAK_KB
run tabrix 5 "$BENCH" "$OUT/tabrix.xls"
run tabrix_reverse 5 "$BENCH" "$OUT/tabrix_reverse.xls" reverse
run tabrix_sized 5 "$BENCH" "$OUT/tabrix_sized.xls" sized
run xlwt 1 /usr/bin/python3 "$HERE/xlwt_write_bench.py" "$OUT/xlwt.xls"

size() { stat -c %s "$1"; }
TABRIX_SIZE="$(size "$OUT/tabrix.xls")"

printf '%-16s %10s %14s %14s\n' writer seconds "peak RSS KB" "file bytes"
printf '%-16s %10s %14s %14s\n' tabrix "${SECONDS_TAKEN[tabrix]}" "${PEAK_KB[tabrix]}" "$TABRIX_SIZE"
printf '%-16s %10s %14s %14s\n' tabrix-reverse "${SECONDS_TAKEN[tabrix_reverse]}" \
  "${PEAK_KB[tabrix_reverse]}" "$(size "$OUT/tabrix_reverse.xls")"
printf '%-16s %10s %14s %14s\n' tabrix-sized "${SECONDS_TAKEN[tabrix_sized]}" \
  "${PEAK_KB[tabrix_sized]}" "$(size "$OUT/tabrix_sized.xls")"
printf '%-16s %10s %14s %14s\n' xlwt "${SECONDS_TAKEN[xlwt]}" "${PEAK_KB[xlwt]}" \
  "$(size "$OUT/xlwt.xls")"
awk -v t="${SECONDS_TAKEN[tabrix]}" -v r="${SECONDS_TAKEN[tabrix_reverse]}" \
    -v x="${SECONDS_TAKEN[xlwt]}" -v z="${SECONDS_TAKEN[tabrix_sized]}" \
    -v m="${PEAK_KB[tabrix]}" -v s="$TABRIX_SIZE" 'BEGIN {
  printf "xlwt / tabrix time:            %.1f  (target >= 20)\n", x / t
  printf "reverse / row-major time:      %.2f  (target <= 3)\n", r / t
  printf "sized / row-major time:        %.2f  (target <= 1.2)\n", z / t
  printf "tabrix peak RSS / file size:   %.2f  (target <= 2)\n", m * 1024 / s
}'
