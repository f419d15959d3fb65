#!/usr/bin/env bash
# Builds everything and runs every test: the native build, the sanitizer build, a short fuzzing run,
# then the Windows cross-builds, checked without running them, and one of them run under Wine (one test at
# a time, on a virtual X display, in a Wine prefix of its own inside its build folder) and compared with the
# native programs.
#
# Which Windows build runs under Wine: the 32-bit one, the programs users get, where this host can start
# 32-bit programs; the 64-bit one (same sources, same tests) where its kernel cannot, as some hosts' cannot.
# PACK_WINE_BITS=64 (or 32) chooses instead of asking the host.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh all
jobs="$(nproc)"

wine_bits="${PACK_WINE_BITS:-}"
case "$wine_bits" in
  32 | 64) why="chosen by PACK_WINE_BITS=$wine_bits" ;;
  "")
    # Ask the 32-bit Wine loader itself: on a kernel without 32-bit support it cannot even start.
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
      wine_bits=32 why="this host starts 32-bit programs"
    else
      wine_bits=64 why="this host cannot start 32-bit programs (the 32-bit Wine loader failed to start)"
    fi
    ;;
  *) echo "test: PACK_WINE_BITS must be 32 or 64, not \"$wine_bits\"" >&2; exit 64 ;;
esac

cmake --preset default -DPACK_REQUIRE_ALL=ON >/dev/null
cmake --build build --parallel "$jobs"
ctest --preset default --parallel "$jobs"

cmake --preset asan -DPACK_REQUIRE_ALL=ON >/dev/null
cmake --build build-asan --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan --parallel "$jobs"

# A short fuzzing run of each target under both sanitizers (clang); a finding fails the test command.
scripts/fuzz.sh 30

# The 32-bit programs are what users get: always built and checked, whether or not they can run here.
cmake --preset win32 -DPACK_REQUIRE_ALL=ON >/dev/null
cmake --build build-win32 --parallel "$jobs"
scripts/check-windows-programs.sh build-win32 i686
if [[ "$wine_bits" == 32 ]]; then
  wine_preset=win32 wine_loader=/usr/lib/wine/wine
else
  wine_preset=win64 wine_loader=/usr/lib/wine/wine64
  cmake --preset win64 -DPACK_REQUIRE_ALL=ON >/dev/null
  cmake --build build-win64 --parallel "$jobs"
  scripts/check-windows-programs.sh build-win64 x86_64
fi

# Whatever happens, nothing of Wine is left running (the last test waits for it too), and the last line
# says which build ran under Wine.
end_wine() {
  local status=$?
  export WINEPREFIX="$PWD/build-$wine_preset/wineprefix" WINELOADER="$wine_loader"
  timeout 120 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
  echo "test: the Windows tests ran on the $wine_bits-bit build (build-$wine_preset): $why" >&2
  exit "$status"
}
trap end_wine EXIT
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" ctest --preset "$wine_preset"
