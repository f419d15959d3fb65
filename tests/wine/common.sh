# Shared by the Wine end-to-end tests (sourced): where the programs are, how they are run, how their
# results are compared. CTest sets the variables below (tests/wine/CMakeLists.txt).
set -euo pipefail
shopt -s inherit_errexit

: "${PACK_WIN_BIN_DIR:?the Windows build\'s bin folder}"
: "${PACK_NATIVE_BIN_DIR:?the native build\'s bin folder}"
: "${PACK_PROBE:?the path of pack_probe.exe}"
: "${PACK_E2E_DIR:?the folder for the tests\' files}"
: "${WINEPREFIX:?the tests\' Wine prefix}"
: "${PACK_WINE:?the Wine loader for the build\'s programs}"

readonly scenario_folder_name="Scenari più"
readonly crew_documents=(Borgorosso_MontegranoC_517_scheda_treno.txt Borgorosso_MontegranoC_517_rallentamenti.txt
                         Borgorosso_MontegranoC_517_note.txt)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

pass() { echo "ok: $*"; }

[[ -n "${DISPLAY:-}" ]] || fail "no X display: run the Wine tests under xvfb-run (scripts/test.sh does)"
for program in "$PACK_WIN_BIN_DIR/scenario-pack.exe" "$PACK_NATIVE_BIN_DIR/scenario-pack"; do
  [[ -x "$program" ]] || fail "$program is missing: build the win32 and the default presets first"
done

# A fresh, empty folder for one test.
fresh_dir() {
  local dir="$PACK_E2E_DIR/$1"
  if [[ -e "$dir" ]]; then
    chmod -R u+w "$dir"
    rm -rf "$dir"
  fi
  mkdir -p "$dir"
  printf '%s' "$dir"
}

# The Windows path of an absolute Unix path (drive Z: is the Unix root in a Wine prefix).
winpath() {
  local p="$1"
  printf 'Z:%s' "${p//\//\\}"
}

# run_windows_pack FOLDER CWD REPORT [HOLD]: starts FOLDER/scenario-pack.exe with the current folder CWD
# through pack_probe, which answers its message boxes and writes what it saw to REPORT. Prints the exit
# status.
run_windows_pack() {
  local folder="$1" cwd="$2" report="$3" hold="${4:-}"
  local args=(--cwd "$(winpath "$cwd")" --timeout 180)
  [[ -n "$hold" ]] && args+=(--hold "$(winpath "$hold")")
  local status=0
  (cd "$cwd" && "$PACK_WINE" "$PACK_PROBE" "${args[@]}" "$(winpath "$folder/scenario-pack.exe")" >"$report") || status=$?
  [[ $status -ne 124 && $status -ne 125 ]] || fail "pack_probe could not run the program (status $status): $(cat "$report")"
  printf '%s' "$status"
}

# run_posix_pack FOLDER CWD STDERR: runs FOLDER/scenario-pack with the current folder CWD. Prints the exit
# status.
run_posix_pack() {
  local folder="$1" cwd="$2" errors="$3"
  local status=0
  (cd "$cwd" && "$folder/scenario-pack" 2>"$errors") || status=$?
  printf '%s' "$status"
}

# The value of KEY in a probe report (empty when missing).
report_value() {
  local report="$1" key="$2"
  sed -n "s/^${key//./\\.}=//p" "$report" | head -n 1
}

# The messages of a run, one a line: the message boxes a probe report saw, or the lines after the label
# on the POSIX program's standard error.
windows_messages() {
  local report="$1" n=1
  while grep -q "^box\.$n\.text=" "$report"; do
    report_value "$report" "box.$n.text"
    n=$((n + 1))
  done
}
posix_messages() {
  local errors="$1"
  [[ "$(head -n 1 "$errors")" == "Attendere" ]] || fail "the POSIX program did not start with its label: $(cat "$errors")"
  tail -n +2 "$errors"
}

# Every message box of a report has the program's title, the OK button alone and no icon.
check_boxes() {
  local report="$1" n=1
  while grep -q "^box\.$n\.text=" "$report"; do
    [[ "$(report_value "$report" "box.$n.title")" == "scenario-pack" ]] || fail "box $n has the title $(report_value "$report" "box.$n.title")"
    [[ "$(report_value "$report" "box.$n.buttons")" == "OK" ]] || fail "box $n has the buttons $(report_value "$report" "box.$n.buttons")"
    [[ "$(report_value "$report" "box.$n.icon")" == "0" ]] || fail "box $n shows an icon"
    n=$((n + 1))
  done
}

