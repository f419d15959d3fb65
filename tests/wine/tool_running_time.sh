#!/usr/bin/env bash
# scenario-tool.exe runtime and timetable give what the POSIX scenario-tool gives: the published run of a
# train over an open path, the embedded scenario's timetable, and the same refusal of a broken train file.
source "$(dirname "$0")/common.sh"
skip_unless_tool_has export compile runtime timetable

source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
root="$(fresh_dir tool_running_time)"
mkdir -p "$root/work"
cp "$source_dir/trains/longdistance.yaml" "$source_dir/tests/data/running_time/slope.yaml" "$root/work/"
sed 's/\[10.0, 80000.0\]/[10.0, lots]/' "$source_dir/trains/local.yaml" >"$root/work/broken.yaml"
for command in "export ." "compile ."; do
  # shellcheck disable=SC2086
  status="$(run_tool posix "$root/work" "$root/setup" $command)"
  [[ "$status" == 0 ]] || fail "$command failed ($status): $(cat "$root/setup.stderr")"
done

both() {
  local what="$1" expected="$2" posix_status windows_status
  shift 2
  posix_status="$(run_tool posix "$root/work" "$root/$what-posix" "$@")"
  windows_status="$(run_tool windows "$root/work" "$root/$what-windows" "$@")"
  same_tool_outcome "$root/$what-posix" "$root/$what-windows" "$what" "$posix_status" "$windows_status"
  [[ "$posix_status" == "$expected" ]] || fail "$what: exit status $posix_status: $(cat "$root/$what-posix.stderr")"
}

both runtime 0 runtime --train longdistance.yaml --path slope.yaml
both runtime-json 0 runtime --train longdistance.yaml --path slope.yaml --json
both runtime-broken 65 runtime --train broken.yaml --path slope.yaml
pass "runtime: the same run, the same JSON and the same refusal under Windows and POSIX"

both timetable 0 timetable .
both timetable-reference 0 timetable --reference-model --train longdistance.yaml .
pass "timetable: the same table under Windows and POSIX"
