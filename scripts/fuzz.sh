#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for a
# fixed time, starting from the seed corpus in fuzz/corpus. Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]
# New inputs go to build-fuzz/corpus/; a crash stops the run with the input saved in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build build-fuzz
for target in field_reader compile payload decompile lsp_message; do
  work=build-fuzz/corpus/$target
  mkdir -p "$work"
  echo "fuzz: $target for ${seconds}s" >&2
  (cd build-fuzz && ./bin/${target}_fuzzer -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
     -max_len=65536 -dict=../fuzz/scenario.dict -print_final_stats=1 \
     "corpus/$target" "../fuzz/corpus/$target" 2>&1 | tail -n 12)
done