# A message with the platform's own parts replaced: the program's folder by <folder>, the path separator by
# "/", and the system's reason of a failed file operation by <reason>.
normalize_message() {
  local message="$1" folder="$2"
  message="${message//"$folder"/<folder>}"
  if [[ "$message" =~ ^cannot\ ([a-z]+)\ \"(.*)\":\ .+$ ]]; then
    local path="${BASH_REMATCH[2]}"
    message="cannot ${BASH_REMATCH[1]} \"${path//\\//}\": <reason>"
  fi
  printf '%s' "$message"
}

# The file names in a folder, one a line, sorted, without the program itself.
names_in() {
  (cd "$1" && LC_ALL=C ls -A | grep -v -x -e scenario-pack.exe -e scenario-pack || true)
}

# same_files A B WHAT: the two folders hold the same names (programs aside) with the same bytes.
same_files() {
  local a="$1" b="$2" what="$3"
  if [[ "$(names_in "$a")" != "$(names_in "$b")" ]]; then
    diff <(names_in "$a") <(names_in "$b") >&2 || true
    fail "$what: the file names differ"
  fi
  local name
  while IFS= read -r name; do
    [[ -n "$name" ]] || continue
    cmp -- "$a/$name" "$b/$name" >&2 || fail "$what: $name differs"
  done < <(names_in "$a")
}

# No temporary file is left behind in a folder.
no_temporaries() {
  local leftovers
  leftovers="$(names_in "$1" | grep -E '\.tmp[0-9]*$' || true)"
  [[ -z "$leftovers" ]] || fail "temporary files left in $1: $leftovers"
}

readonly posix_tool="$PACK_NATIVE_BIN_DIR/scenario-tool"
readonly windows_tool="$PACK_WIN_BIN_DIR/scenario-tool.exe"

# tool_lists_command HELP COMMAND: the help text names COMMAND among the commands.
tool_lists_command() {
  grep -qE "^[[:space:]]+$2([[:space:]]|,|$)" <<<"$1"
}

# skip_unless_tool_has COMMAND...: the test is pending (CTest's skip status) while the POSIX tool's help
# lists none of them; the Windows tool must list every command the POSIX one lists.
skip_unless_tool_has() {
  local posix_help windows_help command
  posix_help="$("$posix_tool" --help 2>&1 || true)"
  windows_help="$("$PACK_WINE" "$windows_tool" --help 2>&1 | tr -d '\r' || true)"
  for command in "$@"; do
    if ! tool_lists_command "$posix_help" "$command"; then
      echo "PENDING: scenario-tool --help lists no \"$command\" command yet; this test runs once it does"
      exit 77
    fi
    tool_lists_command "$windows_help" "$command" || fail "scenario-tool.exe --help does not list \"$command\": $windows_help"
  done
}

# run_tool SIDE CWD OUT ARGS...: runs the POSIX (SIDE posix) or the Windows (SIDE windows) scenario-tool in
# CWD with ARGS; standard output and standard error go to OUT.stdout and OUT.stderr with the platform's own
# parts made comparable (CR LF line ends, the "\" separator, the current folder's path, the system's
# reason for a failed file operation). Prints the exit status.
run_tool() {
  local side="$1" cwd="$2" out="$3"
  shift 3
  local status=0 here
  here="$(cd "$cwd" && pwd | sed 's/[][\\.|*^$]/\\&/g')"
  if [[ "$side" == posix ]]; then
    (cd "$cwd" && "$posix_tool" "$@" >"$out.stdout.raw" 2>"$out.stderr.raw") || status=$?
  else
    (cd "$cwd" && "$PACK_WINE" "$windows_tool" "$@" >"$out.stdout.raw" 2>"$out.stderr.raw") || status=$?
  fi
  local stream
  for stream in stdout stderr; do
    sed -e 's/\r$//' -e 's|\\|/|g' -e "s|Z:$here|<cwd>|g" -e "s|$here|<cwd>|g" \
      -e 's/\(cannot [a-z ]* "[^"]*"\): .*$/\1: <reason>/' "$out.$stream.raw" >"$out.$stream"
  done
  printf '%s' "$status"
}

# same_tool_outcome POSIX WINDOWS WHAT POSIX_STATUS WINDOWS_STATUS: two runs saved by run_tool ended alike.
same_tool_outcome() {
  local posix="$1" windows="$2" what="$3" posix_status="$4" windows_status="$5"
  [[ "$posix_status" == "$windows_status" ]] || fail "$what: exit status $posix_status under POSIX, $windows_status under Windows"
  local stream
  for stream in stdout stderr; do
    if ! cmp -s "$posix.$stream" "$windows.$stream"; then
      diff "$posix.$stream" "$windows.$stream" >&2 || true
      fail "$what: the $stream differs"
    fi
  done
}
