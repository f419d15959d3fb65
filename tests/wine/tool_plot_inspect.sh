#!/usr/bin/env bash
# scenario-tool.exe inspect and plot say and draw the same as the POSIX scenario-tool for the same compiled
# files: the same words for each file kind, the same SVG and interactive page, byte for byte.
source "$(dirname "$0")/common.sh"
skip_unless_tool_has export compile inspect plot

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
  status="$(run_tool "$side" "$root/compiled" "$root/plot-$side/run" plot --html "page-$side" -o "plot-$side.svg" .)"
  [[ "$status" == 0 ]] || fail "plot ($side) failed ($status): $(cat "$root/plot-$side/run.stderr")"
done
cmp "$root/compiled/plot-posix.svg" "$root/compiled/plot-windows.svg" || fail "the SVGs differ"
cmp "$root/compiled/page-posix/Borgorosso_MontegranoC_517.html" "$root/compiled/page-windows/Borgorosso_MontegranoC_517.html" ||
  fail "the interactive pages differ"
pass "plot: the same SVG and the same interactive page under Windows and POSIX"
