#!/usr/bin/env bash
# scenario-tool.exe pack makes, for a generated scenario, a program that writes into its own folder the
# same compiled bytes as scenario-tool compile of the same sources and the crew documents unchanged; the
# POSIX tool given the same template makes the same program, byte for byte. Copies with a damaged payload
# show the message box, end with exit status 3 and write nothing, as the POSIX pack does with the same
# damage. The template itself, used by the tool, still writes the embedded scenario's six files.
source "$(dirname "$0")/common.sh"
skip_unless_tool_has pack compile

root="$(fresh_dir tool_pack)"
scenario="Val Sorgente" train=314
stem="${scenario}_${train}"
mkdir -p "$root/sources"
python3 "$(dirname "$0")/../make_route.py" --length 30000 --seed 11 "$root/sources" "$scenario" "$train" >/dev/null
printf 'Note per il macchinista\r\nlinea inventata, citt\xe0 inventate\r\n' >"$root/sources/${stem}_note.txt"
printf 'Orario del treno %s\r\n' "$train" >"$root/sources/${stem}_scheda_treno.txt"
cp "$PACK_WIN_BIN_DIR/scenario-pack.exe" "$root/template-before.exe"

# The Windows tool takes the template beside it, as the Windows package ships them.
status="$(run_tool windows "$root/sources" "$root/pack-windows" pack . "$scenario" "$train" -o ../made-windows.exe)"
[[ "$status" == 0 ]] || fail "scenario-tool.exe pack failed ($status): $(cat "$root/pack-windows.stderr")"
status="$(run_tool posix "$root/sources" "$root/pack-posix" pack . "$scenario" "$train" -o ../made-posix.exe \
          --template "$PACK_WIN_BIN_DIR/scenario-pack.exe")"
[[ "$status" == 0 ]] || fail "scenario-tool pack failed ($status): $(cat "$root/pack-posix.stderr")"
cmp "$root/made-windows.exe" "$root/made-posix.exe" || fail "the Windows and the POSIX tool made different packs"
cmp "$root/template-before.exe" "$PACK_WIN_BIN_DIR/scenario-pack.exe" || fail "the tool changed its template"
pass "the Windows and the POSIX tool make the same pack ($(stat -c %s "$root/made-windows.exe") bytes)"

status="$(run_tool posix "$root/sources" "$root/compile" compile . "$scenario" "$train" -o ../compiled)"
[[ "$status" == 0 ]] || fail "compile failed ($status): $(cat "$root/compile.stderr")"
cp "$root/sources/${stem}_note.txt" "$root/sources/${stem}_scheda_treno.txt" "$root/compiled/"

# --- The pack in a folder of its own, started from another folder.
run="$root/run/$scenario_folder_name"
mkdir -p "$run" "$root/cwd"
cp "$root/made-windows.exe" "$run/scenario-pack.exe"
status="$(run_windows_pack "$run" "$root/cwd" "$root/run/report.txt")"
cat "$root/run/report.txt"
[[ "$status" == 0 ]] || fail "the pack ended with $status: $(windows_messages "$root/run/report.txt")"
[[ -z "$(windows_messages "$root/run/report.txt")" ]] || fail "the pack showed a message"
[[ -z "$(ls -A "$root/cwd")" ]] || fail "files written into the current folder: $(ls -A "$root/cwd")"
no_temporaries "$run"
same_files "$run" "$root/compiled" "the pack's files and compile's"
pass "the pack writes $(names_in "$run" | wc -l) files: the crew documents unchanged and the compiled files as compile writes them"

# --- A scenario started with scenario-tool new, packed by the Windows tool (without crew documents) and
# run: the same compiled files as compile writes.
status="$(run_tool posix "$root" "$root/new" new new-sources "Prova Nuova" 7)"
[[ "$status" == 0 ]] || fail "scenario-tool new failed ($status): $(cat "$root/new.stderr")"
status="$(run_tool windows "$root/new-sources" "$root/new-pack" pack . "Prova Nuova" 7 -o ../new-made.exe)"
[[ "$status" == 0 ]] || fail "scenario-tool.exe pack of the new scenario failed ($status): $(cat "$root/new-pack.stderr")"
status="$(run_tool posix "$root/new-sources" "$root/new-compile" compile . "Prova Nuova" 7 -o ../new-compiled)"
[[ "$status" == 0 ]] || fail "compile of the new scenario failed ($status): $(cat "$root/new-compile.stderr")"
new_run="$root/new-run/$scenario_folder_name"
mkdir -p "$new_run"
cp "$root/new-made.exe" "$new_run/scenario-pack.exe"
status="$(run_windows_pack "$new_run" "$root/cwd" "$root/new-run/report.txt")"
[[ "$status" == 0 ]] || fail "the new scenario's pack ended with $status: $(windows_messages "$root/new-run/report.txt")"
no_temporaries "$new_run"
same_files "$new_run" "$root/new-compiled" "the new scenario's pack files and compile's"
pass "a scenario made with new, packed and run, writes $(names_in "$new_run" | wc -l) files as compile does"

