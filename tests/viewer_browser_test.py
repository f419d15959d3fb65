#!/usr/bin/env python3
"""The interactive viewer of `scenario-tool plot --html` in a real browser: headless Chromium loads the
page of the embedded scenario from disk, and the test checks the page after its script has run (no
script error, the stations and signals at their metres, the list to jump to, a zoomed view showing
only its range, what a link to a point shows), drives it with real key, wheel, drag, hover and click
events through the DevTools protocol, checks a few pixels of a screenshot of a zoomed view, that station
names and board texts made of markup are drawn as text and never run, and that the live page's hook
redraws in place from the messages of a stand-in event stream.

    viewer_browser_test.py PATH/TO/scenario-tool

Exits 77 (skipped) when no Chromium is installed; set CHROMIUM to choose the browser.
"""

import fcntl
import json
import os
import re
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

SKIP = 77
STATIONS = {"BORGOROSSO": 0, "SASSOCANDIDO": 9750, "PIAN DI SPINAROLA": 22100, "MONTEGRANO C.": 28750}
SIGNALS = [5450, 6850, 8200, 9200, 20200, 21700, 26900, 27950]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message)


def find_chromium():
    for name in [os.environ.get("CHROMIUM"), "chromium", "chromium-browser"]:
        if name and shutil.which(name):
            return shutil.which(name)
    return None


def run(args, **kw):
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120, **kw)
    if result.returncode != 0:
        sys.exit("%s failed (%d): %s" % (args[0], result.returncode, result.stderr.decode(errors="replace")))
    return result


def browser(chromium, profile, *args):
    """Runs Chromium headless without any network, sync or first-run activity, in a fresh profile."""
    base = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
            "--disable-component-update", "--disable-sync", "--no-first-run", "--user-data-dir=" + profile,
            "--hide-scrollbars", "--enable-logging=stderr", "--v=0", "--virtual-time-budget=5000"]
    return run(base + list(args))


