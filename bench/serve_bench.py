#!/usr/bin/env python3
"""Save to redrawn page with `scenario-tool serve`: headless Chromium shows the served page, the source is
saved again through a rename as editors do, and the time runs from the rename to the next frame drawn
after the page received the update (the page notes it; both clocks are this computer's). For the embedded
scenario and the longest route of bench/make_largest_route. Not a test: prints the figures.

    serve_bench.py BUILD/bin/scenario-tool BUILD/bin/make_largest_route [SAVES]
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
from viewer_browser_test import DevTools, find_chromium  # noqa: E402


NOTE_DRAWN = """new MutationObserver(() => requestAnimationFrame(() => setTimeout(() => {
    document.body.dataset.drawnAt = performance.timeOrigin + performance.now(); })))
  .observe(document.body, {attributes: true, attributeFilter: ["data-updates"]}); true"""


def measure(tool, chromium, folder, names, saves, profile):
    server = subprocess.Popen([tool, "serve", folder] + names, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        url = server.stdout.readline().decode().strip()
        tools = DevTools(chromium, profile, url)
        try:
            deadline = time.time() + 120  # the longest route's first compile, on a busy machine
            while not tools.evaluate("document.body && document.body.dataset.updates === '1'"):
                if time.time() > deadline:
                    sys.exit("the page did not receive its first message")
                time.sleep(0.1)
            # The page counts its updates; note this computer's time at the first frame drawn after each.
            tools.evaluate(NOTE_DRAWN)
            source = os.path.join(folder, "%s_%s-.txt" % tuple(names))
            with open(source, "rb") as f:
                text = f.read()
            times = []
            for n in range(2, saves + 2):
                time.sleep(0.3)
                with open(source + ".swp", "wb") as f:
                    f.write(text)
                start = time.time() * 1000
                os.replace(source + ".swp", source)
                deadline = time.time() + 120
                while tools.evaluate("document.body.dataset.updates") != str(n) or not tools.evaluate("document.body.dataset.drawnAt"):
                    if time.time() > deadline:
                        sys.exit("no update after a save")
                    time.sleep(0.002)
                drawn = float(tools.evaluate("document.body.dataset.drawnAt"))
                tools.evaluate("delete document.body.dataset.drawnAt")
                times.append(drawn - start)
            return times
        finally:
            tools.close()
    finally:
        server.terminate()
        server.wait()


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    tool, make_route = sys.argv[1], sys.argv[2]
    saves = int(sys.argv[3]) if len(sys.argv) == 4 else 10
    chromium = find_chromium()
    if chromium is None:
        sys.exit("chromium is not installed")
    work = tempfile.mkdtemp(prefix="serve-bench-")
    try:
        embedded = os.path.join(work, "embedded")
        subprocess.run([tool, "export", embedded], check=True, stdout=subprocess.DEVNULL)
        largest = os.path.join(work, "largest")
        os.makedirs(largest)
        subprocess.run([make_route, largest, "Lunga_Linea", "1"], check=True, stdout=subprocess.DEVNULL)
        cases = [("embedded scenario", embedded, ["Borgorosso_MontegranoC", "517"], 100),
                 ("1,000,000 m route", largest, ["Lunga_Linea", "1"], 1000)]
        for what, folder, names, goal in cases:
            times = measure(tool, chromium, folder, names, saves, os.path.join(work, "profile-" + names[1]))
            median = statistics.median(times)
            print("save to redrawn page, %s: median %.0f ms, min %.0f, max %.0f over %d saves (goal %d ms): %s"
                  % (what, median, min(times), max(times), len(times), goal, "met" if median <= goal else "NOT MET"))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
