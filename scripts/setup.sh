#!/usr/bin/env bash
# Installs what the build and the tests need, only what is missing (quiet when all is there).
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev
          g++-mingw-w64-i686)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
