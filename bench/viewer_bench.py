#!/usr/bin/env python3
"""How fast the page of `scenario-tool plot --html` draws, in headless Chromium driven as the browser test
drives it: the time from the start of loading to the first drawing, and the cost of one zoom step (key `+`
or `-`), for the embedded scenario and for the longest route (bench/largest_route.cc, 1,000,000 m).

    bench/viewer_bench.py BUILD_BIN [RUNS]

BUILD_BIN holds scenario-tool and make_largest_route. RUNS page loads per scenario (default 5); each load
zooms in and out 8 steps each way. The figures are medians:
  - first drawing: from the start of navigation to the frame after the page marked itself ready;
  - zoom step, script: the key's handler with the layout it forces (what the page itself costs);
  - zoom step, to the frame: from the key to the next frame drawn, which includes waiting for that frame;
  - the same in CPU time of the page's renderer process (Chromium's ProcessTime), which a machine busy with
    other work moves far less than the clock: the first drawing from the navigation to the drawn frame,
    the zoom step from the key to the next frame.
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
from viewer_browser_test import DevTools, find_chromium, run  # noqa: E402

# Set before the page's own script runs: the time of the frame after the body is marked ready.
READY_PROBE = """
new MutationObserver((list, observer) => {
  if (document.body && document.body.dataset.ready === "1") {
    observer.disconnect();
    requestAnimationFrame(() => setTimeout(() => { window.__drawnAt = performance.now(); }));
  }
}).observe(document, {subtree: true, attributes: true, attributeFilter: ["data-ready"]});
"""

ZOOM_STEP = """
new Promise(done => {
  const t0 = performance.now();
  document.body.dispatchEvent(new KeyboardEvent("keydown", {key: %r, bubbles: true}));
  void document.body.offsetHeight;
  const script = performance.now() - t0;
  requestAnimationFrame(() => setTimeout(() => done([script, performance.now() - t0])));
})
"""


def evaluate_async(tools, expression):
    result = tools.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
    if "exceptionDetails" in result:
        raise RuntimeError("script: %s" % result["exceptionDetails"])
    return result["result"].get("value")


def thread_time(tools):
    """CPU seconds of the page's renderer process so far (its main thread, the compositor and the
    rasterisation): unlike the clock, hardly moved by a machine busy with other work."""
    metrics = tools.call("Performance.getMetrics")["metrics"]
    return next(m["value"] for m in metrics if m["name"] == "ProcessTime")


def measure(chromium, profile, page, runs):
    figures = {"first": [], "first cpu": [], "script": [], "frame": [], "step cpu": []}
    tools = DevTools(chromium, profile, "about:blank")
    try:
        tools.call("Page.enable")
        tools.call("Performance.enable")
        tools.call("Page.addScriptToEvaluateOnNewDocument", source=READY_PROBE)
        for n in range(runs):
            before = thread_time(tools)
            tools.call("Page.navigate", url=page + "?run=%d" % n)
            if not tools.wait_for("window.__drawnAt !== undefined"):
                raise RuntimeError("the page never drew: " + page)
            after = thread_time(tools)
            figures["first cpu"].append(1000 * (after - before if after >= before else after))
            start = "performance.getEntriesByType('navigation')[0].startTime"
            figures["first"].append(tools.evaluate("window.__drawnAt - " + start))
            for key in ["+"] * 8 + ["-"] * 8:
                before = thread_time(tools)
                script, frame = evaluate_async(tools, ZOOM_STEP % key)
                figures["step cpu"].append(1000 * (thread_time(tools) - before))
                figures["script"].append(script)
                figures["frame"].append(frame)
    finally:
        tools.close()
    return {k: statistics.median(v) for k, v in figures.items()}


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    bin_dir = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) == 3 else 5
    tool = os.path.join(bin_dir, "scenario-tool")
    chromium = find_chromium()
    if chromium is None:
        sys.exit("viewer_bench: no Chromium (set CHROMIUM)")
    work = tempfile.mkdtemp(prefix="viewer-bench-")
    try:
        embedded, longest = os.path.join(work, "embedded"), os.path.join(work, "longest")
        run([tool, "export", embedded])
        run([tool, "compile", embedded])
        run([tool, "plot", "--html", embedded])
        os.makedirs(longest)
        run([os.path.join(bin_dir, "make_largest_route"), longest])
        run([tool, "compile", longest, "Lunga_Linea", "1"])
        run([tool, "plot", "--html", longest, "Lunga_Linea", "1"])
        pages = [("embedded scenario", os.path.join(embedded, "Borgorosso_MontegranoC_517.html")),
                 ("1,000,000 m route", os.path.join(longest, "Lunga_Linea_1.html"))]
        print("%-18s %10s %10s %10s %10s %10s" % ("", "first", "first,", "step,", "step,", "step,"))
        print("%-18s %10s %10s %10s %10s %10s" % ("page", "drawing", "CPU", "script", "to frame", "CPU"))
        for n, (name, path) in enumerate(pages):
            f = measure(chromium, os.path.join(work, "profile%d" % n), "file://" + path, runs)
            print("%-18s %7.0f ms %7.0f ms %7.1f ms %7.1f ms %7.1f ms" %
                  (name, f["first"], f["first cpu"], f["script"], f["frame"], f["step cpu"]))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