# --- Damaged copies, Windows and POSIX alike. The POSIX pack carries the same payload after its own
# program, so the same damage, counted from the end, hits the same bytes.
status="$(run_tool posix "$root/sources" "$root/pack-native" pack . "$scenario" "$train" -o ../made-native \
          --template "$PACK_NATIVE_BIN_DIR/scenario-pack")"
[[ "$status" == 0 ]] || fail "scenario-tool pack with the POSIX template failed ($status): $(cat "$root/pack-native.stderr")"

# damage SOURCE TARGET KIND: a copy of the pack SOURCE with one kind of damage.
damage() {
  python3 - "$@" <<'PY'
import struct, sys, zlib
source, target, kind = sys.argv[1:4]
d = bytearray(open(source, "rb").read())
version, length, crc = struct.unpack("<III", d[-12:])
body = len(d) - 20 - length

def reseal():
    d[-4:] = struct.pack("<I", zlib.crc32(bytes(d[body:len(d) - 20])))

if kind == "flipped":
    d[body + length // 2] ^= 0x01
elif kind == "cut":
    del d[-1]
elif kind == "half-missing":
    del d[body + length // 2:]
elif kind == "version":
    d[-12:-8] = struct.pack("<I", 2)
elif kind == "length-past-file":
    slot = d.find(b"SCNPACK:PAYLOAD=") + 16
    d[slot:slot + 4] = struct.pack("<I", len(d) + 1000)
elif kind == "device-name":
    d[body + 2:body + 14] = b"CON.Sorgente"
    reseal()
elif kind == "foreign-file":
    at = d.find(b"Val Sorgente_314_note.txt", body)
    d[at:at + 25] = b"Val Sorgente_314_nota.txt"
    reseal()
open(target, "wb").write(d)
PY
}

sizes_masked() { sed -E 's/\(([0-9]+) bytes of ([0-9]+)\)/(N bytes of M)/' <<<"$1"; }

for kind in flipped cut half-missing version length-past-file device-name foreign-file; do
  win="$root/damaged/$kind/windows/$scenario_folder_name"
  posix="$root/damaged/$kind/posix/$scenario_folder_name"
  mkdir -p "$win" "$posix"
  damage "$root/made-windows.exe" "$win/scenario-pack.exe" "$kind"
  damage "$root/made-native" "$posix/scenario-pack" "$kind"
  chmod +x "$posix/scenario-pack"
  win_status="$(run_windows_pack "$win" "$root/cwd" "$root/damaged/$kind/report.txt")"
  posix_status=0
  (cd "$root/cwd" && "$posix/scenario-pack" 2>"$root/damaged/$kind/posix-errors.txt") || posix_status=$?
  [[ "$win_status" == 3 ]] || fail "$kind: exit status $win_status, expected 3: $(cat "$root/damaged/$kind/report.txt")"
  [[ "$posix_status" == 3 ]] || fail "$kind: the POSIX pack ended with $posix_status"
  check_boxes "$root/damaged/$kind/report.txt"
  message="$(windows_messages "$root/damaged/$kind/report.txt")"
  [[ "$message" == "the scenario this program carries cannot be used: "?* ]] || fail "$kind: the message is [$message]"
  # The two programs differ in size, so a message that counts the file's bytes is compared without them.
  [[ "$(sizes_masked "$message")" == "$(sizes_masked "$(cat "$root/damaged/$kind/posix-errors.txt")")" ]] ||
    fail "$kind: the POSIX message is [$(cat "$root/damaged/$kind/posix-errors.txt")], the Windows one [$message]"
  [[ -z "$(names_in "$win")" && -z "$(names_in "$posix")" ]] || fail "$kind: files were written: $(names_in "$win") $(names_in "$posix")"
  [[ -z "$(ls -A "$root/cwd")" ]] || fail "$kind: files written into the current folder"
  pass "$kind: the box [$message], exit status 3, nothing written, as on POSIX"
done

# --- The template the tool used still writes the embedded scenario.
plain="$root/plain/$scenario_folder_name"
mkdir -p "$plain"
cp "$PACK_WIN_BIN_DIR/scenario-pack.exe" "$plain/"
status="$(run_windows_pack "$plain" "$root/cwd" "$root/plain/report.txt")"
[[ "$status" == 0 ]] || fail "the template ended with $status: $(windows_messages "$root/plain/report.txt")"
expected="Borgorosso_MontegranoC_517.dat 11970
Borgorosso_MontegranoC_517.sim
Borgorosso_MontegranoC_517_note.txt
Borgorosso_MontegranoC_517_rallentamenti.txt
Borgorosso_MontegranoC_517_scheda_treno.txt
Borgorosso_MontegranoC_linea.dat 796964"
actual="$(cd "$plain" && for f in $(names_in .); do
  case "$f" in *.dat) echo "$f $(stat -c %s "$f")" ;; *) echo "$f" ;; esac
done)"
[[ "$actual" == "$expected" ]] || fail "the template wrote [$actual]"
pass "the template without payload writes the embedded scenario's six files (cells 11970 bytes, plan 796964)"
