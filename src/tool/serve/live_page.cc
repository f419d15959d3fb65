#include "tool/serve/live_page.h"

#include "tool/plot/plot_html.h"

namespace pack {
namespace {

constexpr const char* kLiveStyle = R"css(
#verdict { margin: 4px 16px; font: 12px monospace; }
#verdict:empty { display: none; }
#verdict div { cursor: pointer; padding: 1px 3px; white-space: pre-wrap; }
#verdict div:hover { background: #e8f0fb; }
#verdict .error { color: #b00; font-weight: bold; }
#verdict .warning { color: #8a5a00; }
body.stale #panels { opacity: 0.45; }
body.stale h1::after { content: " (out of date: the sources do not compile)"; color: #b00; font-size: 13px; }
)css";

// Runs after the viewer's own script, whose globals (D, KP, v0, v1, render ...) it reuses.
constexpr const char* kLiveScript = R"js(
"use strict";
(function () {
  const panel = document.createElement("div");
  panel.id = "verdict";
  document.body.insertBefore(panel, document.querySelector("main"));
  let updates = 0;
  function where(f) { return (f.file || "") + (f.line ? ":" + f.line : "") + (f.column ? ":" + f.column : ""); }
  function showVerdict(v) {
    panel.replaceChildren();
    for (const f of v.findings) {
      const row = document.createElement("div");
      row.className = f.severity;
      row.dataset.line = f.line || "";
      row.textContent = where(f) + (where(f) ? ": " : "") + f.severity + ": " + f.message;
      if (typeof f.position === "number" && typeof centre === "function") {
        row.addEventListener("click", () => centre(f.position, Math.min(Math.max(v1 - v0, MIN_SPAN), 4000)));
      }
      panel.appendChild(row);
    }
    if (v.fatal) { const row = document.createElement("div"); row.className = "error"; row.textContent = v.fatal; panel.appendChild(row); }
  }
  function redraw(data) {
    Object.assign(D, data);
    KP.splice(0, KP.length, ...D.kilometres.points);
    document.getElementById("plan").replaceChildren();
    document.getElementById("list").replaceChildren();
    drawPlanBase();
    buildList();
    setView(v0, v1);
  }
  const events = new EventSource("/events");
  events.onmessage = ev => {
    const m = JSON.parse(ev.data);
    if (m.data) {
      if (typeof D === "undefined") { location.reload(); return; }
      redraw(m.data);
    }
    showVerdict(m.verdict);
    document.body.classList.toggle("stale", m.stale);
    document.body.dataset.updates = ++updates;
    // When the next frame with it is drawn, for the benchmark of save to redrawn page.
    requestAnimationFrame(() => { document.body.dataset.drawnAt = Date.now(); });
  };
})();
)js";

std::string escapeText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<') out += "&lt;";
    else if (c == '&') out += "&amp;";
    else out += c;
  }
  return out;
}

}  // namespace

std::string livePage(const PlotData* drawing, const std::string& title) {
  std::string page;
  if (drawing != nullptr) {
    page = renderScenarioHtml(*drawing);
  } else {
    page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + escapeText(title) +
           "</title>\n</head>\n<body class=\"stale\">\n<header><h1>" + escapeText(title) +
           "</h1></header>\n<main></main>\n</body>\n</html>\n";
  }
  std::size_t head = page.find("</head>");
  page.insert(head, std::string("<style>") + kLiveStyle + "</style>\n");
  std::size_t body = page.rfind("</body>");
  page.insert(body, std::string("<script>") + kLiveScript + "</script>\n");
  return page;
}

}  // namespace pack
