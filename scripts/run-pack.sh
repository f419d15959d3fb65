#!/usr/bin/env bash
# Builds the scenario pack and runs it. It writes its files into its own folder, build/bin/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh pack
cmake --preset default >/dev/null
cmake --build build --target scenario-pack
build/bin/scenario-pack
echo "scenario-pack: files written to $(pwd)/build/bin:" >&2
ls -l build/bin | grep -E 'Borgorosso' >&2
