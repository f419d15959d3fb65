#!/usr/bin/env bash
# Builds everything and runs every test: the native build and its tests, the sanitizer build (clang), the
# Windows cross-builds, checked without running them, then the sanitizer tests and a short fuzzing run of
# the sanitizer build's libFuzzer targets while, beside them, one Windows build's tests run under Wine
# (one test at a time, on a virtual X display, in a Wine prefix of its own inside its build folder),
# comparing the Windows programs with the native ones. At the end, a table of where the time went.
#
# Which Windows build runs under Wine: the 32-bit one, the programs users get, where this host can start
# 32-bit programs; the 64-bit one (same sources, same tests) where its kernel cannot, as some hosts' cannot.
# PACK_WINE_BITS=64 (or 32) chooses instead of asking the host.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"

# Each stage's wall time and the processor time of what it ran (user + system, all cores).
stage_names=() stage_wall=() stage_cpu=()
# Sets cpu_now to the processor time of every command this shell has waited for; `times` runs here, in
# this shell, since a subshell's children are not this shell's.
times_file="$(mktemp)"
children_cpu() {
  times >"$times_file"
  # The second line holds the children's user and system times, as 1m2.345s 0m0.678s.
  cpu_now="$(sed -n 2p "$times_file" |
    awk '{ t = 0; for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); t += p[1] * 60 + p[2] } printf "%.1f", t }')"
}
seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }
# The stage running now, which the table shows as failed if the test command ends in it.
current_stage=""
stage() {
  local name="$1" start cpu_before
  shift
  start="$EPOCHREALTIME"
  children_cpu
  cpu_before="$cpu_now"
  current_stage="$name"
  "$@"
  current_stage=""
  children_cpu
  stage_names+=("$name")
  stage_wall+=("$(seconds_since "$start")")
  stage_cpu+=("$(awk -v a="$cpu_before" -v b="$cpu_now" 'BEGIN { printf "%.1f", b - a }')")
}
# The table; its arguments, NAME SECONDS, are a row for what ran in the background beside the stages
# before it, with its wall time (its processor time is counted in theirs).
stage_table() {
  local i wall=0 cpu=0
  ((${#stage_names[@]})) || [[ -n "$current_stage" ]] || return 0
  printf '\n%-52s %9s %9s\n' "test: stage" "wall (s)" "cpu (s)" >&2
  for i in "${!stage_names[@]}"; do
    printf '%-52s %9s %9s\n' "${stage_names[$i]}" "${stage_wall[$i]}" "${stage_cpu[$i]}" >&2
    wall="$(awk -v a="$wall" -v b="${stage_wall[$i]}" 'BEGIN { print a + b }')"
    cpu="$(awk -v a="$cpu" -v b="${stage_cpu[$i]}" 'BEGIN { print a + b }')"
  done
  [[ -n "$current_stage" ]] && printf '%-52s %9s\n' "$current_stage" "failed" >&2
  (($#)) && printf '%-52s %9s %9s\n' "$1" "$2" "-" >&2
  printf '%-52s %9.1f %9.1f\n' "total" "$wall" "$cpu" >&2
}

# Waits for the installs started in the background and shows what they said; fails when they did.
installs_pid="" installs_log=""
wait_for_installs() {
  local status=0
  [[ -n "$installs_pid" ]] || return 0
  wait "$installs_pid" || status=$?
  installs_pid=""
  cat "$installs_log" >&2
  rm -f "$installs_log"
  return "$status"
}

# Waits for the Windows tests started in the background and shows their lines; fails when they did.
wine_pid=""
wait_for_windows_tests() {
  local status=0
  [[ -n "$wine_pid" ]] || return 0
  wait "$wine_pid" || status=$?
  wine_pid=""
  cat "$wine_log"
  ((status == 0)) || echo "test: the Windows tests under Wine failed (exit $status)" >&2
  return "$status"
}

# Whatever happens, the table is printed; once the Windows tests have started, nothing of Wine is left
# running (the last test waits for it too), and the last line says which build ran under Wine.
wine_preset="" wine_seconds=""
finish() {
  local status=$?
  # A stage that failed while installs or the Windows tests ran leaves them to end (an install cut short
  # could leave the package manager half done), and shows their lines too.
  wait_for_installs || true
  wait_for_windows_tests || true
  if [[ -n "$wine_preset" ]]; then
    export WINEPREFIX="$PWD/build-$wine_preset/wineprefix" WINELOADER="$wine_loader"
    timeout 120 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
  fi
  local beside=()
  [[ -n "$wine_preset" && -f "$wine_seconds" ]] &&
    beside=("  beside them: Windows tests under Wine ($wine_bits-bit)" "$(cat "$wine_seconds")")
  stage_table "${beside[@]}"
  rm -f "$times_file"
  [[ -n "$wine_preset" ]] && echo "test: the Windows tests ran on the $wine_bits-bit build (build-$wine_preset): $why" >&2
  exit "$status"
}
trap finish EXIT

# Which Windows build runs the Windows tests: asked once Wine is installed, unless chosen.
wine_bits="${PACK_WINE_BITS:-}"
case "$wine_bits" in
  32 | 64) why="chosen by PACK_WINE_BITS=$wine_bits" ;;
  "") ;;
  *) echo "test: PACK_WINE_BITS must be 32 or 64, not \"$wine_bits\"" >&2; exit 64 ;;
esac

configure() { cmake --preset "$1" -DPACK_REQUIRE_ALL=ON >/dev/null; }
build() {
  local preset="$1" dir
  shift
  dir=build-"$preset"
  [[ "$preset" == default ]] && dir=build
  configure "$preset"
  cmake --build "$dir" --parallel "$jobs" "$@"
}

# What the native build needs is installed first; the rest (the other compilers, Wine, Chromium, Neovim),
# mostly downloading and unpacking, beside the native build.
stage "installs for the native build" scripts/setup.sh native
installs_log="$(mktemp)"
scripts/setup.sh all >"$installs_log" 2>&1 &
installs_pid=$!
stage "native build" build default
stage "the other installs awaited" wait_for_installs

if [[ -z "$wine_bits" ]]; then
  # Ask the 32-bit Wine loader itself: on a kernel without 32-bit support it cannot even start.
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    wine_bits=32 why="this host starts 32-bit programs"
  else
    wine_bits=64 why="this host cannot start 32-bit programs (the 32-bit Wine loader failed to start)"
  fi
fi

stage "native tests" ctest --preset default --parallel "$jobs"

# One clang build serves the sanitizer tests and the fuzz targets.
stage "sanitizer build" build asan

# The 32-bit programs are what users get: always built and checked, whether or not they can run here.
# Where the 64-bit build carries the Windows tests, the 32-bit one builds only the two programs.
if [[ "$wine_bits" == 32 ]]; then
  stage "32-bit Windows build" build win32
  wine_loader=/usr/lib/wine/wine
else
  stage "32-bit Windows build (programs)" build win32 --target scenario-pack scenario-tool
  stage "64-bit Windows build" build win64
  wine_loader=/usr/lib/wine/wine64
fi
stage "32-bit programs checked" scripts/check-windows-programs.sh build-win32 i686
if [[ "$wine_bits" == 64 ]]; then
  stage "64-bit programs checked" scripts/check-windows-programs.sh build-win64 x86_64
fi

# The Windows tests mostly wait (for Wine to start, for a window to appear), so they run beside the
# sanitizer tests and the fuzzers; their lines are shown once they have ended.
wine_preset="win$wine_bits"
wine_log="build-$wine_preset/wine-tests.log"
wine_seconds="build-$wine_preset/wine-tests.seconds"
rm -f "$wine_seconds"
windows_tests() {
  local start="$EPOCHREALTIME" status=0
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" ctest --preset "$wine_preset" \
    >"$wine_log" 2>&1 || status=$?
  seconds_since "$start" >"$wine_seconds"
  return "$status"
}
windows_tests &
wine_pid=$!

stage "sanitizer tests" env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset asan --parallel "$jobs"
# A short run of each fuzz target; a finding fails the test command. The fuzzers run for a fixed time
# whatever the load, so they leave the Windows tests the processor time those need.
stage "fuzzing, 30 s a target" nice -n 10 scripts/fuzz.sh 30
stage "the Windows tests' end awaited" wait_for_windows_tests
