#!/usr/bin/env bash
# Sets tabrix against the fastest peers on this machine in one run, on the standard workload
# (65536 rows x 16 columns): every cell through XM_Read and through XM_WalkCellsW against
# FreeXL reading the same cells, 200,000 cells through XM_Read in random order (FreeXL the
# same cells), writing the workload against libxlsxwriter (the faster of its two modes), and
# `tabrix cat` against catdoc's xls2csv. Installs the missing peers (Debian packages; needs
# root) and builds their programs, keeps the best of five runs of each, and prints every
# ratio with its goal and the peak memory against the file size.
#
#   bench/run_speed_bench.sh [BUILD_DIR]     (default: build; configure it as Release)
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${1:-$HERE/../build}"

PEERS=(libfreexl-dev catdoc libxlsxwriter-dev)
missing=()
for package in "${PEERS[@]}"; do
  dpkg -s "$package" > /dev/null 2>&1 || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing ${missing[*]}" >&2
  apt-get install -y "${missing[@]}" > /dev/null
fi
WRITE="$BUILD/bench/write_bench"
READ="$BUILD/bench/read_bench"
TABRIX="$BUILD/tools/tabrix"
FREEXL="$BUILD/bench/freexl_read_bench"
XLSXWRITER="$BUILD/bench/xlsxwriter_write_bench"
if [ ! -x "$FREEXL" ] || [ ! -x "$XLSXWRITER" ]; then
  # The peers' programs are made only where the peers were found when the build was configured.
  cmake "$BUILD" > /dev/null
  cmake --build "$BUILD" -j 2 --target freexl_read_bench xlsxwriter_write_bench > /dev/null
fi
for tool in "$WRITE" "$READ" "$TABRIX"; do
  [ -x "$tool" ] || { echo "no $tool: build write_bench, read_bench and tabrix_cli" >&2; exit 1; }
done
grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$BUILD/CMakeCache.txt" ||
  echo "warning: $BUILD is not a Release build" >&2

OUT="$(mktemp -d /tmp/tabrix-bench-XXXXXX)"
trap 'rm -rf "$OUT"' EXIT
source "$HERE/timing.sh"

declare -A SECONDS_TAKEN PEAK_KB
"$WRITE" "$OUT/standard.xls" > /dev/null
FILE_BYTES="$(stat -c %s "$OUT/standard.xls")"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
run read 5 "$READ" "$OUT/standard.xls" read
run blocks 5 "$READ" "$OUT/standard.xls" blocks
run random 5 "$READ" "$OUT/standard.xls" random
run freexl_read 5 "$FREEXL" "$OUT/standard.xls" read
run freexl_random 5 "$FREEXL" "$OUT/standard.xls" random
run write 5 "$WRITE" "$OUT/written.xls"
run xlsxwriter 5 "$XLSXWRITER" "$OUT/peer.xlsx"
run xlsxwriter_constant 5 "$XLSXWRITER" "$OUT/peer_constant.xlsx" constant
run cat 5 "$HERE/timed.sh" "$OUT/tabrix.csv" "$TABRIX" cat "$OUT/standard.xls"
run xls2csv 5 "$HERE/timed.sh" "$OUT/xls2csv.csv" xls2csv "$OUT/standard.xls"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
wc -l "$OUT/tabrix.csv" "$OUT/xls2csv.csv"

printf '%-22s %10s %14s\n' run seconds "peak RSS KB"
for name in read blocks random freexl_read freexl_random write xlsxwriter xlsxwriter_constant \
            cat xls2csv; do
  printf '%-22s %10s %14s\n' "$name" "${SECONDS_TAKEN[$name]}" "${PEAK_KB[$name]}"
done
awk -v r="${SECONDS_TAKEN[read]}" -v b="${SECONDS_TAKEN[blocks]}" \
    -v x="${SECONDS_TAKEN[random]}" -v f="${SECONDS_TAKEN[freexl_read]}" \
    -v fx="${SECONDS_TAKEN[freexl_random]}" -v w="${SECONDS_TAKEN[write]}" \
    -v l="${SECONDS_TAKEN[xlsxwriter]}" -v lc="${SECONDS_TAKEN[xlsxwriter_constant]}" \
    -v c="${SECONDS_TAKEN[cat]}" -v k="${SECONDS_TAKEN[xls2csv]}" \
    -v mr="${PEAK_KB[read]}" -v mx="${PEAK_KB[random]}" -v mb="${PEAK_KB[blocks]}" \
    -v mw="${PEAK_KB[write]}" -v size="$FILE_BYTES" 'BEGIN {
  peer = l < lc ? l : lc
  printf "FreeXL / XM_Read of every cell:      %6.2f  (goal >= 1.5)\n", f / r
  printf "FreeXL / XM_WalkCellsW:              %6.2f  (goal >= 3)\n", f / b
  printf "libxlsxwriter / writing:             %6.2f  (goal >= 20)\n", peer / w
  printf "xls2csv / tabrix cat:                %6.2f  (goal >= 15)\n", k / c
  printf "200,000 random XM_Read: %.3f s (goal <= 0.1); FreeXL / tabrix: %.2f\n", x, fx / x
  printf "peak RSS / file size: writing %.2f (goal <= 2); reading %.2f, %.2f, %.2f (goal <= 1.5)\n",
         mw * 1024 / size, mr * 1024 / size, mx * 1024 / size, mb * 1024 / size
}'
