#include "tool/plot/plot_html.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "tool/plot/plot_svg.h"

namespace pack {
namespace {

using nlohmann::json;

json sourceJson(const SourceRef& ref) {
  if (!ref.known()) return nullptr;
  return json::array({ref.file, ref.line});
}

// Runs of equal values as [first cell, last cell, value].
json runsJson(const std::vector<int>& values, std::size_t count) {
  json list = json::array();
  for (const Run& r : runs(values, count)) list.push_back(json::array({r.first, r.last, r.value}));
  return list;
}

json sourceRunsJson(const std::vector<SourceRef>& refs) {
  std::vector<int> lines;
  for (const SourceRef& r : refs) lines.push_back(r.known() ? static_cast<int>(r.line) : 0);
  return runsJson(lines, lines.size());
}

std::string_view featureKindName(FeatureKind k) {
  switch (k) {
    case FeatureKind::kSignal: return "signal";
    case FeatureKind::kSpeedBoard: return "speed-board";
    case FeatureKind::kTextBoard: return "text-board";
    case FeatureKind::kSlowDown: return "slow-down";
    case FeatureKind::kCodePoint: return "code-point";
    case FeatureKind::kStopPoint: return "stop-point";
  }
  return "";
}

json dataJson(const PlotData& d) {
  json stations = json::array();
  for (const PlotStation& s : d.stations) {
    stations.push_back({{"row", s.station.row},
                        {"name", s.station.name},
                        {"type", s.station.type},
                        {"m", s.station.position},
                        {"a", s.station.platformStart},
                        {"b", s.station.platformEnd},
                        {"time", s.station.time == 0 ? json(nullptr) : json(clockText(s.station.time))},
                        {"beyond", s.beyondEnd},
                        {"src", sourceJson(s.source)}});
  }
  json features = json::array();
  for (const PlotFeature& f : d.features) {
    features.push_back({{"k", featureKindName(f.kind)},
                        {"cell", f.cell},
                        {"m", f.metre},
                        {"label", f.label},
                        {"detail", f.detail},
                        {"src", sourceJson(f.source)}});
  }
  json elevation = json::array();
  for (std::size_t i = 0; i < d.profileCells; ++i) elevation.push_back(std::round(d.elevation[i] * 10) / 10);
  std::vector<int> curve;
  for (double k : d.curvature) curve.push_back(k >= 0 ? curveClass(k) : -curveClass(k));
  json plan = json::array();
  for (const auto& p : d.plan) plan.push_back(json::array({p.metre, std::round(p.x * 10) / 10, std::round(p.y * 10) / 10}));
  // The kilometre numbering as (metre, post) pairs, linear between neighbours: the ends and both sides of
  // each definition's position, where the count may jump.
  std::vector<std::int64_t> corners = {0};
  for (std::int64_t p : d.kilometres.breakpoints()) {
    if (p > corners.back() + 1 && p < d.trackLength) corners.insert(corners.end(), {p - 1, p});
  }
  if (d.trackLength > corners.back()) corners.push_back(d.trackLength);
  json posts = json::array();
  for (std::int64_t m : corners) posts.push_back(json::array({m, d.kilometres.at(m)}));
  return {{"title", d.title},
          {"routeLength", d.routeLength},
          {"trackLength", d.trackLength},
          {"cellLength", kCellLength},
          {"profileCells", d.profileCells},
          {"kilometres", {{"describe", d.kilometres.describe()},
                          {"defined", d.kilometres.defined()},
                          {"points", posts}}},
          {"sources", d.sourceNames},
          {"stations", stations},
          {"features", features},
          {"speed", runsJson(d.speed, d.profileCells)},
          {"effective", runsJson(d.effectiveSpeed, d.profileCells)},
          {"gradient", runsJson(d.gradient, d.profileCells)},
          {"adhesion", runsJson(d.adhesion, d.profileCells)},
          {"mountain", runsJson(d.mountain, d.mountain.size())},
          {"curve", runsJson(curve, curve.size())},
          {"elevation", elevation},
          {"speedSource", sourceRunsJson(d.speedSource)},
          {"gradientSource", sourceRunsJson(d.gradientSource)},
          {"adhesionSource", sourceRunsJson(d.adhesionSource)},
          {"plan", plan}};
}

constexpr const char* kStyle = R"css(
body { font: 13px sans-serif; margin: 0; color: #222; background: #fff; }
header { padding: 8px 16px 4px; border-bottom: 1px solid #ddd; }
h1 { font-size: 18px; margin: 0 0 2px; }
#summary { margin: 0 0 6px; color: #555; }
#controls button { font-size: 14px; min-width: 2.2em; margin-right: 2px; }
#range { margin-left: 10px; font-weight: bold; }
.hint { color: #777; margin-left: 10px; }
main { display: flex; align-items: flex-start; }
#panels { flex: none; padding: 6px 8px; }
#panels svg { display: block; }
#plan { margin: 0 0 8px 64px; }
aside { flex: 1; min-width: 220px; max-height: 100vh; overflow: auto; border-left: 1px solid #ddd; padding: 6px 10px; position: sticky; top: 0; }
aside input { width: 95%; margin-bottom: 6px; }
aside h2 { font-size: 13px; margin: 10px 0 2px; }
aside ul { list-style: none; padding: 0; margin: 0; }
aside li { cursor: pointer; padding: 1px 3px; white-space: nowrap; overflow: hidden; text-overflow: ellipsis; }
aside li:hover { background: #e8f0fb; }
aside li .m { color: #777; font-size: 11px; margin-left: 4px; }
svg text { font-family: sans-serif; }
#along { cursor: crosshair; touch-action: none; user-select: none; }
#info { position: fixed; pointer-events: none; background: rgba(255,255,255,0.96); border: 1px solid #999;
        padding: 5px 8px; font-size: 12px; max-width: 460px; box-shadow: 2px 2px 6px rgba(0,0,0,0.2); }
#info div { margin: 1px 0; } #info .src { color: #777; font-size: 11px; }
#errors { color: #b00; white-space: pre-wrap; margin: 0 16px; }
#errors:empty { display: none; }
)css";

constexpr const char* kScript = R"js(
"use strict";
const D = JSON.parse(document.getElementById("data").textContent);
const CELL = D.cellLength;  // metres per track cell
const NS = "http://www.w3.org/2000/svg";
const W = 1060, LEFT = 64, RIGHT = 16, PW = W - LEFT - RIGHT, MIN_SPAN = 400;
const PANELS = [
  ["stations", "Stations and platforms", 74],
  ["elevation", "Elevation from the gradients (m, relative to the start)", 110],
  ["gradient", "Gradient (per mille, climbing above the line)", 70],
  ["curve", "Curves: right above, left below; the taller, the tighter (class 1 to 6)", 40],
  ["speed", "Speed (km/h): line limit grey, with the slow-downs red", 100],
  ["adhesion", "Adhesion (%)", 50],
  ["features", "Signals (red), boards (grey), slow-downs (orange), code points (purple)", 84]];
const GAP = 36;
let v0 = 0, v1 = D.trackLength, hoverX = null;

function el(tag, attrs, parent, text) {
  const e = document.createElementNS(NS, tag);
  for (const k in attrs) e.setAttribute(k, attrs[k]);
  if (text !== undefined) e.textContent = text;
  if (parent) parent.appendChild(e);
  return e;
}
function X(m) { return LEFT + (m - v0) / (v1 - v0) * PW; }
function nice(span, max) {
  const raw = span / max, p = Math.pow(10, Math.floor(Math.log10(raw)));
  for (const f of [1, 2, 5, 10]) if (f * p >= raw) return f * p;
  return 10 * p;
}
function fmt(v) { return Math.abs(v - Math.round(v)) < 1e-9 ? String(Math.round(v)) : String(+v.toFixed(3)); }
function dist(m) { return Math.abs(m) >= 1000 ? fmt(m / 1000) + " km" : fmt(m) + " m"; }
const KP = D.kilometres.points;
function segmentOf(m) { let i = 0; while (i + 2 < KP.length && KP[i + 1][0] <= m) i++; return i; }
function postAt(m) {  // linear between neighbouring points
  if (KP.length < 2) return m;
  const i = segmentOf(m), a = KP[i], b = KP[i + 1];
  return b[0] === a[0] ? a[1] : a[1] + (b[1] - a[1]) * (m - a[0]) / (b[0] - a[0]);
}
// Metres between `from` and `to` where the post value is a multiple of `step`, segment by segment.
function roundPosts(from, to, step) {
  const list = [];
  for (let i = 0; i + 1 < KP.length; i++) {
    const a = KP[i], b = KP[i + 1], lo = Math.max(from, a[0]), hi = Math.min(to, b[0]);
    if (hi < lo || b[0] === a[0] || b[1] === a[1]) continue;
    const p0 = postAt(lo), p1 = postAt(hi), pl = Math.min(p0, p1), ph = Math.max(p0, p1);
    for (let p = Math.ceil(pl / step) * step; p <= ph; p += step) list.push(a[0] + (p - a[1]) * (b[0] - a[0]) / (b[1] - a[1]));
  }
  return list;
}
function postText(v) {
  v = Math.round(v);
  const s = v < 0 ? "-" : "", a = Math.abs(v);
  return s + Math.floor(a / 1000) + "+" + String(a % 1000).padStart(3, "0");
}
function srcText(src) { return src ? D.sources[src[0]] + ":" + src[1] : ""; }
function runAt(runs, cell) {
  let lo = 0, hi = runs.length - 1;
  while (lo <= hi) {
    const mid = (lo + hi) >> 1, r = runs[mid];
    if (cell < r[0]) hi = mid - 1; else if (cell > r[1]) lo = mid + 1; else return r;
  }
  return null;
}
function visibleRuns(runs) { return runs.filter(r => (r[1] + 1) * CELL >= v0 && r[0] * CELL <= v1); }

// ---- The panels along the line.
const along = document.getElementById("along");
let panelTop = {};
(function layout() {
  let y = 22;
  for (const [id, , h] of PANELS) { panelTop[id] = y; y += h + GAP; }
  along.setAttribute("height", y + 34);
  along.setAttribute("width", W);
})();
function panelY(id) { return panelTop[id]; }
function panelH(id) { return PANELS.find(p => p[0] === id)[2]; }

function valueAxis(g, id, lo, hi, unit, max) {
  const top = panelY(id), h = panelH(id);
  if (!(lo < hi)) hi = lo + 1;
  const step = nice(hi - lo, max || 4);
  lo = Math.floor(lo / step) * step; hi = Math.ceil(hi / step) * step;
  const y = v => top + h - (v - lo) / (hi - lo) * h;
  for (let v = lo; v <= hi + step / 2; v += step) {
    el("line", {x1: LEFT, x2: LEFT + PW, y1: y(v), y2: y(v), stroke: "#f0f0f0"}, g);
    el("text", {x: LEFT - 5, y: y(v) + 3, "font-size": 9, "text-anchor": "end"}, g, fmt(v));
  }
  el("text", {x: 4, y: top + h / 2, "font-size": 10, fill: "#444"}, g, unit);
  return y;
}
function stepLine(g, runs, y, colour, width) {
  let d = "";
  for (const r of visibleRuns(runs)) {
    const x0 = Math.max(LEFT, X(r[0] * CELL)), x1 = Math.min(LEFT + PW, X((r[1] + 1) * CELL));
    d += (d ? "L" : "M") + x0.toFixed(1) + "," + y(r[2]).toFixed(1) + "L" + x1.toFixed(1) + "," + y(r[2]).toFixed(1);
  }
  if (d) el("path", {d: d, fill: "none", stroke: colour, "stroke-width": width}, g);
}
function band(g, m0, m1, top, h, attrs) {
  const x0 = Math.max(LEFT, X(m0)), x1 = Math.min(LEFT + PW, X(m1));
  if (x1 < LEFT || x0 > LEFT + PW) return null;
  return el("rect", Object.assign({x: x0, y: top, width: Math.max(x1 - x0, 0.8), height: h}, attrs), g);
}
// Labels first come, first served; a label that would overlap one already placed is left out.
function placer() {
  const boxes = [];
  return function (x0, y0, x1, y1) {
    if (x0 < LEFT || x1 > LEFT + PW + 2) return false;
    for (const b of boxes) if (x0 < b[2] && b[0] < x1 && y0 < b[3] && b[1] < y1) return false;
    boxes.push([x0, y0, x1, y1]);
    return true;
  };
}
function textWidth(s, size) { return s.length * size * 0.62; }

function render() {
  while (along.firstChild) along.removeChild(along.firstChild);
  const defs = el("defs", {}, along);
  const pat = el("pattern", {id: "runout", width: 6, height: 6, patternUnits: "userSpaceOnUse", patternTransform: "rotate(45)"}, defs);
  el("rect", {width: 6, height: 6, fill: "#f3f3f3"}, pat);
  el("line", {x1: 0, y1: 0, x2: 0, y2: 6, stroke: "#ddd", "stroke-width": 2}, pat);
  const clip = el("clipPath", {id: "plotarea"}, defs);
  el("rect", {x: LEFT, y: 0, width: PW, height: 5000}, clip);

  const span = v1 - v0, step = Math.max(nice(span, 10), 50);
  const ticks = roundPosts(v0, v1, step);
  for (const [id, title, h] of PANELS) {
    const top = panelY(id), g = el("g", {id: "panel-" + id}, along);
    el("text", {x: LEFT, y: top - 6, "font-size": 12, "font-weight": "bold"}, g, title);
    el("rect", {x: LEFT, y: top, width: PW, height: h, fill: "none", stroke: "#bbb"}, g);
    band(g, D.routeLength, D.trackLength, top, h, {fill: "url(#runout)", class: "runout"});
    for (const m of ticks) {
      const x = X(m);
      el("line", {x1: x, x2: x, y1: top, y2: top + h, stroke: "#e6e6e6"}, g);
      el("text", {x: x, y: top + h + 11, "font-size": 9, fill: "#777", "text-anchor": "middle", class: "tick"}, g,
         step >= 1000 ? fmt(Math.round(postAt(m)) / 1000) : postText(postAt(m)));
    }
    const body = el("g", {"clip-path": "url(#plotarea)"}, g);
    DRAW[id](body, top, h, g);
    if (D.routeLength >= v0 && D.routeLength <= v1) {
      el("line", {x1: X(D.routeLength), x2: X(D.routeLength), y1: top, y2: top + h, stroke: "#000", "stroke-width": 1.5, class: "route-end"}, g);
    }
  }
  const last = PANELS[PANELS.length - 1], bottom = panelY(last[0]) + last[2] + 26;
  el("text", {x: LEFT, y: bottom, "font-size": 10, fill: "#444"}, along,
     "grey labels: the line's kilometre posts" + (step >= 1000 ? " (km)" : "") + "; " + D.kilometres.describe);
  let lx = LEFT;
  for (const [fill, text] of [["#dcebd2", "mountain stretch, type 1"], ["#c9dff0", "type 2"], ["#efe0c8", "type 3 (joined)"],
                              ["url(#runout)", "run-out beyond the route's end"], ["#ffe0b2", "slow-down"], ["#1565c0", "platform"],
                              ["#e57373", "climbing"], ["#81c784", "falling"]]) {
    el("rect", {x: lx, y: bottom + 10, width: 14, height: 10, fill: fill, stroke: "#999"}, along);
    el("text", {x: lx + 18, y: bottom + 19, "font-size": 10}, along, text);
    lx += 30 + textWidth(text, 10);
  }
  const out = document.getElementById("range");
  out.textContent = dist(v0) + " to " + dist(v1) + " along the line (" + dist(v1 - v0) + " shown)";
  out.dataset.from = Math.round(v0); out.dataset.to = Math.round(v1);
  drawPlanView();
  if (hoverX !== null) showInfo(hoverX, null);
}

const DRAW = {
  stations(g, top, h) {
    const place = placer();
    const order = D.stations.map((s, i) => [s, i === 0 || i === D.stations.length - 1 ? 0 : s.time ? 1 : 2])
      .sort((a, b) => a[1] - b[1]).map(p => p[0]);
    for (const s of order) {
      if (s.b < v0 || s.a > v1) continue;
      band(g, s.a, s.b, top + h - 12, 7, {fill: s.beyond ? "#bbb" : "#1565c0", class: "platform", "data-m": s.m});
      const x = X(s.m), w = textWidth(s.name, 10);
      for (let row = 0; row < 4; row++) {
        const y = top + 12 + row * 13;
        let x0 = Math.max(LEFT, x - 2);
        if (x0 + w + 4 > LEFT + PW) x0 = x - w - 2;
        if (!place(x0, y - 10, x0 + w + 4, y + 2)) continue;
        el("line", {x1: x, x2: x, y1: y + 2, y2: top + h - 12, stroke: "#90a4c0", "stroke-width": 0.8}, g);
        el("text", {x: x0 + 2, y: y, "font-size": 10, fill: s.beyond ? "#888" : "#0d3c73", class: "station",
                              "data-m": s.m, "data-name": s.name}, g, s.name + (s.beyond ? " (beyond the end)" : ""));
        break;
      }
    }
  },
  elevation(g, top, h, frame) {
    for (const r of visibleRuns(D.mountain)) if (r[2]) band(g, r[0] * CELL, (r[1] + 1) * CELL, top, h, {fill: ["", "#dcebd2", "#c9dff0", "#efe0c8"][Math.min(r[2], 3)]});
    const E = D.elevation, c0 = Math.max(0, Math.floor(v0 / 50)), c1 = Math.min(E.length - 1, Math.ceil(v1 / 50));
    if (c1 < c0) return;
    let lo = Infinity, hi = -Infinity;
    for (let i = c0; i <= c1; i++) { lo = Math.min(lo, E[i]); hi = Math.max(hi, E[i]); }
    const y = valueAxis(frame, "elevation", lo, hi, "m");
    const stride = Math.max(1, Math.floor((c1 - c0) / 1500));
    let d = "";
    for (let i = c0; i <= c1; i += stride) d += (d ? "L" : "M") + X(i * CELL).toFixed(1) + "," + y(E[i]).toFixed(1);
    el("path", {d: d, fill: "none", stroke: "#5d8a2e", "stroke-width": 1.8}, g);
    for (const s of D.stations) if (s.m >= v0 && s.m <= v1) el("line", {x1: X(s.m), x2: X(s.m), y1: top, y2: top + h, stroke: "#1565c0", "stroke-dasharray": "3 3", "stroke-width": 0.8}, g);
  },
  gradient(g, top, h, frame) {
    let lo = 0, hi = 0;
    for (const r of visibleRuns(D.gradient)) { lo = Math.min(lo, r[2]); hi = Math.max(hi, r[2]); }
    const y = valueAxis(frame, "gradient", lo, hi, "\u2030");
    for (const r of visibleRuns(D.gradient)) {
      if (!r[2]) continue;
      const y0 = y(0), y1 = y(r[2]);
      band(g, r[0] * CELL, (r[1] + 1) * CELL, Math.min(y0, y1), Math.abs(y1 - y0), {fill: r[2] > 0 ? "#e57373" : "#81c784"});
    }
    el("line", {x1: LEFT, x2: LEFT + PW, y1: y(0), y2: y(0), stroke: "#555"}, g);
  },
  curve(g, top, h, frame) {
    const mid = top + h / 2;
    el("line", {x1: LEFT, x2: LEFT + PW, y1: mid, y2: mid, stroke: "#999"}, g);
    el("text", {x: LEFT - 5, y: top + 10, "font-size": 9, "text-anchor": "end"}, frame, "right");
    el("text", {x: LEFT - 5, y: top + h - 2, "font-size": 9, "text-anchor": "end"}, frame, "left");
    if (!D.plan.length) { el("text", {x: LEFT + 12, y: mid - 4, "font-size": 11, fill: "#777"}, g, "no plan file: the curves are not known"); return; }
    const shades = ["#ccc", "#b9c9e8", "#94acd9", "#6f8fca", "#e0a060", "#d07030", "#b03010"];
    for (const r of visibleRuns(D.curve)) {
      if (!r[2]) continue;
      const a = Math.abs(r[2]), hh = (h / 2 - 2) * a / 6;
      band(g, r[0] * CELL, (r[1] + 1) * CELL, r[2] > 0 ? mid - hh : mid, hh, {fill: shades[a]});
    }
  },
  speed(g, top, h, frame) {
    let hi = 10;
    for (const r of visibleRuns(D.speed)) hi = Math.max(hi, r[2]);
    const y = valueAxis(frame, "speed", 0, hi, "km/h");
    for (const r of visibleRuns(D.effective)) {
      const line = runAt(D.speed, r[0]);
      if (line && r[2] < line[2]) band(g, r[0] * CELL, (r[1] + 1) * CELL, top, h, {fill: "#ffe0b2"});
    }
    stepLine(g, D.speed, y, "#888", 1.2);
    stepLine(g, D.effective, y, "#c62828", 1.8);
    const place = placer();
    for (const f of D.features) {
      if (f.m < v0 || f.m > v1) continue;
      if (f.k === "slow-down" && f.label.startsWith("slow-down")) {
        const t = f.label.slice(10), x = X(f.m);
        if (place(x, top + 2, x + textWidth(t, 9), top + 13)) el("text", {x: x + 1, y: top + 11, "font-size": 9, fill: "#e65100"}, g, t);
      } else if (f.k === "speed-board") {
        const x = X(f.m);
        el("path", {d: "M" + x.toFixed(1) + "," + (top + h) + "l-3,-6h6z", fill: "#333"}, g);
        const w = textWidth(f.label, 8);
        if (place(x - w / 2, top + h - 18, x + w / 2, top + h - 8)) el("text", {x: x, y: top + h - 9, "font-size": 8, "text-anchor": "middle"}, g, f.label);
      }
    }
  },
  adhesion(g, top, h, frame) {
    const y = valueAxis(frame, "adhesion", 0, 100, "%");
    stepLine(g, D.adhesion, y, "#1565c0", 1.5);
  },
  features(g, top, h) {
    const lanes = {"signal": 0, "speed-board": 1, "text-board": 1, "slow-down": 2, "code-point": 3};
    const colours = ["#c62828", "#666", "#ef6c00", "#7b1fa2"];
    const place = placer();
    for (const f of D.features) {
      const lane = lanes[f.k];
      if (lane === undefined || f.m < v0 || f.m > v1) continue;
      const x = X(f.m), y = top + 6 + lane * 20;
      el("rect", {x: x - 1, y: y, width: 2, height: 10, fill: colours[lane], class: f.k, "data-m": f.m}, g);
      if (lane > 1 && v1 - v0 > 3000) continue;
      const text = f.label.length > 48 ? f.label.slice(0, 48) + "..." : f.label, w = textWidth(text, 8);
      if (place(x + 2, y + 10, x + 4 + w, y + 19)) el("text", {x: x + 2, y: y + 18, "font-size": 8, fill: colours[lane], class: f.k + "-label"}, g, text);
    }
  }
};

// ---- The plan, with the part shown below drawn over it.
const planSvg = document.getElementById("plan");
let planPx = null;
function drawPlanBase() {
  const P = D.plan, w = 340, h = P.length ? 300 : 56, pad = 14;
  planSvg.setAttribute("width", w); planSvg.setAttribute("height", h);
  el("rect", {width: w, height: h, fill: "#fafaf6", stroke: "#bbb"}, planSvg);
  if (!P.length) {
    el("text", {x: 10, y: 24, "font-size": 11, fill: "#555"}, planSvg, "No plan file: the scenario was");
    el("text", {x: 10, y: 40, "font-size": 11, fill: "#555"}, planSvg, "compiled without the plan (--no-plan).");
    return;
  }
  let x0 = Infinity, x1 = -Infinity, y0 = Infinity, y1 = -Infinity;
  for (const p of P) { x0 = Math.min(x0, p[1]); x1 = Math.max(x1, p[1]); y0 = Math.min(y0, p[2]); y1 = Math.max(y1, p[2]); }
  const s = Math.min((w - 2 * pad) / Math.max(x1 - x0, 1), (h - 2 * pad) / Math.max(y1 - y0, 1));
  const cx = w / 2 - (x0 + x1) / 2 * s, cy = h / 2 + (y0 + y1) / 2 * s;
  planPx = p => [cx + p[1] * s, cy - p[2] * s];
  let route = "", run = "";
  for (const p of P) {
    const [x, y] = planPx(p);
    if (p[0] <= D.routeLength) route += (route ? "L" : "M") + x.toFixed(1) + "," + y.toFixed(1);
    else run += (run ? "L" : "M") + x.toFixed(1) + "," + y.toFixed(1);
  }
  el("path", {d: route, fill: "none", stroke: "#333", "stroke-width": 1.6}, planSvg);
  el("path", {d: run, fill: "none", stroke: "#999", "stroke-dasharray": "4 3"}, planSvg);
  for (const st of D.stations) {
    const [x, y] = planPx(nearest(st.m));
    el("rect", {x: x - 3, y: y - 3, width: 6, height: 6, fill: st.beyond ? "#fff" : "#1565c0", stroke: "#1565c0"}, planSvg);
  }
  const bar = nice(80 / s, 1);
  el("line", {x1: 10, x2: 10 + bar * s, y1: h - 10, y2: h - 10, stroke: "#000", "stroke-width": 3}, planSvg);
  el("text", {x: 10, y: h - 15, "font-size": 10}, planSvg, dist(bar));
  planSvg.addEventListener("click", e => {
    const r = planSvg.getBoundingClientRect(), mx = e.clientX - r.left, my = e.clientY - r.top;
    let best = null, bd = Infinity;
    for (const p of P) { const [x, y] = planPx(p), dd = (x - mx) ** 2 + (y - my) ** 2; if (dd < bd) { bd = dd; best = p; } }
    if (best) centre(best[0], v1 - v0);
  });
}
function nearest(m) {
  const P = D.plan;
  let lo = 0, hi = P.length - 1;
  while (lo < hi) { const mid = (lo + hi) >> 1; if (P[mid][0] < m) lo = mid + 1; else hi = mid; }
  return P[lo];
}
let planOverlay = null;
function drawPlanView() {
  if (!planPx) return;
  if (planOverlay) planOverlay.remove();
  planOverlay = el("g", {id: "plan-view"}, planSvg);
  let d = "";
  for (const p of D.plan) if (p[0] >= v0 && p[0] <= v1) { const [x, y] = planPx(p); d += (d ? "L" : "M") + x.toFixed(1) + "," + y.toFixed(1); }
  if (!d) { const [x, y] = planPx(nearest((v0 + v1) / 2)); d = "M" + x + "," + y + "l0.1,0"; }
  el("path", {d: d, fill: "none", stroke: "#ff6f00", "stroke-width": 5, "stroke-linecap": "round", opacity: 0.7}, planOverlay);
}

// ---- What is at the pointer.
const info = document.getElementById("info");
function showInfo(px, ev) {
  const m = v0 + (px - LEFT) / PW * (v1 - v0);
  if (px < LEFT || px > LEFT + PW) { info.hidden = true; return; }
  const cell = Math.floor(m / 50), rows = [];
  const add = (text, src) => rows.push("<div>" + esc(text) + (src ? " <span class=src>" + esc(src) + "</span>" : "") + "</div>");
  add(dist(Math.round(m)) + " along the line, km post " + postText(postAt(m)) + ", cell " + cell);
  if (m > D.routeLength) add("beyond the end of the route (" + dist(D.routeLength) + "): the run-out");
  if (cell < D.profileCells) {
    const sp = runAt(D.speed, cell), ef = runAt(D.effective, cell), gr = runAt(D.gradient, cell), ad = runAt(D.adhesion, cell);
    const ss = runAt(D.speedSource, cell), gs = runAt(D.gradientSource, cell), as = runAt(D.adhesionSource, cell);
    add("speed limit " + sp[2] + " km/h" + (ef[2] < sp[2] ? ", slowed down to " + ef[2] + " km/h" : ""), ss && ss[2] ? D.sources[1] + ":" + ss[2] : "");
    add("gradient " + (gr[2] > 0 ? "+" : "") + gr[2] + " per mille", gs && gs[2] ? D.sources[0] + ":" + gs[2] : "");
    add("adhesion " + ad[2] + " %", as && as[2] ? D.sources[1] + ":" + as[2] : "");
  } else {
    add("last cells of the model: no speed, gradient or adhesion");
  }
  const mo = runAt(D.mountain, cell);
  if (mo && mo[2]) add("mountain stretch, type " + mo[2]);
  const cu = runAt(D.curve, cell);
  if (cu && cu[2]) add("curve to the " + (cu[2] > 0 ? "right" : "left") + ", class " + Math.abs(cu[2]) + " (radius about " + [0, 10000, 5000, 2500, 1000, 500, 333][Math.abs(cu[2])] + " m)");
  for (const s of D.stations) if (m >= s.a - 25 && m <= s.b + 25) add("station " + s.name + " at " + dist(s.m) + ": platform " + s.a + " to " + s.b + " m, type " + s.type + (s.time ? ", due " + s.time : ""), srcText(s.src));
  const tol = 6 * (v1 - v0) / PW;
  let shown = 0;
  for (const f of D.features) {
    if (Math.abs(f.m - m) > tol || f.k === "stop-point" && shown > 3) continue;
    if (++shown > 8) break;
    add(f.detail + " (at " + dist(f.m) + ")", srcText(f.src));
  }
  info.innerHTML = rows.join("");
  info.hidden = false;
  // Beside the pointer; for a link to a point, beside the cursor line at the top of the panels.
  const r = along.getBoundingClientRect();
  const cx = ev ? ev.clientX : r.left + px, cy = ev ? ev.clientY : r.top + 40;
  info.style.left = Math.max(0, Math.min(cx + 16, window.innerWidth - 470)) + "px";
  info.style.top = Math.max(0, Math.min(cy + 16, window.innerHeight - info.offsetHeight - 8)) + "px";
  let cursor = document.getElementById("cursor");
  if (!cursor) cursor = el("line", {id: "cursor", stroke: "#ff6f00", "stroke-width": 1}, along);
  cursor.setAttribute("x1", px); cursor.setAttribute("x2", px); cursor.setAttribute("y1", 10); cursor.setAttribute("y2", along.getAttribute("height"));
}
function esc(s) { return String(s).replace(/[&<>"]/g, c => ({"&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;"})[c]); }

// ---- Zoom and pan: all panels in step.
function setView(a, b) {
  let span = Math.min(Math.max(b - a, MIN_SPAN), D.trackLength);
  a = Math.max(0, Math.min(a, D.trackLength - span));
  v0 = a; v1 = a + span;
  history.replaceState(null, "", "#view=" + Math.round(v0) + "-" + Math.round(v1));
  render();
}
function zoom(factor, atM) {
  if (atM === undefined) atM = (v0 + v1) / 2;
  setView(atM - (atM - v0) * factor, atM + (v1 - atM) * factor);
}
function centre(m, span) { setView(m - span / 2, m + span / 2); }
function pointerMetre(ev) { const r = along.getBoundingClientRect(); return [ev.clientX - r.left, v0 + (ev.clientX - r.left - LEFT) / PW * (v1 - v0)]; }
along.addEventListener("wheel", ev => { ev.preventDefault(); zoom(Math.exp(ev.deltaY * 0.0015), pointerMetre(ev)[1]); }, {passive: false});
let drag = null;
along.addEventListener("pointerdown", ev => { drag = [ev.clientX, v0, v1]; along.setPointerCapture(ev.pointerId); });
along.addEventListener("pointerup", () => { drag = null; });
along.addEventListener("pointermove", ev => {
  const [px] = pointerMetre(ev);
  hoverX = px;
  if (drag) { const d = (ev.clientX - drag[0]) / PW * (drag[2] - drag[1]); setView(drag[1] - d, drag[2] - d); }
  else showInfo(px, ev);
});
along.addEventListener("pointerleave", () => { info.hidden = true; hoverX = null; const c = document.getElementById("cursor"); if (c) c.remove(); });
document.addEventListener("keydown", ev => {
  if (ev.target.tagName === "INPUT") return;
  const span = v1 - v0;
  const keys = {"+": () => zoom(0.5), "=": () => zoom(0.5), "-": () => zoom(2), "_": () => zoom(2), "0": () => setView(0, D.trackLength),
                "Home": () => setView(0, D.trackLength), "ArrowLeft": () => setView(v0 - span * 0.2, v1 - span * 0.2),
                "ArrowRight": () => setView(v0 + span * 0.2, v1 + span * 0.2)};
  if (keys[ev.key]) { keys[ev.key](); ev.preventDefault(); }
});
for (const b of document.querySelectorAll("#controls button")) {
  b.addEventListener("click", () => ({in: () => zoom(0.5), out: () => zoom(2), all: () => setView(0, D.trackLength)})[b.dataset.zoom]());
}

// ---- The list to jump to.
function buildList() {
  const list = document.getElementById("list");
  const groups = [["Stations", D.stations.map(s => [s.m, s.name + (s.beyond ? " (beyond the end)" : ""), "station"])],
    ["Signals", D.features.filter(f => f.k === "signal").map(f => [f.m, f.label + " signal", "signal"])],
    ["Boards", D.features.filter(f => f.k === "text-board" || f.k === "speed-board").map(f => [f.m, f.label, f.k])],
    ["Slow-downs", D.features.filter(f => f.k === "slow-down" && f.label.startsWith("slow-down")).map(f => [f.m, f.label, "slow-down"])]];
  for (const [name, items] of groups) {
    if (!items.length) continue;
    const h = document.createElement("h2"); h.textContent = name + " (" + items.length + ")"; list.appendChild(h);
    const ul = document.createElement("ul"); list.appendChild(ul);
    for (const [m, text, kind] of items) {
      const li = document.createElement("li");
      li.dataset.m = m; li.dataset.kind = kind; li.title = text;
      li.textContent = text;
      const sm = document.createElement("span"); sm.className = "m"; sm.textContent = postText(postAt(m)); li.appendChild(sm);
      li.addEventListener("click", () => centre(m, Math.min(Math.max(v1 - v0, MIN_SPAN), 4000)));
      ul.appendChild(li);
    }
  }
  document.getElementById("filter").addEventListener("input", ev => {
    const q = ev.target.value.toLowerCase();
    for (const li of list.querySelectorAll("li")) li.hidden = q && !li.textContent.toLowerCase().includes(q);
  });
}

document.getElementById("summary").textContent = "route " + dist(D.routeLength) + ", modelled to " + dist(D.trackLength) +
  " (the run-out beyond the end hatched); " + D.kilometres.describe + ".";
drawPlanBase();
buildList();
// A link may name the part shown (#view=FROM-TO, metres) and a point to show what is there (&at=METRE).
const wanted = /#view=(\d+)-(\d+)/.exec(location.hash), point = /[#&]at=(\d+)/.exec(location.hash);
if (wanted) setView(+wanted[1], +wanted[2]); else render();
if (point) { hoverX = X(+point[1]); showInfo(hoverX, null); }
document.body.dataset.ready = "1";
)js";

}  // namespace

std::string renderScenarioHtml(const PlotData& d) {
  std::string data = dataJson(d).dump(-1, ' ', false, json::error_handler_t::replace);
  // Inside a script element only "</" could end it early; JSON allows "\/" for "/".
  for (std::size_t at = data.find("</"); at != std::string::npos; at = data.find("</", at + 3)) data.replace(at, 2, "<\\/");
  std::string title = escapeXml(d.title);
  std::string html;
  html += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title + "</title>\n";
  html += "<meta name=\"viewport\" content=\"width=device-width\">\n<style>";
  html += kStyle;
  html += "</style>\n</head>\n<body>\n";
  html += "<header><h1>" + title + "</h1><p id=\"summary\"></p>\n";
  html += "<div id=\"controls\"><button data-zoom=\"in\" title=\"zoom in (+)\">+</button>"
          "<button data-zoom=\"out\" title=\"zoom out (-)\">&minus;</button>"
          "<button data-zoom=\"all\" title=\"the whole line (0)\">whole line</button>"
          "<output id=\"range\"></output><span class=\"hint\">wheel or + &minus; to zoom, drag or &larr; &rarr; "
          "to pan, 0 for the whole line; click the plan or a list entry to go there</span></div></header>\n";
  html += "<pre id=\"errors\"></pre>\n";
  html += "<script>window.addEventListener(\"error\", e => { document.getElementById(\"errors\").textContent += "
          "\"script error: \" + e.message + \"\\n\"; });</script>\n";
  html += "<main><div id=\"panels\"><svg id=\"plan\" xmlns=\"http://www.w3.org/2000/svg\"></svg>\n"
          "<svg id=\"along\" xmlns=\"http://www.w3.org/2000/svg\"></svg></div>\n"
          "<aside><input id=\"filter\" placeholder=\"find a station, signal or board\"><div id=\"list\"></div></aside></main>\n";
  html += "<div id=\"info\" hidden></div>\n";
  html += "<script type=\"application/json\" id=\"data\">" + data + "</script>\n";
  html += "<script>";
  html += kScript;
  html += "</script>\n</body>\n</html>\n";
  return html;
}

json plotDataJson(const PlotData& data) { return dataJson(data); }

}  // namespace pack
