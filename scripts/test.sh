#!/usr/bin/env bash
# Builds everything and runs every test: the native build and its tests, the sanitizer build (clang) and
# its tests, the Windows cross-builds, checked without running them, a short fuzzing run of the sanitizer
# build's libFuzzer targets, and one Windows build's tests under Wine (one test at a time, on a virtual X
# display, in a Wine prefix of its own inside its build folder), which compare the Windows programs with
# the native ones. At the end, a table of where the time went.
#
# Two cores are kept busy: while tests run, which often wait, the next build runs beside them at a lower
# priority, so the tests' timing stays what it is on a quiet machine; the Windows tests, which mostly wait
# for Wine, run beside the fuzzers.
#
# Which Windows build runs under Wine: the 32-bit one, the programs users get, where this host can start
# 32-bit programs; the 64-bit one (same sources, same tests) where its kernel cannot, as some hosts' cannot.
# PACK_WINE_BITS=64 (or 32) chooses instead of asking the host.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"
started="$EPOCHREALTIME"
# Each job in the background gets a process group of its own, so that it can be stopped whole.
set -m

# The table's rows: each step's wall time and the processor time of what it ran (user + system, all
# cores), in the order the steps ended.
step_names=() step_wall=() step_cpu=()
seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }
# Sets cpu_now to the processor time of every command this shell has waited for. `times` must run in
# the shell itself, not in a pipe or a $( ), whose subshell has children of its own; its second line holds
# the children's user and system times, as 1m2.345s 0m0.678s.
# Each shell has its own file, since steps run side by side.
mkdir -p build-logs
children_cpu() {
  local file="build-logs/times.$BASHPID"
  times >"$file"
  cpu_now="$(sed -n 2p "$file" |
    awk '{ t = 0; for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); t += p[1] * 60 + p[2] } printf "%.1f", t }')"
  rm -f "$file"
}

# stage NAME COMMAND...: runs a step in the foreground.
current_stage=""
stage() {
  local name="$1" start="$EPOCHREALTIME"
  shift
  current_stage="$name"
  # In a subshell that measures itself: a job in the background reaped meanwhile by this shell would
  # otherwise count in this step's processor time too.
  ( "$@"; children_cpu; echo "$cpu_now" >build-logs/step.times )
  current_stage=""
  step_names+=("$name") step_wall+=("$(seconds_since "$start")") step_cpu+=("$(cat build-logs/step.times)")
}

# beside [--below] ID NAME COMMAND...: starts a step in the background, its output kept in
# build-logs/ID.log until `awaited ID` shows it; the step measures itself into build-logs/ID.times.
# --below: at a lower priority, for a build beside tests, which keep their timing.
declare -A beside_pid=() beside_name=()
beside() {
  local below=0
  [[ "$1" == --below ]] && below=1 && shift
  local id="$1" name="$2"
  shift 2
  rm -f "build-logs/$id.times"
  (
    ((below)) && renice -n 10 -p "$BASHPID" >/dev/null
    start="$EPOCHREALTIME" status=0
    "$@" >"build-logs/$id.log" 2>&1 || status=$?
    children_cpu
    echo "$(seconds_since "$start") $cpu_now" >"build-logs/$id.times"
    exit "$status"
  ) &
  beside_pid[$id]=$!
  beside_name[$id]="$name"
}
# awaited ID: waits for a step started with `beside`, shows its output and adds its row; fails when it did.
awaited() {
  local id="$1" status=0 wall cpu
  [[ -n "${beside_pid[$id]:-}" ]] || return 0
  wait "${beside_pid[$id]}" || status=$?
  unset "beside_pid[$id]"
  cat "build-logs/$id.log"
  if [[ -f "build-logs/$id.times" ]]; then
    read -r wall cpu <"build-logs/$id.times"
    step_names+=("${beside_name[$id]}") step_wall+=("$wall") step_cpu+=("$cpu")
  fi
  ((status == 0)) || echo "test: ${beside_name[$id]}: failed (exit $status)" >&2
  return "$status"
}

