#!/usr/bin/env bash
# scenario-tool.exe serve: the Windows tool serves the page of exported sources on 127.0.0.1, its event
# stream gives the drawing, a save through a rename gives one update with the station moved, and Ctrl+C
# stops it. The drawing data is the POSIX tool's, byte for byte.
source "$(dirname "$0")/common.sh"
skip_unless_tool_has serve

root="$(fresh_dir tool_serve)"
"$posix_tool" export "$root/posix" >/dev/null
"$posix_tool" export "$root/windows" >/dev/null

# serve_session SIDE FOLDER OUT: serves FOLDER, records the first message and the one after a save that
# moves a station, stops the server with SIGINT; the messages go to OUT.1 and OUT.2.
serve_session() {
  local side="$1" folder="$2" out="$3"
  local fifo="$root/$side.fifo"
  rm -f "$fifo"
  mkfifo "$fifo"
  if [[ "$side" == posix ]]; then
    "$posix_tool" serve "$folder" >"$fifo" 2>"$out.stderr" &
  else
    "$PACK_WINE" "$windows_tool" serve "$(winpath "$folder")" >"$fifo" 2>"$out.stderr" &
  fi
  local server=$!
  exec {lines}<"$fifo"
  local url
  IFS= read -r -t 120 url <&$lines || fail "$side: serve printed no address: $(cat "$out.stderr")"
  url="${url%$'\r'}"
  [[ "$url" =~ ^http://127\.0\.0\.1:[0-9]+/\?token=[0-9a-f]{32}$ ]] || fail "$side: the first line is not the address: $url"
  python3 - "$url" "$folder/Borgorosso_MontegranoC_517-.txt" "$out" <<'PY' || fail "$side: $(cat "$out.stderr")"
import os, sys, urllib.request
url, source, out = sys.argv[1:]
page = urllib.request.urlopen(url, timeout=60).read().decode()
assert 'new EventSource("/events")' in page, "the page does not follow the stream"
stream = urllib.request.urlopen(url.replace("/?token=", "/events?token="), timeout=60)
def message():
    while True:
        line = stream.readline()
        assert line, "the stream ended"
        if line.startswith(b"data: "):
            return line[6:].rstrip(b"\r\n")
first = message()
with open(out + ".1", "wb") as f:
    f.write(first)
text = open(source, "rb").read().replace(b"stazione,    9750,", b"stazione,    9600,")
with open(source + ".swp", "wb") as f:
    f.write(text)
os.replace(source + ".swp", source)
with open(out + ".2", "wb") as f:
    f.write(message())
PY
  kill -INT "$server"
  local waited=0
  while kill -0 "$server" 2>/dev/null && ((waited < 100)); do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 "$server" 2>/dev/null; then
    kill "$server"
    fail "$side: Ctrl+C did not stop the server"
  fi
  wait "$server" || fail "$side: serve ended with status $?"
  cat <&$lines >"$out.stdout"
  exec {lines}<&-
}

serve_session posix "$root/posix" "$root/serve-posix"
serve_session windows "$root/windows" "$root/serve-windows"
for n in 1 2; do
  cmp -s "$root/serve-posix.$n" "$root/serve-windows.$n" ||
    fail "message $n differs: $(head -c 300 "$root/serve-windows.$n")"
done
python3 - "$root/serve-windows.2" <<'PY' || fail "the update does not move the station"
import json, sys
stations = json.load(open(sys.argv[1]))["data"]["stations"]
assert any(s["name"] == "SASSOCANDIDO" and s["m"] == 9600 for s in stations), stations
PY
grep -q '"stale":false' "$root/serve-windows.2" || fail "the update is marked out of date"
pass "serve: the Windows tool serves the page, the drawing and one update, as the POSIX tool does"
