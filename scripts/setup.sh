#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, only what is missing, quietly when all is there:
# the compilers and libraries, the MinGW-w64 cross compiler for the Windows programs, 32-bit Wine and an X
# server without a screen to run them in the tests, clang with its runtimes for fuzzing. Runs as root.
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev
          libbenchmark-dev g++-mingw-w64-i686 xvfb xauth x11-utils clang libclang-rt-14-dev)
# Wine with what it recommends: its X11 driver and its text drawing load the 32-bit X and font libraries
# only at run time, and those are recommendations; the last five names make sure they are there.
wine_packages=(wine wine32:i386 fonts-wine libfreetype6:i386 libfontconfig1:i386 libx11-6:i386 libxext6:i386
               libxrender1:i386)

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing_packages < <(missing "${packages[@]}")
mapfile -t missing_wine < <(missing "${wine_packages[@]}")
((${#missing_packages[@]} + ${#missing_wine[@]})) || exit 0

echo "setup: installing ${missing_packages[*]} ${missing_wine[*]}" >&2
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
quietly() {
  "$@" >"$log" 2>&1 || { cat "$log" >&2; echo "setup: failed: $*" >&2; exit 1; }
}
export DEBIAN_FRONTEND=noninteractive
# 32-bit Wine needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  quietly dpkg --add-architecture i386
fi
quietly apt-get update
if ((${#missing_packages[@]})); then
  quietly apt-get install -y --no-install-recommends "${missing_packages[@]}"
fi
if ((${#missing_wine[@]})); then
  quietly apt-get install -y "${missing_wine[@]}"
fi
