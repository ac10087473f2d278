#!/usr/bin/env bash
# Dumps the standard workload file (written by tabrix) to CSV with `tabrix cat`, with gnumeric's
# ssconvert and with xlrd, in one run, and prints the times (each the whole command, start-up
# included) and how many times faster tabrix is than the faster of the other two.
#
#   bench/run_cat_bench.sh [BUILD_DIR]     (default: build)
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${1:-$HERE/../build}"
WRITE="$BUILD/bench/write_bench"
TABRIX="$BUILD/tools/tabrix"
for tool in "$WRITE" "$TABRIX"; do
  [ -x "$tool" ] || { echo "no $tool: build the targets write_bench and tabrix_cli" >&2; exit 1; }
done
command -v ssconvert > /dev/null || { echo "ssconvert (package gnumeric) is needed" >&2; exit 1; }

OUT="$(mktemp -d /tmp/tabrix-bench-XXXXXX)"
trap 'rm -rf "$OUT"' EXIT
source "$HERE/timing.sh"

declare -A SECONDS_TAKEN PEAK_KB
"$WRITE" "$OUT/standard.xls" > /dev/null
run tabrix_cat 5 "$HERE/timed.sh" "$OUT/tabrix.csv" "$TABRIX" cat "$OUT/standard.xls"
run ssconvert 1 "$HERE/timed.sh" /dev/null ssconvert "$OUT/standard.xls" "$OUT/ssconvert.csv"
run xlrd 1 "$HERE/timed.sh" "$OUT/xlrd.csv" /usr/bin/python3 "$HERE/xlrd_csv_bench.py" "$OUT/standard.xls"
wc -l "$OUT/tabrix.csv" "$OUT/ssconvert.csv" "$OUT/xlrd.csv"

printf '%-12s %10s %14s\n' run seconds "peak RSS KB"
for name in tabrix_cat ssconvert xlrd; do
  printf '%-12s %10s %14s\n' "$name" "${SECONDS_TAKEN[$name]}" "${PEAK_KB[$name]}"
done
awk -v t="${SECONDS_TAKEN[tabrix_cat]}" -v s="${SECONDS_TAKEN[ssconvert]}" \
    -v x="${SECONDS_TAKEN[xlrd]}" 'BEGIN {
  faster = s < x ? s : x
  printf "faster of ssconvert and xlrd / tabrix cat: %.1f (target at least 20)\n", faster / t
}'
