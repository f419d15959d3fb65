#!/usr/bin/env bash
# Checks the Windows programs of a cross-build without running them: the format and machine of each
# program, the pack a window program and the tool a console program, and nothing imported but Windows' own
# libraries (the C++ runtime is linked in, so that the programs need nothing else on a bare Windows).
# Usage: scripts/check-windows-programs.sh BUILD_DIR i686|x86_64
set -euo pipefail
build="$1" arch="$2"
case "$arch" in
  i686) format=pei-i386 magic=PE32 magic_pattern='PE32' ;;
  x86_64) format=pei-x86-64 magic=PE32+ magic_pattern='PE32\+' ;;
  *) echo "check-windows-programs: unknown architecture $arch" >&2; exit 64 ;;
esac
objdump="$arch-w64-mingw32-objdump"
# Libraries that every Windows has; anything else (libstdc++-6.dll, libwinpthread-1.dll...) would have to
# be shipped beside the program.
system_libraries='^(kernel32|user32|gdi32|shell32|advapi32|msvcrt|ntdll|comctl32|ole32|oleaut32|shlwapi|ws2_32)\.dll$'

fail() {
  echo "check-windows-programs: $*" >&2
  exit 1
}

check() {
  local program="$build/bin/$1" subsystem="$2"
  [[ -f "$program" ]] || fail "$program is missing"
  local headers
  headers="$("$objdump" -p "$program")" || fail "$program cannot be read as a Windows program"
  grep -q "file format $format\$" <<<"$headers" || fail "$program is not $format: $(grep -m1 'file format' <<<"$headers")"
  grep -qE "^Magic[[:space:]]+[0-9a-f]+[[:space:]]+\($magic_pattern\)" <<<"$headers" || fail "$program is not $magic"
  grep -qE "^Subsystem[[:space:]]+[0-9a-f]+[[:space:]]+\($subsystem\)" <<<"$headers" ||
    fail "$program is not a $subsystem program: $(grep -m1 '^Subsystem' <<<"$headers")"
  local library others=()
  while read -r library; do
    grep -qiE "$system_libraries" <<<"$library" || others+=("$library")
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
  ((${#others[@]} == 0)) || fail "$program needs libraries a bare Windows lacks: ${others[*]}"
  echo "ok: $1 is $magic ($format), $subsystem, imports only Windows' own libraries"
}

check scenario-pack.exe "Windows GUI"
check scenario-tool.exe "Windows CUI"