table() {
  local i cpu=0
  ((${#step_names[@]})) || [[ -n "$current_stage" ]] || return 0
  printf '\n%-52s %9s %9s\n' "test: step" "wall (s)" "cpu (s)" >&2
  for i in "${!step_names[@]}"; do
    printf '%-52s %9s %9s\n' "${step_names[$i]}" "${step_wall[$i]}" "${step_cpu[$i]}" >&2
    cpu="$(awk -v a="$cpu" -v b="${step_cpu[$i]}" 'BEGIN { print a + b }')"
  done
  [[ -n "$current_stage" ]] && printf '%-52s %9s\n' "$current_stage" "failed" >&2
  printf '%-52s %9s %9.1f\n' "total (from start to end)" "$(seconds_since "$started")" "$cpu" >&2
}

# Whatever happens, the table is printed and nothing is left running: a build in the background is
# stopped, installs are let finish (cut short, they could leave the package manager half done), and
# Wine is let finish or stopped. The last line says which build ran under Wine.
wine_started=""
finish() {
  local status=$? id
  trap - INT TERM
  for id in "${!beside_pid[@]}"; do
    case "$id" in
      installs | wine) awaited "$id" || true ;;
      *) kill -TERM -- "-${beside_pid[$id]}" 2>/dev/null || true
         wait "${beside_pid[$id]}" 2>/dev/null || true ;;
    esac
  done
  if [[ -n "$wine_started" ]]; then
    export WINEPREFIX="$PWD/build-$wine_preset/wineprefix" WINELOADER="$wine_loader"
    timeout 120 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
  fi
  table
  [[ -n "$wine_started" ]] && echo "test: the Windows tests ran on the $wine_bits-bit build (build-$wine_preset): $why" >&2
  exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM

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

# What the native build needs is installed first; the rest (the other compilers, Wine, Chromium,
# Neovim), mostly downloading and unpacking, beside the native build.
stage "installs for the native build" scripts/setup.sh native
beside installs "other installs, beside the native build" scripts/setup.sh all
stage "native build" build default
awaited installs

if [[ -z "$wine_bits" ]]; then
  # Ask the 32-bit Wine loader itself: on a kernel without 32-bit support it cannot even start.
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    wine_bits=32 why="this host starts 32-bit programs"
  else
    wine_bits=64 why="this host cannot start 32-bit programs (the 32-bit Wine loader failed to start)"
  fi
fi
wine_preset="win$wine_bits"
[[ "$wine_bits" == 32 ]] && wine_loader=/usr/lib/wine/wine || wine_loader=/usr/lib/wine/wine64

# One clang build serves the sanitizer tests and the fuzz targets.
beside --below asan "sanitizer build, beside the native tests" build asan
stage "native tests" ctest --preset default --parallel "$jobs"
awaited asan

# The 32-bit programs are what users get: always built and checked, whether or not they can run here.
# Where the 64-bit build carries the Windows tests, the 32-bit one builds only the two programs.
windows_builds() {
  if [[ "$wine_bits" == 32 ]]; then
    build win32
  else
    build win32 --target scenario-pack scenario-tool
    build win64
  fi
}
beside --below windows "Windows builds, beside the sanitizer tests" windows_builds
stage "sanitizer tests" env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset asan --parallel "$jobs"
awaited windows
stage "32-bit programs checked" scripts/check-windows-programs.sh build-win32 i686
if [[ "$wine_bits" == 64 ]]; then
  stage "64-bit programs checked" scripts/check-windows-programs.sh build-win64 x86_64
fi

# A short run of each fuzz target; a finding fails the test command. The fuzzers run for a fixed time
# whatever the load, so they give the Windows tests the processor time those need.
wine_started=1
beside wine "Windows tests under Wine ($wine_bits-bit), beside the fuzzing" \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" ctest --preset "$wine_preset"
stage "fuzzing, 30 s a target" nice -n 10 scripts/fuzz.sh 30
awaited wine
