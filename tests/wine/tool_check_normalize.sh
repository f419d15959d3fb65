#!/usr/bin/env bash
# scenario-tool.exe check and normalize behave as the POSIX scenario-tool: check reports the same problems
# with the same exit status and writes nothing; normalize turns sources saved with LF line ends and UTF-8
# text back into the same code page 1252 bytes with CR LF.
source "$(dirname "$0")/common.sh"
skip_unless_tool_has export check normalize

root="$(fresh_dir tool_check_normalize)"
mkdir -p "$root/exported"
status="$(run_tool posix "$root/exported" "$root/export" export .)"
[[ "$status" == 0 ]] || fail "export failed ($status): $(cat "$root/export.stderr")"
route=Borgorosso_MontegranoC_linea.txt
train_run=Borgorosso_MontegranoC_517-.txt

# both_sides CASE: CASE's two folders (posix/, windows/), each with a copy of the exported texts.
both_sides() {
  local side
  for side in posix windows; do
    mkdir -p "$root/$1/$side/$scenario_folder_name"
    cp "$root/exported/"*.txt "$root/$1/$side/$scenario_folder_name/"
  done
}

# check_both CASE ARGS...: check on both platforms, the same outcome, and nothing in the folders changed.
check_both() {
  local case="$1" side posix_status windows_status
  shift
  for side in posix windows; do
    local before status
    before="$(cd "$root/$case/$side" && find . -type f -exec md5sum {} + | sort)"
    status="$(run_tool "$side" "$root/$case/$side" "$root/$case/check-$side" check "$scenario_folder_name" "$@")"
    [[ "$before" == "$(cd "$root/$case/$side" && find . -type f -exec md5sum {} + | sort)" ]] ||
      fail "check ($case) changed the files of the $side folder"
    [[ "$side" == posix ]] && posix_status="$status" || windows_status="$status"
  done
  same_tool_outcome "$root/$case/check-posix" "$root/$case/check-windows" "check ($case)" "$posix_status" "$windows_status"
  printf '%s' "$posix_status"
}

both_sides clean
status="$(check_both clean)"
[[ "$status" == 0 ]] || fail "check of the exported scenario: exit status $status: $(cat "$root/clean/check-posix.stdout")"
pass "check of the exported scenario: exit status 0 under Windows and POSIX"

# A source with several problems: LF line ends in the route, a value out of range and an unreadable value
# in the train run.
both_sides faults
for side in posix windows; do
  folder="$root/faults/$side/$scenario_folder_name"
  sed -i -e 's/^numero vetture, *[0-9]*/numero vetture,   80/' -e 's/^velocita, *\([0-9]*\), *\([0-9]*\)/velocita, \1, 6x5/' "$folder/$train_run"
done
status="$(check_both faults --json)"
[[ "$status" == 2 ]] || fail "check of the faulty sources: exit status $status, expected 2"
grep -q '"errors"\|"errorCode"' "$root/faults/check-posix.stdout" || fail "check --json wrote no JSON: $(cat "$root/faults/check-posix.stdout")"
pass "check of faulty sources: the same JSON report and exit status 2 under Windows and POSIX"

# normalize: LF line ends and UTF-8 text, on both platforms, back to the exported bytes.
both_sides normalize
for side in posix windows; do
  for file in "$route" "$train_run"; do
    path="$root/normalize/$side/$scenario_folder_name/$file"
    iconv -f CP1252 -t UTF-8 "$path" | sed 's/\r$//' >"$path.utf8" && mv "$path.utf8" "$path"
  done
done
cmp -s "$root/exported/$route" "$root/normalize/posix/$scenario_folder_name/$route" && fail "the LF copy equals the original"
for side in posix windows; do
  status="$(run_tool "$side" "$root/normalize/$side" "$root/normalize/normalize-$side" normalize \
              "$scenario_folder_name/$route" "$scenario_folder_name/$train_run")"
  [[ "$side" == posix ]] && posix_status="$status" || windows_status="$status"
done
same_tool_outcome "$root/normalize/normalize-posix" "$root/normalize/normalize-windows" "normalize" "$posix_status" "$windows_status"
[[ "$posix_status" == 0 ]] || fail "normalize failed ($posix_status): $(cat "$root/normalize/normalize-posix.stderr")"
for side in posix windows; do
  same_files "$root/exported" "$root/normalize/$side/$scenario_folder_name" "normalize ($side)"
done
no_temporaries "$root/normalize/windows/$scenario_folder_name"
pass "normalize: LF and UTF-8 copies back to the exported bytes under Windows and POSIX"
