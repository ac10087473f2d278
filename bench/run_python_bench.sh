#!/usr/bin/env bash
# The standard workload through the Python package's Pythonic face against xlwt and xlrd
# doing the same: written cell by cell, and read back row by row (the file written by
# write_bench) adding the values up as the xlrd script does; and read back visiting every
# value, against `tabrix cat` of the same file. Prints times and ratios.
#
#   bench/run_python_bench.sh [BUILD_DIR]     (default: build)
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${1:-$HERE/../build}"
WRITE="$BUILD/bench/write_bench"
TABRIX="$BUILD/tools/tabrix"
for tool in "$WRITE" "$TABRIX" "$BUILD/libtabrix.so"; do
  [ -e "$tool" ] || { echo "no $tool: build tabrix, tabrix_cli and write_bench" >&2; exit 1; }
done
export TABRIX_LIBRARY="$BUILD/libtabrix.so" PYTHONPATH="$HERE/../python"

OUT="$(mktemp -d /tmp/tabrix-bench-XXXXXX)"
trap 'rm -rf "$OUT"' EXIT
source "$HERE/timing.sh"

declare -A SECONDS_TAKEN PEAK_KB
"$WRITE" "$OUT/standard.xls" > /dev/null
run python_write 5 /usr/bin/python3 "$HERE/python_face_bench.py" write "$OUT/python.xls"
run xlwt_write 3 /usr/bin/python3 "$HERE/xlwt_write_bench.py" "$OUT/xlwt.xls"
run python_sum 5 /usr/bin/python3 "$HERE/python_face_bench.py" sum "$OUT/standard.xls"
run xlrd_read 3 /usr/bin/python3 "$HERE/xlrd_read_bench.py" "$OUT/standard.xls"
run python_read 5 /usr/bin/python3 "$HERE/python_face_bench.py" read "$OUT/standard.xls"
run tabrix_cat 5 "$HERE/timed.sh" /dev/null "$TABRIX" cat "$OUT/standard.xls"

printf '%-14s %10s %14s\n' run seconds "peak RSS KB"
for name in python_write xlwt_write python_sum xlrd_read python_read tabrix_cat; do
  printf '%-14s %10s %14s\n' "$name" "${SECONDS_TAKEN[$name]}" "${PEAK_KB[$name]}"
done
awk -v pw="${SECONDS_TAKEN[python_write]}" -v xw="${SECONDS_TAKEN[xlwt_write]}" \
    -v ps="${SECONDS_TAKEN[python_sum]}" -v xr="${SECONDS_TAKEN[xlrd_read]}" \
    -v pr="${SECONDS_TAKEN[python_read]}" -v c="${SECONDS_TAKEN[tabrix_cat]}" 'BEGIN {
  printf "xlwt / Python face, write: %.2f (target at least 3)\n", xw / pw
  printf "xlrd / Python face, read and add up: %.2f (target at least 3)\n", xr / ps
  printf "Python face read / tabrix cat: %.2f (target at most 3)\n", pr / c
  printf "Python face read and add up / tabrix cat: %.2f\n", ps / c
}'
