#!/usr/bin/env bash
# scenario-tool.exe compile on the exported sources writes the same bytes as the POSIX scenario-tool; a
# refused source gives the same error line and exit status on both.
source "$(dirname "$0")/common.sh"
skip_unless_tool_has export compile

root="$(fresh_dir tool_compile)"
mkdir -p "$root/exported"
status="$(run_tool posix "$root/exported" "$root/export" export .)"
[[ "$status" == 0 ]] || fail "export failed ($status): $(cat "$root/export.stderr")"
route=Borgorosso_MontegranoC_linea.txt
train_run=Borgorosso_MontegranoC_517-.txt

# compile_both CASE: compiles CASE's sources (already in posix/ and windows/ under CASE) on both platforms
# and compares the outcome, the output and the files left in both folders. Prints the exit status.
compile_both() {
  local case="$1" side status windows_status
  for side in posix windows; do
    local out_status
    out_status="$(run_tool "$side" "$root/$case/$side" "$root/$case/compile-$side" compile -o out "$scenario_folder_name")"
    [[ "$side" == posix ]] && status="$out_status" || windows_status="$out_status"
  done
  same_tool_outcome "$root/$case/compile-posix" "$root/$case/compile-windows" "compile ($case)" "$status" "$windows_status"
  same_files "$root/$case/posix/$scenario_folder_name" "$root/$case/windows/$scenario_folder_name" "sources after compile ($case)"
  same_files "$root/$case/posix/out" "$root/$case/windows/out" "compiled files ($case)"
  printf '%s' "$status"
}

# prepare CASE [FILE SED]: CASE's two folders with the exported sources, FILE edited by SED.
prepare() {
  local case="$1" file="${2:-}" edit="${3:-}" side
  for side in posix windows; do
    mkdir -p "$root/$case/$side/$scenario_folder_name" "$root/$case/$side/out"
    cp "$root/exported/"*.txt "$root/$case/$side/$scenario_folder_name/"
    if [[ -n "$edit" ]]; then
      sed -i -e "$edit" "$root/$case/$side/$scenario_folder_name/$file"
      ! cmp -s "$root/exported/$file" "$root/$case/$side/$scenario_folder_name/$file" || fail "$case: the edit changed nothing"
    fi
  done
}

prepare embedded
status="$(compile_both embedded)"
[[ "$status" == 0 ]] || fail "the embedded scenario does not compile cleanly ($status): $(cat "$root/embedded/compile-posix.stderr")"
[[ -n "$(names_in "$root/embedded/windows/out")" ]] || fail "compile wrote nothing"
pass "compile of the exported scenario: the same bytes under Windows and POSIX ($(names_in "$root/embedded/windows/out" | tr '\n' ' '))"

# Refused sources: no "[generale]" section and a route length beyond the track model's limit (nothing is
# compiled); a signal beyond the end of the track (an error is recorded, the files are still written).
prepare no_general "$route" '/^\[generale\]\r$/d'
prepare too_long "$route" 's/^lunghezza percorso,    32850\r$/lunghezza percorso,    99999999\r/'
prepare signal_beyond "$train_run" 's/^segnale,    5450,/segnale,    99999950,/'
for case in no_general too_long signal_beyond; do
  status="$(compile_both "$case")"
  [[ "$status" != 0 ]] || fail "$case: the source was not refused"
  pass "$case: exit status $status, the same files and the same error under Windows and POSIX: $(head -n 1 "$root/$case/compile-windows.stderr")"
done
