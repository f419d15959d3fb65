#!/usr/bin/env bash
# The window and the refusal of a read-only file.
#
# A read-only crew document in the pack's folder makes the run end with the failure message. The message
# box is modal: it keeps the process, and so its window, alive until it is answered. While it is up, the
# probe finds the window titled "scenario-pack" with its label "Attendere" really drawn on the screen, and
# the box with the message, the OK button alone and no icon; the X display shows both windows. Then the box
# is answered: exit status 2, the read-only file unchanged, the same outcome as the POSIX program's.
#
# A read-only compiled file gets the same outcome under Windows and POSIX, and is left as it was.
source "$(dirname "$0")/common.sh"

root="$(fresh_dir pack_window_and_refusal)"

# setup NAME FILE: a folder for each platform holding its program and a read-only FILE with old bytes.
setup() {
  local name="$1" file="$2"
  mkdir -p "$root/$name/windows/$scenario_folder_name" "$root/$name/posix/$scenario_folder_name" "$root/$name/cwd"
  cp "$PACK_WIN_BIN_DIR/scenario-pack.exe" "$root/$name/windows/$scenario_folder_name/"
  cp "$PACK_NATIVE_BIN_DIR/scenario-pack" "$root/$name/posix/$scenario_folder_name/"
  local side
  for side in windows posix; do
    printf 'vecchio contenuto\r\n' >"$root/$name/$side/$scenario_folder_name/$file"
    chmod a-w "$root/$name/$side/$scenario_folder_name/$file"
  done
}

unchanged() {
  local path="$1"
  cmp -s "$path" <(printf 'vecchio contenuto\r\n') || fail "$path was changed"
  [[ "$(stat -c %a "$path")" == 444 ]] || fail "$path is no longer read-only"
}

# --- A read-only crew document: the window and the message box, seen while the program waits.
note=Borgorosso_MontegranoC_517_note.txt
setup document "$note"
win="$root/document/windows/$scenario_folder_name"
posix="$root/document/posix/$scenario_folder_name"
hold="$root/document/hold"
mkdir -p "$hold"

run_windows_pack "$win" "$root/document/cwd" "$root/document/report.txt" "$hold" >"$root/document/status" &
probe=$!
for ((i = 0; i < 1200; i++)); do
  [[ -e "$hold/shown" ]] && break
  kill -0 "$probe" 2>/dev/null || break
  sleep 0.1
done
[[ -e "$hold/shown" ]] || { wait "$probe" || true; fail "no message box appeared: $(cat "$root/document/report.txt")"; }
# The program is now waiting in its message box: the X display has both of its windows mapped.
xwininfo -root -tree >"$root/document/x-windows.txt"
x_windows="$(grep -c '"scenario-pack": ("scenario-pack.exe"' "$root/document/x-windows.txt" || true)"
touch "$hold/go"
wait "$probe" || fail "the probe failed: $(cat "$root/document/report.txt")"
win_status="$(cat "$root/document/status")"
report="$root/document/report.txt"
cat "$report"

[[ "$x_windows" -ge 2 ]] || fail "the X display shows $x_windows windows titled scenario-pack: $(cat "$root/document/x-windows.txt")"
[[ "$(report_value "$report" box.1.window.title)" == "scenario-pack" ]] || fail "no window titled scenario-pack while the message was shown"
[[ "$(report_value "$report" box.1.window.visible)" == "1" ]] || fail "the window was not visible"
[[ "$(report_value "$report" box.1.window.label)" == "Attendere" ]] || fail "the window's label is [$(report_value "$report" box.1.window.label)]"
ink="$(report_value "$report" box.1.window.ink)"
background="$(report_value "$report" box.1.window.background)"
[[ "$ink" =~ ^[0-9]+$ && "$ink" -gt 0 && "$background" =~ ^[0-9]+$ && "$background" -gt "$ink" ]] ||
  fail "the label is not drawn on the screen (dark pixels: $ink, background pixels: $background)"
pass "window \"scenario-pack\" with the label \"Attendere\" drawn on the screen ($ink dark pixels on $background of background) while the message is shown"

check_boxes "$report"
message="$(report_value "$report" box.1.text)"
prefix="cannot replace \"$(winpath "$win")\\$note\": "
[[ "$message" == "$prefix"?* ]] || fail "the message is [$message], expected [$prefix<reason>]"
reason="${message#"$prefix"}"
[[ "$reason" != *$'\r'* && "$reason" != *" " ]] || fail "the reason has trailing characters: [$reason]"
[[ -z "$(windows_messages "$report" | tail -n +2)" ]] || fail "more than one message"
[[ "$win_status" == 2 ]] || fail "exit status $win_status, expected 2"
unchanged "$win/$note"
no_temporaries "$win"
pass "message [$message] with OK alone and no icon, exit status 2, the read-only file unchanged"

posix_status="$(run_posix_pack "$posix" "$root/document/cwd" "$root/document/posix-errors.txt")"
[[ "$posix_status" == 2 ]] || fail "the POSIX program ended with $posix_status"
[[ "$(normalize_message "$message" "$(winpath "$win")")" == \
   "$(normalize_message "$(posix_messages "$root/document/posix-errors.txt")" "$posix")" ]] ||
  fail "the POSIX message is [$(posix_messages "$root/document/posix-errors.txt")]"
unchanged "$posix/$note"
same_files "$win" "$posix" "files after the refusal"
pass "the POSIX program refuses the same file with the same outcome; the same files are left"

# --- A read-only compiled file: the same outcome on both platforms, the file as it was.
cells=Borgorosso_MontegranoC_517.dat
setup compiled "$cells"
win="$root/compiled/windows/$scenario_folder_name"
posix="$root/compiled/posix/$scenario_folder_name"
win_status="$(run_windows_pack "$win" "$root/compiled/cwd" "$root/compiled/report.txt")"
posix_status="$(run_posix_pack "$posix" "$root/compiled/cwd" "$root/compiled/posix-errors.txt")"
cat "$root/compiled/report.txt"
[[ "$win_status" == "$posix_status" ]] || fail "exit status $win_status under Windows, $posix_status under POSIX"
check_boxes "$root/compiled/report.txt"
win_message="$(normalize_message "$(windows_messages "$root/compiled/report.txt")" "$(winpath "$win")")"
posix_message="$(normalize_message "$(posix_messages "$root/compiled/posix-errors.txt")" "$posix")"
[[ "$win_message" == "$posix_message" ]] || fail "messages differ: Windows [$win_message], POSIX [$posix_message]"
unchanged "$win/$cells"
unchanged "$posix/$cells"
no_temporaries "$win"
same_files "$win" "$posix" "files after a read-only compiled file"
if [[ "$win_status" == 2 ]]; then
  [[ "$win_message" == "cannot replace \"<folder>/$cells\": <reason>" ]] || fail "the message is [$win_message]"
  pass "a read-only $cells: exit status 2 on both, the file unchanged"
else
  pass "a read-only $cells: the run ends before the compiled files on both (exit status $win_status, [$win_message]); the file unchanged"
fi
