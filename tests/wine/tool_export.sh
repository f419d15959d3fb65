#!/usr/bin/env bash
# scenario-tool.exe export writes the same five files, byte for byte, as the POSIX scenario-tool, into a
# folder that it creates and whose name has an accented letter, and says the same about it.
source "$(dirname "$0")/common.sh"
skip_unless_tool_has export

root="$(fresh_dir tool_export)"
mkdir -p "$root/posix" "$root/windows"
posix_status="$(run_tool posix "$root/posix" "$root/export-posix" export "$scenario_folder_name/sorgenti")"
windows_status="$(run_tool windows "$root/windows" "$root/export-windows" export "$scenario_folder_name\\sorgenti")"
cat "$root/export-windows.stdout" "$root/export-windows.stderr"
[[ "$posix_status" == 0 ]] || fail "the POSIX export failed ($posix_status): $(cat "$root/export-posix.stderr")"
same_tool_outcome "$root/export-posix" "$root/export-windows" "export" "$posix_status" "$windows_status"
[[ "$(names_in "$root/posix/$scenario_folder_name/sorgenti" | wc -l)" == 5 ]] ||
  fail "export wrote $(names_in "$root/posix/$scenario_folder_name/sorgenti" | tr '\n' ' ')"
same_files "$root/posix/$scenario_folder_name/sorgenti" "$root/windows/$scenario_folder_name/sorgenti" "export"
pass "export: the same five files and the same output under Windows and POSIX"