class DevTools:
    """Chromium's DevTools protocol over --remote-debugging-pipe: JSON messages ended by a NUL byte, read
    by the browser from descriptor 3 and written to descriptor 4. Drives the page with real input events."""

    def __init__(self, chromium, profile, page):
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()

        def descriptors():
            # Out of the way first: either end may itself be descriptor 3 or 4.
            high_r = fcntl.fcntl(to_browser_r, fcntl.F_DUPFD, 10)
            high_w = fcntl.fcntl(from_browser_w, fcntl.F_DUPFD, 10)
            os.dup2(high_r, 3)
            os.dup2(high_w, 4)

        self.process = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--no-first-run", "--user-data-dir=" + profile,
             "--hide-scrollbars", "--window-size=1400,1000", "--remote-debugging-pipe", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, close_fds=False, preexec_fn=descriptors)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.buffer, self.next_id, self.session = b"", 0, None
        target = self.call("Target.createTarget", url=page)["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]

    def call(self, method, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if self.session and not method.startswith("Target."):
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        deadline = time.time() + 30
        while time.time() < deadline:
            while b"\0" in self.buffer:
                raw, self.buffer = self.buffer.split(b"\0", 1)
                reply = json.loads(raw)
                if reply.get("id") == self.next_id:
                    if "error" in reply:
                        raise RuntimeError("%s: %s" % (method, reply["error"]))
                    return reply.get("result", {})
            ready, _, _ = select.select([self.from_browser], [], [], 1)
            if ready:
                chunk = os.read(self.from_browser, 1 << 16)
                if not chunk:
                    raise RuntimeError("the browser closed the pipe")
                self.buffer += chunk
        raise RuntimeError("no reply to " + method)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        if "exceptionDetails" in result:
            raise RuntimeError("script: %s" % result["exceptionDetails"])
        return result["result"].get("value")

    def wait_for(self, expression):
        for _ in range(100):
            if self.evaluate(expression):
                return True
            time.sleep(0.1)
        return False

    def range(self):
        return self.evaluate("[+document.getElementById('range').dataset.from, +document.getElementById('range').dataset.to]")

    def mouse(self, kind, x, y, **extra):
        self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, **extra)

    def key(self, key, code, keycode):
        for kind in ("keyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code, windowsVirtualKeyCode=keycode,
                      text=key if kind == "keyDown" and len(key) == 1 else "")

    def close(self):
        self.process.kill()
        self.process.wait()
        os.close(self.to_browser)
        os.close(self.from_browser)


def drive(chromium, profile, page):
    """Real key, wheel, drag, hover and click events on the page of the embedded scenario."""
    tools = DevTools(chromium, profile, page)
    try:
        check(tools.wait_for("document.body && document.body.dataset.ready === '1'"), "driven page: ready")
        check(tools.range() == [0, 39900], "driven page: the whole line first: %r" % tools.range())
        tools.key("+", "Equal", 187)
        check(tools.range() == [9975, 29925], "key + halves the range about its middle: %r" % tools.range())
        tools.key("ArrowRight", "ArrowRight", 39)
        check(tools.range() == [13965, 33915], "the right arrow pans by a fifth: %r" % tools.range())
        tools.key("0", "Digit0", 48)
        check(tools.range() == [0, 39900], "key 0 shows the whole line: %r" % tools.range())

        box = tools.evaluate("(() => { const r = document.getElementById('along').getBoundingClientRect();"
                             " return [r.left, r.top]; })()")
        left, top = box[0] + 64, box[1] + 200  # the panels start 64 px into the drawing
        width = 1060 - 64 - 16
        x = left + width * 0.5  # 19950 m
        tools.mouse("mouseWheel", x, top, deltaX=0, deltaY=-400)
        a, b = tools.range()
        check(b - a < 39900 * 0.7 and a < 19950 < b, "the wheel zooms in about the pointer: %r" % [a, b])
        tools.mouse("mousePressed", x, top, button="left", buttons=1, clickCount=1)
        tools.mouse("mouseMoved", x - width * 0.25, top, button="left", buttons=1)
        tools.mouse("mouseReleased", x - width * 0.25, top, button="left", buttons=0, clickCount=1)
        c, d = tools.range()
        check(abs((c - a) - (b - a) * 0.25) < 50 and abs((d - c) - (b - a)) < 2, "dragging left pans right: %r to %r" % ([a, b], [c, d]))

        tools.key("0", "Digit0", 48)
        tools.mouse("mouseMoved", left + width * 5450 / 39900, top)
        info = tools.evaluate("document.getElementById('info').hidden ? '' : document.getElementById('info').textContent")
        check("placed at 5450 m" in (info or ""), "hovering shows the signal at 5450 m: %r" % info)

        item = tools.evaluate("(() => { const li = [...document.querySelectorAll('#list li')].find(l => l.textContent.startsWith('PIAN DI SPINAROLA'));"
                              " li.scrollIntoView(); const r = li.getBoundingClientRect(); return [r.left + 5, r.top + r.height / 2]; })()")
        tools.mouse("mousePressed", item[0], item[1], button="left", buttons=1, clickCount=1)
        tools.mouse("mouseReleased", item[0], item[1], button="left", buttons=0, clickCount=1)
        e, f = tools.range()
        check(e < 22100 < f and f - e <= 4000, "a click in the list goes to the station: %r" % [e, f])
        check(tools.evaluate("document.getElementById('errors').textContent") == "", "driven page: no script error")
    finally:
        tools.close()


# Names and texts that are markup, each put in place of a station's name and of a board's text: all must
# be drawn as text, and none may run or end the page's script.
HOSTILE = [("SASSOCANDIDO", "(Sottovia)", "<!--<script>"),
           ("PIAN DI SPINAROLA", "(P.L.      )(Km 153+284)", "</script><b>X"),
           ("MONTEGRANO C.", "(Deviazione   )(Roccamirtea  )(Montegrano C.)", "<img src=x onerror=window.pwned=1>")]


def hostile_page(tool, work):
    """The embedded scenario with the hostile names and board texts, as a page."""
    scenario = os.path.join(work, "hostile")
    run([tool, "export", scenario])
    train = os.path.join(scenario, "Borgorosso_MontegranoC_517-.txt")
    route = os.path.join(scenario, "Borgorosso_MontegranoC_linea.txt")
    lines = open(train, "rb").read().decode("cp1252").split("\n")
    text = open(route, "rb").read().decode("cp1252")
    for station, board, hostile in HOSTILE:
        at = [i for i, line in enumerate(lines)
              if line.startswith("stazione") and line.rstrip("\r").endswith(", " + station)]
        check(len(at) == 1, "hostile: the station %r" % station)
        lines[at[0]] = lines[at[0]].replace(", " + station, ", " + hostile)
        check(board in text, "hostile: the board %r" % board)
        text = text.replace(board, "(" + hostile + ")", 1)
    open(train, "wb").write("\n".join(lines).encode("cp1252"))
    open(route, "wb").write(text.encode("cp1252"))
    run([tool, "compile", scenario])
    run([tool, "plot", "--html", scenario])
    return "file://" + os.path.join(scenario, "Borgorosso_MontegranoC_517.html")


def sources_newer(tool, chromium, work, scenario):
    """A source saved after the compile: the page's header says the drawing is of the last compile."""
    compiled = os.stat(os.path.join(scenario, "Borgorosso_MontegranoC_517.sim")).st_mtime
    os.utime(os.path.join(scenario, "Borgorosso_MontegranoC_517-.txt"), (compiled + 5, compiled + 5))
    said = run([tool, "plot", "--html", scenario, "-o", os.path.join(work, "newer")]).stderr.decode()
    check("newer than the compiled files" in said, "plot says the sources are newer: %r" % said)
    page = "file://" + os.path.join(work, "newer", "Borgorosso_MontegranoC_517.html")
    dom = browser(chromium, os.path.join(work, "profile6"), "--dump-dom", page).stdout.decode()
    note = re.search(r'<p id="newer"([^>]*)>([^<]*)</p>', dom)
    check(note is not None and "hidden" not in note.group(1) and "newer than the compiled files" in note.group(2),
          "the header says the sources are newer: %r" % (note.group(0) if note else None))


def hostile_names(tool, chromium, work):
    """The hostile texts leave the page whole: every station drawn and listed, each text shown as it is,
    no element made from it, nothing of it run."""
    tools = DevTools(chromium, os.path.join(work, "profile-hostile"), hostile_page(tool, work))
    try:
        check(tools.wait_for("document.body && document.body.dataset.ready === '1'"), "hostile: page ready")
        names = tools.evaluate("[...document.querySelectorAll('text.station')].map(t => t.dataset.name)")
        listed = tools.evaluate("[...document.querySelectorAll('#list li')].map(l => [l.dataset.kind, l.title])")
        for _, _, text in HOSTILE:
            check(text in (names or []), "hostile %r: drawn among %r" % (text, names))
            check(["station", text] in listed, "hostile %r: listed as a station" % text)
            check(any(title == "(" + text + ")" for _, title in listed),
                  "hostile %r: a board's text in the list" % text)
        check(len(names) == 4, "hostile: all four stations drawn: %r" % names)
        check(tools.evaluate("window.pwned === undefined && !document.querySelector('img, b')"),
              "hostile: markup from the data was run or made into elements")
        check(tools.evaluate("document.getElementById('errors').textContent") == "", "hostile: no script error")
    finally:
        tools.close()


# Stands in for the live server's event stream: the page's EventSource is this object.
FAKE_EVENTS = "window.EventSource = class { constructor(url) { window.fakeEvents = this; this.url = url; } };"


def live_updates(chromium, work, page_path):
    """The live page's hook, before any server: the page made live (the only difference is the body's
    mark), an EventSource standing in, fed a moved station, then sources that do not compile, then a fix."""
    html = open(page_path, encoding="utf-8").read().replace("<body>", '<body data-live="1">', 1)
    live = os.path.join(work, "live.html")
    open(live, "w", encoding="utf-8").write(html)
    tools = DevTools(chromium, os.path.join(work, "profile-live"), "about:blank")
    try:
        tools.call("Page.enable")
        tools.call("Page.addScriptToEvaluateOnNewDocument", source=FAKE_EVENTS)
        tools.call("Page.navigate", url="file://" + live + "#view=5000-15000")
        check(tools.wait_for("document.body && document.body.dataset.ready === '1'"), "live: page ready")
        check(tools.evaluate("window.fakeEvents && window.fakeEvents.url") == "/events", "live: opens /events")
        send = ("(message => window.fakeEvents.onmessage({data: JSON.stringify(message)}))(%s)")
        data = "JSON.parse(document.getElementById('data').textContent)"
        # The station at 9750 m moves to 11000 m; a warning points at 11000 m.
        tools.evaluate(send % ("(() => { const d = %s; d.stations[1].m = 11000; return {data: d, stale: false, "
                               "verdict: {findings: [{file: 'a_linea.txt', line: 12, column: 3, severity: 'warning', "
                               "id: 'W1', message: 'a curve ends past the line', position: 11000}], omitted: {}, "
                               "errorCount: 0, warningCount: 1, headline: null}}; })()" % data))
        check(tools.range() == [5000, 15000], "live: the view kept: %r" % tools.range())
        moved = tools.evaluate("[...document.querySelectorAll('text.station')].map(t => +t.dataset.m)")
        check(moved == [11000], "live: the station redrawn at its new place: %r" % moved)
        verdict = tools.evaluate("document.getElementById('verdict').textContent")
        check("a_linea.txt:12:3" in verdict and "a curve ends past the line" in verdict,
              "live: the finding: %r" % verdict)
        tools.evaluate("window.scrollTo(0, 0); setView(30000, 39900)")
        item = tools.evaluate("(() => { const r = document.querySelector('#verdict li').getBoundingClientRect();"
                              " return [r.left + 5, r.top + r.height / 2]; })()")
        tools.mouse("mousePressed", item[0], item[1], button="left", buttons=1, clickCount=1)
        tools.mouse("mouseReleased", item[0], item[1], button="left", buttons=0, clickCount=1)
        a, b = tools.range()
        check(a < 11000 < b, "live: a click on the finding goes to its place: %r" % [a, b])
        # The sources stop compiling: the drawing stays, marked, with the error over it.
        tools.evaluate(send % "{data: null, stale: true, verdict: {findings: [{file: 'a_linea.txt', line: 40, "
                              "severity: 'error', id: 'E7', message: 'error 7: no number'}], omitted: {}, errorCount: 1, "
                              "warningCount: 0, headline: 'a_linea.txt:40: error 7: no number'}}")
        check(tools.evaluate("[...document.querySelectorAll('text.station')].length") == 1, "live: the drawing stays")
        mark = tools.evaluate("(m => m.hidden ? '' : m.textContent)(document.getElementById('stale'))")
        check("Out of date" in mark and "error 7" in mark, "live: marked out of date with the error: %r" % mark)
        tools.evaluate(send % ("{data: %s, stale: false, verdict: {findings: [], omitted: {}, errorCount: 0, "
                               "warningCount: 0, headline: null}}" % data))
        check(tools.evaluate("document.getElementById('stale').hidden && "
                             "!document.getElementById('panels').classList.contains('stale')"), "live: the mark goes")
        check(tools.evaluate("document.querySelectorAll('#verdict li').length") == 0, "live: no findings left")
        check(tools.evaluate("document.body.dataset.updates") == "3", "live: three updates")
        check(tools.evaluate("document.getElementById('errors').textContent") == "", "live: no script error")
    finally:
        tools.close()


def attrs(tag):
    return dict(re.findall(r'([\w-]+)="([^"]*)"', tag))


def elements(dom, cls):
    return [attrs(t) for t in re.findall(r'<\w+ [^>]*class="%s"[^>]*>' % re.escape(cls), dom)]


def check_run_and_timetable(dom, what, verdict, timed_stops):
    """The fastest run drawn in the speed and timetable panels, and the one timed section by its verdict."""
    for panel, run in (("speed", "run-speed"), ("timetable", "run-time")):
        group = re.search(r'<g id="panel-%s">(.*?)</g><g id="panel-' % panel, dom, re.S)
        path = re.search(r'<path [^>]*id="%s"[^>]*>' % run, group.group(1)) if group else None
        check(path is not None and len(attrs(path.group(0)).get("d", "")) > 40, what + ": the run drawn in the %s panel" % panel)
    sections = re.findall(r'<line [^>]*class="section"[^>]*data-verdict="([^"]*)"', dom)
    check(sections == [verdict], what + ": the timetable's section drawn as %s: %r" % (verdict, sections))
    stops = re.findall(r'<circle [^>]*class="stop"', dom)
    check(len(stops) == timed_stops, what + ": the timed stops in view drawn: %d" % len(stops))


def check_page(dom, log, what):
    check('data-ready="1"' in dom, what + ": the script did not finish (no data-ready on the body)")
    errors = re.search(r'<pre id="errors">(.*?)</pre>', dom, re.S)
    check(errors is not None and errors.group(1).strip() == "", what + ": script errors on the page: %r" % (errors and errors.group(1)))
    bad = [line for line in log.splitlines() if "CONSOLE" in line and ("Uncaught" in line or "Error" in line)]
    check(not bad, what + ": errors in the console: %s" % bad)


def read_png(path):
    """Width, height and rows of (r, g, b) of an 8-bit RGB or RGBA PNG, not interlaced."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and interlace == 0, "unexpected PNG format %r" % (header,)
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            upleft = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - upleft
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upleft)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else upleft)) & 255
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    tool = sys.argv[1]
    chromium = find_chromium()
    if chromium is None:
        print("chromium is not installed: skipped")
        return SKIP
    work = tempfile.mkdtemp(prefix="viewer-test-")
    try:
        scenario = os.path.join(work, "scenario")
        run([tool, "export", scenario])
        run([tool, "compile", scenario])
        run([tool, "plot", "--html", scenario, "-o", os.path.join(work, "html")])
        page = "file://" + os.path.join(work, "html", "Borgorosso_MontegranoC_517.html")

        # The whole line.
        result = browser(chromium, os.path.join(work, "profile1"), "--dump-dom", page)
        dom, log = result.stdout.decode(), result.stderr.decode(errors="replace")
        check_page(dom, log, "whole line")
        check(re.search(r'<p id="newer" hidden=""></p>', dom) is not None, "no note of newer sources after a compile")
        labels = {a.get("data-name"): int(a.get("data-m")) for a in elements(dom, "station")}
        check(labels == STATIONS, "station labels at their metres: %r" % labels)
        signals = sorted(int(a["data-m"]) for a in elements(dom, "signal"))
        check(signals == SIGNALS, "signals at their metres: %r" % signals)
        listed = re.findall(r'<li [^>]*data-m="(\d+)"[^>]*data-kind="(\w[\w-]*)"', dom)
        check(sorted(int(m) for m, k in listed if k == "station") == sorted(STATIONS.values()), "stations in the list: %r" % listed)
        check(sum(1 for _, k in listed if k == "signal") == len(SIGNALS), "signals in the list")
        rng = attrs(re.search(r"<output [^>]*>", dom).group(0))
        check((rng.get("data-from"), rng.get("data-to")) == ("0", "39900"), "whole line shown at first: %r" % rng)
        whole_ticks = re.findall(r'class="tick">([^<]*)<', dom)
        check_run_and_timetable(dom, "whole line", "ok", 2)

        # Zoomed to 5 to 10 km: only what stands there is drawn, and the ticks are finer.
        zoomed = page + "#view=5000-10000"
        result = browser(chromium, os.path.join(work, "profile2"), "--dump-dom", zoomed)
        dom, log = result.stdout.decode(), result.stderr.decode(errors="replace")
        check_page(dom, log, "zoomed")
        rng = attrs(re.search(r"<output [^>]*>", dom).group(0))
        check((rng.get("data-from"), rng.get("data-to")) == ("5000", "10000"), "zoomed range: %r" % rng)
        signals = sorted(int(a["data-m"]) for a in elements(dom, "signal"))
        check(signals == [5450, 6850, 8200, 9200], "signals in the zoomed range: %r" % signals)
        names = sorted(a.get("data-name") for a in elements(dom, "station"))
        check(names == ["SASSOCANDIDO"], "stations in the zoomed range: %r" % names)
        check_run_and_timetable(dom, "zoomed", "ok", 0)
        zoomed_ticks = re.findall(r'class="tick">([^<]*)<', dom)
        check(zoomed_ticks and zoomed_ticks != whole_ticks and "+" in zoomed_ticks[0],
              "finer kilometre-post ticks when zoomed: %r" % zoomed_ticks[:8])

        # What is at a point, as the pointer shows it: the signal placed at 5450 m, with its source line.
        train = open(os.path.join(scenario, "Borgorosso_MontegranoC_517-.txt"), "rb").read().decode("cp1252")
        line = 1 + train[:train.index("segnale,    5450")].count("\n")
        result = browser(chromium, os.path.join(work, "profile4"), "--dump-dom", page + "#view=5000-6000&at=5450")
        dom, log = result.stdout.decode(), result.stderr.decode(errors="replace")
        check_page(dom, log, "pointing at 5450 m")
        box = re.search(r'<div id="info"[^>]*>(.*?)</div>\s*<script', dom, re.S)
        text = re.sub(r"<[^>]+>", " ", box.group(1)) if box else ""
        for words in ["5.45 km along the line, km post 155+500", "signal: left warning, right none, placed at 5450 m",
                      "Borgorosso_MontegranoC_517-.txt:%d" % line, "speed limit 75 km/h", "per mille",
                      "fastest run of the regional train", "km/h, at 17:01:", "BORGOROSSO to MONTEGRANO C.: scheduled 0:30:00, minimum 0:27:44: ok"]:
            check(words in text, "the point's description holds %r: %r" % (words, text))

        drive(chromium, os.path.join(work, "profile5"), page)
        sources_newer(tool, chromium, work, scenario)
        hostile_names(tool, chromium, work)
        live_updates(chromium, work, os.path.join(work, "html", "Borgorosso_MontegranoC_517.html"))

        # A screenshot of the zoomed view is not blank: it holds the signals' red and the platforms' blue.
        # Tall enough for every panel down to the signals.
        shot = os.path.join(work, "zoomed.png")
        browser(chromium, os.path.join(work, "profile3"), "--window-size=1400,1600", "--screenshot=" + shot, zoomed)
        width, height, rows = read_png(shot)
        colours = {}
        for row in rows[::2]:
            for px in row[::2]:
                colours[px] = colours.get(px, 0) + 1
        white = colours.get((255, 255, 255), 0) / max(1, sum(colours.values()))
        check(0.3 < white < 0.98, "screenshot neither blank nor filled: %.2f white" % white)
        check(any(abs(r - 0xC6) < 12 and abs(g - 0x28) < 12 and abs(b - 0x28) < 12 for (r, g, b) in colours),
              "signals' red in the screenshot")
        check(any(abs(r - 0x15) < 12 and abs(g - 0x65) < 12 and abs(b - 0xC0) < 12 for (r, g, b) in colours),
              "platforms' blue in the screenshot")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("viewer checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
