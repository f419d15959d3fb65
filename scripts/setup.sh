#!/usr/bin/env bash
# Installs what is missing on Debian 12, quietly when all is there. Runs as root.
#   scripts/setup.sh pack   what building and running the pack needs: a C++ compiler, CMake and Ninja.
#   scripts/setup.sh        everything the tests need besides: GoogleTest, the tool's libraries, Google
#                           Benchmark, clang with its runtimes for fuzzing, the MinGW-w64 cross compilers for
#                           the 32-bit and 64-bit Windows programs, Wine of both widths, an X server without
#                           a screen to run them in, Chromium with Python for the plot viewer's browser tests,
#                           Neovim for the language server's test in a real editor, and Node.js to check the
#                           viewer's script on its own.
set -euo pipefail
what="${1:-all}"

pack_packages=(cmake ninja-build g++)
test_packages=(libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev libbenchmark-dev
               g++-mingw-w64-i686 g++-mingw-w64-x86-64 xvfb xauth x11-utils clang libclang-rt-14-dev chromium
               python3 neovim nodejs)
# Wine with what it recommends: its X11 driver and its text drawing load the X and font libraries only at
# run time, and those are recommendations; the 32-bit names make sure they are there for the 32-bit loader.
# wine64 runs the 64-bit programs on hosts whose kernel cannot start 32-bit ones.
wine_packages=(wine wine32:i386 wine64 fonts-wine libfreetype6:i386 libfontconfig1:i386 libx11-6:i386
               libxext6:i386 libxrender1:i386)
case "$what" in
  pack) packages=("${pack_packages[@]}") wine=() ;;
  all) packages=("${pack_packages[@]}" "${test_packages[@]}") wine=("${wine_packages[@]}") ;;
  *) echo "usage: scripts/setup.sh [pack|all]" >&2; exit 64 ;;
esac

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing_packages < <(missing "${packages[@]}")
mapfile -t missing_wine < <(missing "${wine[@]}")
((${#missing_packages[@]} + ${#missing_wine[@]})) || exit 0

echo "setup: installing ${missing_packages[*]} ${missing_wine[*]}" >&2
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
quietly() {
  "$@" >"$log" 2>&1 || { cat "$log" >&2; echo "setup: failed: $*" >&2; exit 1; }
}
export DEBIAN_FRONTEND=noninteractive
# 32-bit Wine needs the i386 architecture.
if ((${#missing_wine[@]})) && ! dpkg --print-foreign-architectures | grep -qx i386; then
  quietly dpkg --add-architecture i386
fi
quietly apt-get update
if ((${#missing_packages[@]})); then
  quietly apt-get install -y --no-install-recommends "${missing_packages[@]}"
fi
if ((${#missing_wine[@]})); then
  quietly apt-get install -y "${missing_wine[@]}"
fi
