#!/usr/bin/env bash
# scenario-pack.exe copied alone into an empty folder whose name has an accented letter and started from
# another current folder writes its files into its own folder, with the same names and bytes, the same
# messages and the same exit status as the POSIX program run the same way; a second run over its own
# files gives the same bytes again.
source "$(dirname "$0")/common.sh"

root="$(fresh_dir pack_files)"
win="$root/windows/$scenario_folder_name"
posix="$root/posix/$scenario_folder_name"
mkdir -p "$win" "$posix" "$root/cwd-windows" "$root/cwd-posix"
cp "$PACK_WIN_BIN_DIR/scenario-pack.exe" "$win/"
cp "$PACK_NATIVE_BIN_DIR/scenario-pack" "$posix/"

win_status="$(run_windows_pack "$win" "$root/cwd-windows" "$root/report-1.txt")"
posix_status="$(run_posix_pack "$posix" "$root/cwd-posix" "$root/posix-errors.txt")"
echo "exit status: Windows $win_status, POSIX $posix_status"
cat "$root/report-1.txt"

[[ "$win_status" == "$posix_status" ]] || fail "exit status $win_status under Windows, $posix_status under POSIX"
[[ "$(report_value "$root/report-1.txt" exit)" == "$win_status" ]] || fail "the probe's report disagrees with its status"
check_boxes "$root/report-1.txt"
win_messages="$(windows_messages "$root/report-1.txt")"
posix_messages="$(posix_messages "$root/posix-errors.txt")"
[[ "$(normalize_message "$win_messages" "$(winpath "$win")")" == "$(normalize_message "$posix_messages" "$posix")" ]] ||
  fail "messages differ: Windows [$win_messages], POSIX [$posix_messages]"
pass "same exit status ($win_status) and messages [${win_messages}]"

for document in "${crew_documents[@]}"; do
  [[ -f "$win/$document" ]] || fail "$document was not written into the program's folder"
done
[[ -z "$(ls -A "$root/cwd-windows")" ]] || fail "files written into the current folder: $(ls -A "$root/cwd-windows")"
no_temporaries "$win"
same_files "$win" "$posix" "Windows and POSIX runs"
pass "the same $(names_in "$win" | wc -l) files with the same bytes: $(names_in "$win" | tr '\n' ' ')"

# Again, over the files of the first run: they are replaced by the same bytes.
cp -a "$win" "$root/first-run"
win_status_2="$(run_windows_pack "$win" "$root/cwd-windows" "$root/report-2.txt")"
[[ "$win_status_2" == "$win_status" ]] || fail "the second run ended with $win_status_2, the first with $win_status"
no_temporaries "$win"
same_files "$win" "$root/first-run" "first and second Windows runs"
pass "a second run gives the same bytes"
