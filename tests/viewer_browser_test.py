#!/usr/bin/env python3
"""The interactive viewer of `scenario-tool plot --html` in a real browser: headless Chromium loads the
page of the embedded scenario from disk, and the test checks the page after its script has run (no
script error, the stations and signals at their metres, the list to jump to, a zoomed view showing
only its range) and a few pixels of a screenshot of the zoomed view.

    viewer_browser_test.py PATH/TO/scenario-tool

Exits 77 (skipped) when no Chromium is installed; set CHROMIUM to choose the browser.
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
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


def attrs(tag):
    return dict(re.findall(r'([\w-]+)="([^"]*)"', tag))


def elements(dom, cls):
    return [attrs(t) for t in re.findall(r'<\w+ [^>]*class="%s"[^>]*>' % re.escape(cls), dom)]


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
        run([tool, "plot", "--html", os.path.join(work, "html"), scenario])
        page = "file://" + os.path.join(work, "html", "Borgorosso_MontegranoC_517.html")

        # The whole line.
        result = browser(chromium, os.path.join(work, "profile1"), "--dump-dom", page)
        dom, log = result.stdout.decode(), result.stderr.decode(errors="replace")
        check_page(dom, log, "whole line")
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
                      "Borgorosso_MontegranoC_517-.txt:%d" % line, "speed limit 75 km/h", "per mille"]:
            check(words in text, "the point's description holds %r: %r" % (words, text))

        # A screenshot of the zoomed view is not blank: it holds the signals' red and the platforms' blue.
        shot = os.path.join(work, "zoomed.png")
        browser(chromium, os.path.join(work, "profile3"), "--window-size=1400,1300", "--screenshot=" + shot, zoomed)
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
