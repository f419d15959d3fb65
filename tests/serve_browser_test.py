#!/usr/bin/env python3
"""`scenario-tool serve` as an author uses it: the tool serves the exported scenario, headless Chromium
opens the page, and the test edits the train run source on disk the way editors save (a temporary file
renamed over it): a moved station is drawn at its new place without a reload and with the view kept; a
bad edit shows the error at its line in the panel and keeps the drawing, marked out of date; the fix
clears the panel. Before that it checks the server as a hostile page or a careless client would meet it
(another Host, no token or a wrong one, other paths, bad requests, 20 event streams of which half close
early), and at the end that Ctrl+C stops it cleanly. The browser opens the printed address with its token
and then fetches the data and the stream with the cookie it was given.

    serve_browser_test.py PATH/TO/scenario-tool [SCREENSHOT.png]

Exits 77 (skipped) when no Chromium is installed; set CHROMIUM to choose the browser.
"""

import base64
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from viewer_browser_test import DevTools, SKIP, check, failures, find_chromium  # noqa: E402

TRAIN = "Borgorosso_MontegranoC_517-.txt"


def start_server(tool, folder):
    server = subprocess.Popen([tool, "serve", folder], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    url = server.stdout.readline().decode().strip()
    if not re.fullmatch(r"http://127\.0\.0\.1:[0-9]+/\?token=[0-9a-f]{32}", url):
        server.kill()
        sys.exit("serve did not print its address first: %r %r" % (url, server.stderr.read()))
    return server, url


def request(port, raw, read_all=True):
    """Sends raw bytes, returns what came back (the status line first)."""
    with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
        s.sendall(raw)
        reply = b""
        while read_all:
            chunk = s.recv(65536)
            if not chunk:
                break
            reply += chunk
        return reply


def status(reply):
    parts = reply.split(b" ", 2)
    return int(parts[1]) if len(parts) > 2 and parts[1].isdigit() else None


def check_requests(port, token):
    host = b"127.0.0.1:%d" % port
    bare = lambda path, h=host: request(port, b"GET " + path + b" HTTP/1.1\r\nHost: " + h + b"\r\nConnection: close\r\n\r\n")
    get = lambda path, h=host: bare(path + b"?token=" + token, h)
    check(status(get(b"/")) == 200, "the page is served")
    check(status(get(b"/data")) == 200 and b'"verdict"' in get(b"/data"), "the data is served")
    for path in [b"/", b"/data", b"/events", b"/data?token=" + token[:-1], b"/data?token=" + token + b"0"]:
        reply = bare(path)
        check(status(reply) == 403 and b'"verdict"' not in reply, "without its token nothing is served: %r" % path)
    for path in [b"/../" + TRAIN.encode(), b"/" + TRAIN.encode(), b"/etc/passwd", b"/%2e%2e/%2e%2e/", b"/events/x"]:
        check(status(get(path)) == 404, "nothing but the page, data and stream: %r gives 404" % path)
    for other in [b"rebound.example:%d" % port, b"127.0.0.1", b"127.0.0.1:1"]:
        check(status(get(b"/data", other)) == 403, "another Host is refused: %r" % other)
    for raw in [b"garbage\r\n\r\n", b"GET / HTTP/1.1\r\n" + b"X: " + b"a" * 20000 + b"\r\n\r\n",
                b"POST / HTTP/1.1\r\nHost: " + host + b"\r\nContent-Length: 100000000\r\n\r\n",
                b"GET /\x00 HTTP/1.1\r\nHost: " + host + b"\r\n\r\n"]:
        code = status(request(port, raw))
        check(code is None or 400 <= code < 500, "a bad request gets 4xx: %r... gives %r" % (raw[:30], code))


def check_streams(port, token):
    """20 pages' streams at once; half close after the first message; the server goes on."""
    streams = []
    for _ in range(20):
        s = socket.create_connection(("127.0.0.1", port), timeout=10)
        s.sendall(b"GET /events?token=%s HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n\r\n" % (token, port))
        streams.append(s)
    got = 0
    for s in streams:
        data = b""
        while b"data: " not in data:
            chunk = s.recv(65536)
            if not chunk:
                break
            data += chunk
        got += b"data: " in data
    check(got == 20, "20 streams each get the current message: %d" % got)
    for s in streams[::2]:
        s.close()
    return streams[1::2]


def save_through_rename(folder, transform):
    path = os.path.join(folder, TRAIN)
    with open(path, "rb") as f:
        text = f.read()
    new = transform(text)
    assert new != text
    temp = path + ".swp"
    with open(temp, "wb") as f:
        f.write(new)
    os.replace(temp, path)


def station_metre(tools, name):
    return tools.evaluate("(() => { const s = [...document.querySelectorAll('.station')].find(e => e.dataset.name === %s);"
                          " return s ? +s.dataset.m : null; })()" % json.dumps(name))


def drive(chromium, profile, url, folder, screenshot):
    tools = DevTools(chromium, profile, url)
    try:
        check(tools.wait_for("document.body && document.body.dataset.ready === '1' && document.body.dataset.updates === '1'"),
              "the page is drawn and has its first message")
        check(station_metre(tools, "SASSOCANDIDO") == 9750, "the station first at 9750 m")
        # A view of the author's own, with the station in it.
        tools.key("+", "Equal", 187)
        tools.key("ArrowLeft", "ArrowLeft", 37)
        view = tools.range()
        check(view[0] < 9500 and 9750 < view[1] and view != [0, 39900], "a view of one's own: %r" % view)
        tools.evaluate("window.notReloaded = true")

        save_through_rename(folder, lambda t: t.replace(b"stazione,    9750,", b"stazione,    9600,"))
        check(tools.wait_for("document.body.dataset.updates === '2'"), "a save reaches the page")
        check(station_metre(tools, "SASSOCANDIDO") == 9600, "the station drawn at its new place: %r" % station_metre(tools, "SASSOCANDIDO"))
        check(tools.evaluate("window.notReloaded === true"), "without a reload")
        check(tools.range() == view, "the view kept: %r, was %r" % (tools.range(), view))
        check(tools.evaluate("document.querySelectorAll('#verdict li').length") == 0, "a clean verdict: an empty panel")

        save_through_rename(folder, lambda t: t.replace(b"stazione,    9600,", b"stazione,    9x50,"))
        check(tools.wait_for("document.body.dataset.updates === '3'"), "a bad save reaches the page")
        error = tools.evaluate("(() => { const e = document.querySelector('#verdict li.error'); return e ? e.textContent : null; })()")
        check(error is not None and (TRAIN + ":36") in error and "error" in error, "the error at its line in the panel: %r" % error)
        errors = tools.evaluate("document.querySelectorAll('#verdict li.error').length")
        check(errors == 1, "the error said once in the panel, not %r times" % errors)
        check(tools.evaluate("document.getElementById('panels').classList.contains('stale')"), "the drawing marked out of date")
        why = tools.evaluate("document.getElementById('stale').textContent")
        check((TRAIN + ":36: error 25: \"9x50\" is not a whole number") in why, "the red box says check's first line: %r" % why)
        check(station_metre(tools, "SASSOCANDIDO") == 9600, "the last drawing kept")
        if screenshot:
            shot = tools.call("Page.captureScreenshot", format="png")["data"]
            with open(screenshot, "wb") as f:
                f.write(base64.b64decode(shot))

        save_through_rename(folder, lambda t: t.replace(b"stazione,    9x50,", b"stazione,    9500,"))
        check(tools.wait_for("document.body.dataset.updates === '4'"), "the fix reaches the page")
        check(tools.evaluate("document.querySelectorAll('#verdict li').length") == 0, "the fix clears the panel")
        check(not tools.evaluate("document.getElementById('panels').classList.contains('stale')"), "the mark goes")
        check(station_metre(tools, "SASSOCANDIDO") == 9500, "the station at its fixed place")
        check(tools.evaluate("window.notReloaded === true"), "still the same page")
        time.sleep(0.5)
        check(tools.evaluate("document.body.dataset.updates") == "4", "each save gave exactly one update")
        check(tools.evaluate("document.getElementById('errors').textContent") == "", "no script error")

        # The graphic timetable follows a save: the terminus one minute after the start cannot be kept.
        verdicts = "[...document.querySelectorAll('#panel-timetable line.section')].map(l => l.dataset.verdict).join()"
        check(tools.evaluate(verdicts) == "ok", "the timetable's section ok at first: %r" % tools.evaluate(verdicts))
        check(tools.evaluate("!!document.querySelector('#panel-speed #run-speed')"), "the run drawn on the speed panel")
        save_through_rename(folder, lambda t: t.replace(b"17,27, 0, MONTEGRANO", b"16,58, 0, MONTEGRANO"))
        check(tools.wait_for("document.body.dataset.updates === '5'"), "the timetable's save reaches the page")
        check(tools.evaluate(verdicts) == "impossible", "the section drawn impossible: %r" % tools.evaluate(verdicts))
        check(tools.evaluate("!!document.querySelector('#panel-timetable #run-time')"), "the run drawn on the timetable")
    finally:
        tools.close()


def check_write(tool, work):
    """With --write the compiled files are those of compile, written at the start and after a save."""
    served, compiled = os.path.join(work, "served"), os.path.join(work, "compiled")
    for folder in (served, compiled):
        subprocess.run([tool, "export", folder], check=True, stdout=subprocess.DEVNULL)
    server = subprocess.Popen([tool, "serve", "--write", served], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        server.stdout.readline()
        for folder in (served, compiled):
            save_through_rename(folder, lambda t: t.replace(b"stazione,    9750,", b"stazione,    9600,"))
        subprocess.run([tool, "compile", compiled], check=True, stdout=subprocess.DEVNULL)
        names = [n for n in os.listdir(compiled) if n.endswith(".dat") or n.endswith(".sim")]
        same = lambda: all(os.path.exists(os.path.join(served, n)) and
                           open(os.path.join(served, n), "rb").read() == open(os.path.join(compiled, n), "rb").read()
                           for n in names)
        deadline = time.time() + 20
        while not same() and time.time() < deadline:
            time.sleep(0.1)
        check(len(names) == 3 and same(), "--write writes what compile writes: %r" % names)
    finally:
        server.send_signal(signal.SIGINT)
        server.communicate(timeout=10)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    tool = sys.argv[1]
    screenshot = sys.argv[2] if len(sys.argv) == 3 else None
    chromium = find_chromium()
    if chromium is None:
        print("chromium is not installed: skipped")
        return SKIP
    work = tempfile.mkdtemp(prefix="serve-test-")
    server = None
    try:
        folder = os.path.join(work, "scenario")
        subprocess.run([tool, "export", folder], check=True, stdout=subprocess.DEVNULL)
        before = sorted(os.listdir(folder))
        server, url = start_server(tool, folder)
        port = int(re.search(r":([0-9]+)/", url).group(1))
        token = url.rsplit("=", 1)[1].encode()
        check_requests(port, token)
        open_streams = check_streams(port, token)
        drive(chromium, os.path.join(work, "profile"), url, folder, screenshot)
        for s in open_streams:
            s.close()
        check(sorted(os.listdir(folder)) == before, "nothing written into the folder: %r" % sorted(os.listdir(folder)))
        server.send_signal(signal.SIGINT)
        out, err = server.communicate(timeout=10)
        check(server.returncode == 0 and out.decode().rstrip().endswith("stopped"),
              "Ctrl+C stops it cleanly: %r %r %r" % (server.returncode, out[-200:], err[-500:]))
        server = None
        check_write(tool, work)
    finally:
        if server is not None:
            server.kill()
            server.wait()
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("serve checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
