#!/usr/bin/env bash
# Runs a whole command (start-up included) with its output into a file and prints the seconds:
#
#   bench/timed.sh OUTPUT COMMAND...
#
# The clock is bash's own (EPOCHREALTIME), so that no timing process of its own runs between
# the two readings: a command of a few milliseconds is not charged for one.
set -euo pipefail
out="$1"
shift
# The file a previous run left goes before the clock starts: the system dropping its pages is
# no part of the command's work, for our tool and its peer alike.
if [ -f "$out" ]; then rm -f -- "$out"; fi  # never /dev/null
start="$EPOCHREALTIME"
"$@" > "$out"
end="$EPOCHREALTIME"
awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
