# Shared by the benchmark scripts: timed runs of a command that prints its seconds.
# Needs OUT (a scratch folder) and the arrays SECONDS_TAKEN and PEAK_KB declared by the caller.

# run NAME TIMES COMMAND...: the command prints its seconds; the best of TIMES runs is kept
# (the machine may be shared); /usr/bin/time -v gives the peak RSS.
run() {
  local name="$1" times="$2" i taken
  shift 2
  for ((i = 0; i < times; i++)); do
    /usr/bin/time -v -o "$OUT/$name.time" "$@" > "$OUT/$name.out" 2> "$OUT/$name.err"
    taken="$(tail -1 "$OUT/$name.out")"
    if [ -z "${SECONDS_TAKEN[$name]:-}" ] ||
       awk -v a="$taken" -v b="${SECONDS_TAKEN[$name]}" 'BEGIN { exit !(a < b) }'; then
      SECONDS_TAKEN[$name]="$taken"
    fi
    PEAK_KB[$name]="$(awk -F': ' '/Maximum resident set size/ {print $2}' "$OUT/$name.time")"
  done
}

