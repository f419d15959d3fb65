#!/usr/bin/env bash
# scenario-tool.exe lsp speaks the same protocol as the POSIX scenario-tool: one session (the train run
# source opened with a fault, hover, completion, signature help, symbols, hints, a malformed frame, an
# unknown method, shutdown and exit) gets the same answers, message for message, and the same exit status.
source "$(dirname "$0")/common.sh"
skip_unless_tool_has lsp

root="$(fresh_dir tool_lsp)"
status="$(run_tool posix "$root" "$root/export" export .)"
[[ "$status" == 0 ]] || fail "export failed ($status): $(cat "$root/export.stderr")"
session="$(dirname "$0")/../lsp_session.py"

python3 "$session" "$root" "$posix_tool" lsp >"$root/posix.session" || fail "the POSIX session failed"
python3 "$session" --windows-paths "$root" "$PACK_WINE" "$windows_tool" lsp >"$root/windows.session" ||
  fail "the Windows session failed"
grep -q '"code": "E16"' "$root/posix.session" || fail "the POSIX server published no error 16: $(head -c 2000 "$root/posix.session")"
tail -n 1 "$root/posix.session" | grep -qx 'exit status 0' || fail "the POSIX server did not end with 0"
if ! cmp -s "$root/posix.session" "$root/windows.session"; then
  diff "$root/posix.session" "$root/windows.session" >&2 || true
  fail "the Windows server answered otherwise"
fi
pass "scenario-tool.exe lsp: $(wc -l <"$root/posix.session") messages and the exit status as the POSIX tool's"
