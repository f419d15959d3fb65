#!/bin/sh
# check --json on a train run source grown by LINES lines of a key that matches no entry (the findings
# the verdict keeps in full are bounded; the rest are counted): its time, its peak memory and the size
# of what it prints. Not a test: prints the figures.
#
#     check_bench.sh BUILD/bin/scenario-tool [LINES]
set -eu
tool=$1
lines=${2:-1000000}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$tool" new "$dir" Bench 1 >/dev/null
run="$dir/Bench_1-.txt"
# The unknown keys go before the last section's end, where the compiler reads keys.
head -n -1 "$run" >"$dir/run"
awk -v n="$lines" 'BEGIN { for (i = 0; i < n; i++) printf "chiave ignota %d, 1\r\n", i }' >>"$dir/run"
tail -n 1 "$run" >>"$dir/run"
mv "$dir/run" "$run"
echo "train run source: $(wc -l <"$run") lines, $(wc -c <"$run") bytes"
/usr/bin/time -o "$dir/time" -f "check --json: %e s, %M KiB peak resident" "$tool" check --json "$dir" Bench 1 \
  >"$dir/out" || true
cat "$dir/time"
echo "printed: $(wc -c <"$dir/out") bytes"
