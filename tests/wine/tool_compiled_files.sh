#!/usr/bin/env bash
# scenario-tool.exe inspect, plot and decompile do the same as the POSIX scenario-tool with the same compiled
# files: the same words for each file kind, the same SVG and interactive page, the same sources back, byte
# for byte; and formats prints the same reference.
source "$(dirname "$0")/common.sh"
skip_unless_tool_has export compile inspect plot decompile formats

root="$(fresh_dir tool_plot_inspect)"
mkdir -p "$root/compiled"
for command in "export ." "compile ."; do
  # shellcheck disable=SC2086
  status="$(run_tool posix "$root/compiled" "$root/setup" $command)"
  [[ "$status" == 0 ]] || fail "$command failed ($status): $(cat "$root/setup.stderr")"
done

# The same command on both sides, in the same folder of compiled files.
both() {
  local what="$1" posix_status windows_status
  shift
  posix_status="$(run_tool posix "$root/compiled" "$root/$what-posix" "$@")"
  windows_status="$(run_tool windows "$root/compiled" "$root/$what-windows" "$@")"
  same_tool_outcome "$root/$what-posix" "$root/$what-windows" "$what" "$posix_status" "$windows_status"
  [[ "$posix_status" == 0 ]] || fail "$what: exit status $posix_status: $(cat "$root/$what-posix.stderr")"
}

for file in Borgorosso_MontegranoC_517.dat Borgorosso_MontegranoC_517.sim Borgorosso_MontegranoC_linea.dat; do
  both "inspect-$file" inspect "$file"
  both "inspect-json-$file" inspect --json "$file"
done
pass "inspect: the same text and JSON for the three compiled files under Windows and POSIX"

for side in posix windows; do
  mkdir -p "$root/plot-$side"
  status="$(run_tool "$side" "$root/compiled" "$root/plot-$side/run" plot -o "plot-$side.svg" .)"
  [[ "$status" == 0 ]] || fail "plot ($side) failed ($status): $(cat "$root/plot-$side/run.stderr")"
  status="$(run_tool "$side" "$root/compiled" "$root/plot-$side/page" plot --html -o "page-$side" .)"
  [[ "$status" == 0 ]] || fail "plot --html ($side) failed ($status): $(cat "$root/plot-$side/page.stderr")"
done
cmp "$root/compiled/plot-posix.svg" "$root/compiled/plot-windows.svg" || fail "the SVGs differ"
cmp "$root/compiled/page-posix/Borgorosso_MontegranoC_517.html" "$root/compiled/page-windows/Borgorosso_MontegranoC_517.html" ||
  fail "the interactive pages differ"
pass "plot: the same SVG and the same interactive page under Windows and POSIX"

# Each side decompiles into a folder of the same name, in a copy of the compiled files of its own.
for side in posix windows; do
  mkdir -p "$root/decompile-$side"
  cp "$root/compiled/"*.dat "$root/compiled/"*.sim "$root/decompile-$side/"
  status="$(run_tool "$side" "$root/decompile-$side" "$root/decompile-$side/run" decompile -o sources .)"
  [[ "$side" == posix ]] && posix_status="$status" || windows_status="$status"
done
same_tool_outcome "$root/decompile-posix/run" "$root/decompile-windows/run" "decompile" "$posix_status" "$windows_status"
[[ "$posix_status" == 0 ]] || fail "decompile failed ($posix_status): $(cat "$root/decompile-posix/run.stderr")"
same_files "$root/decompile-posix/sources" "$root/decompile-windows/sources" "decompiled sources"
pass "decompile: the same sources and the same report under Windows and POSIX"

both formats formats
both formats-markdown formats --markdown
pass "formats: the same reference under Windows and POSIX"
