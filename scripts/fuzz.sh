#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer: the asan preset, whose
# build also runs the sanitizer tests) and runs each for a fixed time, starting from the seed corpus in
# fuzz/corpus, as many at once as there are cores (each fuzzer uses one).
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]
# New inputs go to build-asan/corpus/; a crash fails the run with the input saved in build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
targets=(field_reader compile payload decompile lsp_message)
[[ -f build-asan/build.ninja ]] || cmake --preset asan >/dev/null
cmake --build build-asan --parallel "$(nproc)" --target "${targets[@]/%/_fuzzer}"

# One target's run: its output goes to build-asan/fuzz-TARGET.log and its exit status to
# build-asan/fuzz-TARGET.status, both shown once all have ended.
fuzz_one() {
  local target="$1" status=0
  mkdir -p "build-asan/corpus/$target"
  (cd build-asan && ./bin/${target}_fuzzer -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
     -max_len=65536 -dict=../fuzz/scenario.dict -print_final_stats=1 \
     "corpus/$target" "../fuzz/corpus/$target" >"fuzz-$target.log" 2>&1) || status=$?
  echo "$status" >"build-asan/fuzz-$target.status"
}

rm -f build-asan/fuzz-*.status
echo "fuzz: ${targets[*]} for ${seconds}s each, $(nproc) at a time" >&2
for target in "${targets[@]}"; do
  while (($(jobs -rp | wc -l) >= $(nproc))); do wait -n || true; done
  fuzz_one "$target" &
done
wait
failed=()
for target in "${targets[@]}"; do
  status="$(cat "build-asan/fuzz-$target.status")"
  echo "fuzz: $target (exit $status)" >&2
  tail -n 12 "build-asan/fuzz-$target.log" >&2
  ((status == 0)) || failed+=("$target")
done
if ((${#failed[@]})); then
  echo "fuzz: a finding in ${failed[*]} (the input is saved in build-asan/)" >&2
  exit 1
fi
