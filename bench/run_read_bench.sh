#!/usr/bin/env bash
# Reads the standard workload file (written by tabrix) cell by cell through XM_Read and through
# the sequential walk, and with xlrd; fills the same file with 1000 keyword cells as a template
# and compares that with writing the file from scratch. Prints times and their ratios.
#
#   bench/run_read_bench.sh [BUILD_DIR]     (default: build)
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${1:-$HERE/../build}"
WRITE="$BUILD/bench/write_bench"
READ="$BUILD/bench/read_bench"
for tool in "$WRITE" "$READ"; do
  [ -x "$tool" ] || { echo "no $tool: build the targets write_bench and read_bench" >&2; exit 1; }
done

OUT="$(mktemp -d /tmp/tabrix-bench-XXXXXX)"
trap 'rm -rf "$OUT"' EXIT
source "$HERE/timing.sh"

declare -A SECONDS_TAKEN PEAK_KB
"$WRITE" "$OUT/standard.xls" > /dev/null
run keywords_written 5 "$WRITE" "$OUT/keywords.xls" keywords
run read 5 "$READ" "$OUT/standard.xls" read
run walk 5 "$READ" "$OUT/standard.xls" walk
run template 5 "$READ" "$OUT/keywords.xls" template "$OUT/filled.xls"
run xlrd 1 /usr/bin/python3 "$HERE/xlrd_read_bench.py" "$OUT/standard.xls"

printf '%-28s %10s %14s\n' run seconds "peak RSS KB"
for name in read walk xlrd keywords_written template; do
  printf '%-28s %10s %14s\n' "$name" "${SECONDS_TAKEN[$name]}" "${PEAK_KB[$name]}"
done
awk -v r="${SECONDS_TAKEN[read]}" -v w="${SECONDS_TAKEN[walk]}" -v x="${SECONDS_TAKEN[xlrd]}" \
    -v k="${SECONDS_TAKEN[keywords_written]}" -v t="${SECONDS_TAKEN[template]}" 'BEGIN {
  printf "xlrd / walk: %.1f (target at least 20)\n", x / w
  printf "xlrd / XM_Read of every cell: %.1f (target at least 10)\n", x / r
  printf "template round trip / writing the file: %.2f (target at most 3)\n", t / k
}'
