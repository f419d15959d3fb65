#!/usr/bin/env bash
# Builds everything and runs every test: the native build, the sanitizer build, a short fuzzing run,
# then the Windows cross-build with its programs run under Wine (one test at a time, on a virtual X
# display, in a Wine prefix of their own inside build-win32/) and compared with the native programs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs="$(nproc)"

cmake --preset default >/dev/null
cmake --build build --parallel "$jobs"
ctest --preset default --parallel "$jobs"

cmake --preset asan >/dev/null
cmake --build build-asan --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan --parallel "$jobs"

# A short fuzzing run of each target under both sanitizers (clang); a finding fails the test command.
scripts/fuzz.sh 30

cmake --preset win32 >/dev/null
cmake --build build-win32 --parallel "$jobs"
# Whatever happens, nothing of Wine is left running (the last test waits for it too).
end_wine() {
  WINEPREFIX="$PWD/build-win32/wineprefix" timeout 120 wineserver -w 2>/dev/null ||
    WINEPREFIX="$PWD/build-win32/wineprefix" wineserver -k 2>/dev/null || true
}
trap end_wine EXIT
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" ctest --preset win32
