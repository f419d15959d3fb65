#!/usr/bin/env bash
# Waits until the tests' wineserver has ended, so that nothing of Wine is left running.
set -euo pipefail
: "${WINEPREFIX:?the tests\' Wine prefix}"
if timeout 120 wineserver -w; then
  exit 0
fi
echo "the wineserver was still running after 120 s: killed" >&2
wineserver -k
exit 1
