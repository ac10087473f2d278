#!/usr/bin/env bash
# Runs a whole command (start-up included) with its output into a file and prints the seconds:
#
#   bench/timed.sh OUTPUT COMMAND...
set -euo pipefail
out="$1"
shift
start="$(date +%s.%N)"
"$@" > "$out"
awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.3f\n", e - s }'
