#!/usr/bin/env bash
# Sets up the tests' own Wine prefix (inside the build tree) once, and checks for the X display.
set -euo pipefail
: "${WINEPREFIX:?the tests\' Wine prefix}"
: "${PACK_WINE:?the Wine loader for the build\'s programs}"
[[ -n "${DISPLAY:-}" ]] || { echo "no X display: run the Wine tests under xvfb-run (scripts/test.sh does)" >&2; exit 1; }
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "creating the Wine prefix $WINEPREFIX"
  "$PACK_WINE" wineboot --init
fi
"$PACK_WINE" --version
