#!/usr/bin/env bash
# Builds everything and runs every test: the native build, the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake --preset default >/dev/null
cmake --build build
ctest --preset default -j2

cmake --preset asan >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j2

cmake --preset win32 >/dev/null
cmake --build build-win32
