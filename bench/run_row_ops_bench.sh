#!/usr/bin/env bash
# Runs the row insert and delete benchmark five times on a plain sheet, then five times on
# the sheet of a template whose other sheet and defined names refer to it (made once by
# LibreOffice), and prints for each the run whose slower operation was fastest (the machine
# may be shared).
#
#   bench/run_row_ops_bench.sh [BUILD_DIR]     (default: build)
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${1:-$HERE/../build}"
BENCH="$BUILD/bench/row_ops_bench"
[ -x "$BENCH" ] || { echo "no $BENCH: build the target row_ops_bench first" >&2; exit 1; }

OUT="$(mktemp -d /tmp/tabrix-bench-XXXXXX)"
trap 'rm -rf "$OUT"' EXIT

run_best() {
  local best="" taken i
  for i in 1 2 3 4 5; do
    "$BENCH" "$OUT/rows.xls" "$@" > "$OUT/run$i.out"
    taken="$(tail -1 "$OUT/run$i.out")"
    if [ -z "$best" ] || awk -v a="$taken" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best="$taken"
      cp "$OUT/run$i.out" "$OUT/best.out"
    fi
  done
  head -2 "$OUT/best.out"
}

echo "plain sheet:"
run_best
/usr/bin/python3 "$HERE/row_ops_template.py" "$OUT"
echo "sheet referred to by another sheet's formulas and by defined names:"
run_best "$OUT/row_ops_template.xls"
