// The page of one scenario: panels along the line drawn as SVG from the data embedded in the page (or
// received from the live server), zoomed and panned together. What the panels are and how they look
// comes from the plot design in the data (D.design), which the static SVG draws from as well.
// The work of one frame depends on the pixels shown, not on the route's length: the runs and features
// in view are found by binary search, and anything narrower than a pixel is merged into its column.
"use strict";
window.addEventListener("error", e => {
  document.getElementById("errors").textContent += "script error: " + e.message + "\n";
});

const NS = "http://www.w3.org/2000/svg";
const W = 1060, LEFT = 64, RIGHT = 16, PW = W - LEFT - RIGHT, MIN_SPAN = 400;
let D = null, S = null, CELL = 50, KP = [];
let features = [], stationOrder = [], panelTop = {};
let v0 = 0, v1 = 1, hoverX = null, selected = null;

// ---- Small helpers.
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
function textWidth(s, size) { return s.length * size * S.textWidth; }
function esc(s) {
  return String(s).replace(/[&<>"]/g, c => ({"&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;"})[c]);
}
// The first index in the sorted list `a` whose key is not below `k`.
function lowerBound(a, k, key) {
  let lo = 0, hi = a.length;
  while (lo < hi) { const mid = (lo + hi) >> 1; if (key(a[mid]) < k) lo = mid + 1; else hi = mid; }
  return lo;
}

// ---- The line's kilometre posts: (metre, post) pairs, linear between neighbours.
// The segment holding `m`: the last one starting at or before it.
function segmentOf(m) {
  let lo = 0, hi = KP.length;
  while (lo < hi) { const mid = (lo + hi) >> 1; if (KP[mid][0] <= m) lo = mid + 1; else hi = mid; }
  return Math.max(0, Math.min(KP.length - 2, lo - 1));
}
function postAt(m) {
  if (KP.length < 2) return m;
  const i = segmentOf(m), a = KP[i], b = KP[i + 1];
  return b[0] === a[0] ? a[1] : a[1] + (b[1] - a[1]) * (m - a[0]) / (b[0] - a[0]);
}
// Metres between `from` and `to` where the post value is a multiple of `step`, segment by segment.
function roundPosts(from, to, step) {
  const list = [];
  for (let i = segmentOf(from); i + 1 < KP.length && KP[i][0] <= to; i++) {
    const a = KP[i], b = KP[i + 1], lo = Math.max(from, a[0]), hi = Math.min(to, b[0]);
    if (hi < lo || b[0] === a[0] || b[1] === a[1]) continue;
    const p0 = postAt(lo), p1 = postAt(hi), pl = Math.min(p0, p1), ph = Math.max(p0, p1);
    for (let p = Math.ceil(pl / step) * step; p <= ph; p += step) {
      list.push(a[0] + (p - a[1]) * (b[0] - a[0]) / (b[1] - a[1]));
    }
  }
  return list;
}
function postText(v) {
  v = Math.round(v);
  const s = v < 0 ? "-" : "", a = Math.abs(v);
  return s + Math.floor(a / S.postUnit) + S.postSeparator + String(a % S.postUnit).padStart(S.postDigits, "0");
}
// "8:05:03" from seconds after midnight.
function clock(t) {
  const s = Math.round(t), sign = s < 0 ? "-" : "", a = Math.abs(s), two = v => String(v).padStart(2, "0");
  return sign + Math.floor(a / 3600) + ":" + two(Math.floor(a / 60) % 60) + ":" + two(a % 60);
}
function srcText(src) { return src ? D.sources[src[0]] + ":" + src[1] : ""; }

// ---- Runs of equal values per cell, [first cell, last cell, value], sorted.
function runAt(runs, cell) {
  const i = lowerBound(runs, cell, r => r[1]);
  return i < runs.length && runs[i][0] <= cell ? runs[i] : null;
}
function visibleRange(runs) {
  return [lowerBound(runs, v0 / CELL - 1, r => r[1]), lowerBound(runs, v1 / CELL + 1, r => r[0])];
}
// The runs in view as segments [x0, x1, lowest, highest]: a run a pixel wide or more keeps its value;
// narrower ones are merged into their pixel column, keeping the lowest and highest value there.
function segments(runs, value) {
  const out = [], [i0, i1] = visibleRange(runs);
  let col = null;
  for (let i = i0; i < i1; i++) {
    const r = runs[i], v = value ? value(r) : r[2];
    const x0 = Math.max(LEFT, X(r[0] * CELL)), x1 = Math.min(LEFT + PW, X((r[1] + 1) * CELL));
    if (x1 <= x0) continue;
    if (x1 - x0 >= 1) {
      if (col) { out.push(col); col = null; }
      out.push([x0, x1, v, v]);
    } else if (col && Math.floor(x0) === Math.floor(col[0])) {
      col[1] = x1; col[2] = Math.min(col[2], v); col[3] = Math.max(col[3], v);
    } else {
      if (col) out.push(col);
      col = [x0, x1, v, v];
    }
  }
  if (col) out.push(col);
  return out;
}
// One path of rectangles: far fewer elements than one each when a view holds thousands.
function boxes(g, list, attrs) {
  let d = "";
  for (const [x0, y0, x1, y1] of list) {
    const w = Math.max(x1 - x0, 0.8);
    d += "M" + x0.toFixed(1) + "," + y0.toFixed(1) + "h" + w.toFixed(1) + "V" + y1.toFixed(1) +
         "h" + (-w).toFixed(1) + "z";
  }
  if (d) el("path", Object.assign({d: d}, attrs), g);
}
function stepLine(g, runs, y, colour, width) {
  let d = "";
  for (const [x0, x1, lo, hi] of segments(runs)) {
    d += (d ? "L" : "M") + x0.toFixed(1) + "," + y(lo).toFixed(1);
    d += "L" + (lo === hi ? x1 : x0).toFixed(1) + "," + y(hi).toFixed(1);
  }
  if (d) el("path", {d: d, fill: "none", stroke: colour, "stroke-width": width}, g);
}
// The speed a slow-down leaves, only where it is below the line's limit (the limit's own line says the
// rest): each stretch drops from the limit and climbs back to it.
function slowedLine(g, y, colour, width) {
  let d = "";
  const [i0, i1] = visibleRange(D.effective);
  for (let i = i0; i < i1; i++) {
    const r = D.effective[i], before = runAt(D.speed, r[0]), after = runAt(D.speed, r[1] + 1) || before;
    if (!before || r[2] >= before[2]) continue;
    const x0 = X(r[0] * CELL).toFixed(1), x1 = X((r[1] + 1) * CELL).toFixed(1);
    d += "M" + x0 + "," + y(before[2]).toFixed(1) + "L" + x0 + "," + y(r[2]).toFixed(1) +
         "L" + x1 + "," + y(r[2]).toFixed(1) + "L" + x1 + "," + y(after[2]).toFixed(1);
  }
  if (d) el("path", {d: d, fill: "none", stroke: colour, "stroke-width": width}, g);
}
function band(g, m0, m1, top, h, attrs) {
  const x0 = Math.max(LEFT, X(m0)), x1 = Math.min(LEFT + PW, X(m1));
  if (x1 < LEFT || x0 > LEFT + PW) return null;
  return el("rect", Object.assign({x: x0, y: top, width: Math.max(x1 - x0, 0.8), height: h}, attrs), g);
}
// The features whose metre lies between `a` and `b`, in order along the line.
function featuresBetween(a, b) {
  return features.slice(lowerBound(features, a, f => f.m), lowerBound(features, b + 1e-9, f => f.m));
}
// Labels first come, first served; one that would overlap a placed label is left out. The boxes are
// kept in buckets of 64 pixels so that a check looks at its neighbours only.
function placer() {
  const buckets = new Map();
  return function (x0, y0, x1, y1) {
    if (x0 < LEFT || x1 > LEFT + PW + 2) return false;
    const b0 = Math.floor(x0 / 64), b1 = Math.floor(x1 / 64);
    for (let b = b0; b <= b1; b++) {
      for (const o of buckets.get(b) || []) if (x0 < o[2] && o[0] < x1 && y0 < o[3] && o[1] < y1) return false;
    }
    for (let b = b0; b <= b1; b++) {
      if (!buckets.has(b)) buckets.set(b, []);
      buckets.get(b).push([x0, y0, x1, y1]);
    }
    return true;
  };
}

// ---- The panels along the line.
const along = document.getElementById("along");
function layout() {
  let y = 22;
  panelTop = {};
  for (const p of S.panels) { panelTop[p.id] = y; y += p.height + S.panelGap; }
  along.setAttribute("height", y + 34 + 16 * Math.ceil(S.legend.length / 6));
  along.setAttribute("width", W);
}
function valueAxis(g, panel, top, lo, hi) {
  const h = panel.height;
  if (!(lo < hi)) hi = lo + 1;
  const step = nice(hi - lo, panel.axisLabels);
  lo = Math.floor(lo / step) * step; hi = Math.ceil(hi / step) * step;
  const scaled = h - S.valueHeadroom, y = v => top + h - (v - lo) / (hi - lo) * scaled;
  for (let v = lo; v <= hi + step / 2; v += step) {
    el("line", {x1: LEFT, x2: LEFT + PW, y1: y(v), y2: y(v), stroke: "#f0f0f0"}, g);
    el("text", {x: LEFT - 5, y: y(v) + 3, "font-size": 9, "text-anchor": "end"}, g, fmt(v));
  }
  el("text", {x: 4, y: top + h / 2, "font-size": 10, fill: "#444"}, g, panel.unit);
  return y;
}

function clearSvg(svg) { while (svg.firstChild) svg.removeChild(svg.firstChild); }
function defs(root) {
  const d = el("defs", {}, root);
  const pat = el("pattern", {id: "runout", width: 6, height: 6, patternUnits: "userSpaceOnUse",
                             patternTransform: "rotate(45)"}, d);
  el("rect", {width: 6, height: 6, fill: "#f3f3f3"}, pat);
  el("line", {x1: 0, y1: 0, x2: 0, y2: 6, stroke: "#ddd", "stroke-width": 2}, pat);
  const clip = el("clipPath", {id: "plotarea"}, d);
  el("rect", {x: LEFT, y: 0, width: PW, height: 5000}, clip);
}
// The drawing is built away from the page and put in at once: the browser then works out styles and
// layout once per frame, not once per element.
function render() {
  if (!D) { clearSvg(along); return; }
  const root = document.createElementNS(NS, "g");
  defs(root);
  const span = v1 - v0, step = Math.max(nice(span, PW / S.tickSpacing), S.minTickStep);
  const inKm = step % S.postUnit === 0, ticks = roundPosts(v0, v1, step);
  const tickText = ticks.map(m => inKm ? fmt(Math.round(postAt(m)) / S.postUnit) : postText(postAt(m)));
  for (const p of S.panels) {
    const top = panelTop[p.id], h = p.height, g = el("g", {id: "panel-" + p.id}, root);
    el("text", {x: LEFT, y: top - 6, "font-size": 12, "font-weight": "bold"}, g, p.title);
    el("rect", {x: LEFT, y: top, width: PW, height: h, fill: "none", stroke: S.colours.frame}, g);
    band(g, D.routeLength, D.trackLength, top, h, {fill: "url(#runout)", class: "runout"});
    el("path", {d: ticks.map(m => "M" + X(m).toFixed(1) + "," + top + "v" + h).join(""), stroke: S.colours.grid}, g);
    ticks.forEach((m, i) => {
      el("text", {x: X(m), y: top + h + 11, fill: S.colours.postText, class: "tick"}, g, tickText[i]);
    });
    const body = el("g", {"clip-path": "url(#plotarea)"}, g);
    if (DRAW[p.id]) DRAW[p.id](body, p, top, g);
    if (D.routeLength >= v0 && D.routeLength <= v1) {
      el("line", {x1: X(D.routeLength), x2: X(D.routeLength), y1: top, y2: top + h, stroke: S.colours.routeEnd,
                  "stroke-width": 1.5, class: "route-end"}, g);
    }
  }
  legend(root, inKm);
  if (selected !== null && selected >= v0 && selected <= v1) {
    el("line", {id: "selected", x1: X(selected), x2: X(selected), y1: 10, y2: along.getAttribute("height"),
                stroke: "#1565c0", "stroke-width": 1.5, "stroke-dasharray": "5 3"}, root);
  }
  along.replaceChildren(root);
  const out = document.getElementById("range");
  out.textContent = dist(v0) + " to " + dist(v1) + " along the line (" + dist(v1 - v0) + " shown)";
  out.dataset.from = Math.round(v0); out.dataset.to = Math.round(v1);
  drawPlanView();
  if (hoverX !== null) showInfo(hoverX, null);
}
function legend(root, inKm) {
  const last = S.panels[S.panels.length - 1];
  let bottom = panelTop[last.id] + last.height + 26;
  el("text", {x: LEFT, y: bottom, "font-size": 10, fill: "#444"}, root,
     "grey labels: the line's kilometre posts" + (inKm ? " (km)" : "") + "; " + D.kilometres.describe);
  let lx = LEFT;
  for (const item of S.legend) {
    if (lx + 18 + textWidth(item.text, 10) > LEFT + PW) { lx = LEFT; bottom += 16; }
    el("rect", {x: lx, y: bottom + 10, width: 14, height: 10, fill: item.fill, stroke: "#999"}, root);
    el("text", {x: lx + 18, y: bottom + 19, "font-size": 10}, root, item.text);
    lx += 30 + textWidth(item.text, 10);
  }
}

// The drawing of each panel of the design, by its id.
const DRAW = {
  stations(g, p, top) {
    const place = placer(), h = p.height, c = S.colours;
    for (const s of stationOrder) {
      if (s.b < v0 || s.a > v1) continue;
      band(g, s.a, s.b, top + h - 12, 7, {fill: s.beyond ? c.platformBeyond : c.platform, class: "platform",
                                          "data-m": s.m});
      const x = X(s.m), w = textWidth(s.name, 10);
      for (let row = 0; row < S.stationRows; row++) {
        const y = top + 12 + row * S.stationRowHeight;
        let x0 = Math.max(LEFT, x - 2);
        if (x0 + w + 4 > LEFT + PW) x0 = x - w - 2;
        if (!place(x0, y - 10, x0 + w + 4, y + 2)) continue;
        el("line", {x1: x, x2: x, y1: y + 2, y2: top + h - 12, stroke: c.stationGuide, "stroke-width": 0.8}, g);
        el("text", {x: x0 + 2, y: y, "font-size": 10, fill: s.beyond ? c.beyondText : c.stationText,
                    class: "station", "data-m": s.m, "data-name": s.name},
           g, s.name + (s.beyond ? " (beyond the end)" : ""));
        break;
      }
    }
  },
  elevation(g, p, top, frame) {
    const h = p.height, byType = {};
    for (const [x0, x1, , type] of segments(D.mountain)) {
      if (type) (byType[Math.min(type, 3)] = byType[Math.min(type, 3)] || []).push([x0, top, x1, top + h]);
    }
    for (const type in byType) boxes(g, byType[type], {fill: S.colours.mountain[type]});
    const columns = elevationColumns();
    if (!columns.length) return;
    let lo = Infinity, hi = -Infinity;
    for (const [, a, b] of columns) { lo = Math.min(lo, a); hi = Math.max(hi, b); }
    const y = valueAxis(frame, p, top, lo, hi);
    let d = "";
    for (const [x, a, b] of columns) {
      d += (d ? "L" : "M") + x.toFixed(1) + "," + y(a).toFixed(1);
      if (b !== a) d += "L" + x.toFixed(1) + "," + y(b).toFixed(1);
    }
    el("path", {d: d, fill: "none", stroke: S.colours.elevation, "stroke-width": 1.8}, g);
    for (const s of D.stations) {
      if (s.m < v0 || s.m > v1) continue;
      el("line", {x1: X(s.m), x2: X(s.m), y1: top, y2: top + h, stroke: S.colours.platform,
                  "stroke-dasharray": "3 3", "stroke-width": 0.8}, g);
    }
  },
  gradient(g, p, top, frame) {
    const list = segments(D.gradient);
    let lo = 0, hi = 0;
    for (const s of list) { lo = Math.min(lo, s[2]); hi = Math.max(hi, s[3]); }
    const y = valueAxis(frame, p, top, lo, hi), up = [], down = [];
    for (const [x0, x1, a, b] of list) {
      if (b > 0) up.push([x0, y(b), x1, y(0)]);
      if (a < 0) down.push([x0, y(0), x1, y(a)]);
    }
    boxes(g, up, {fill: S.colours.climbing});
    boxes(g, down, {fill: S.colours.falling});
    el("line", {x1: LEFT, x2: LEFT + PW, y1: y(0), y2: y(0), stroke: "#555"}, g);
  },
  curve(g, p, top, frame) {
    const h = p.height, mid = top + h / 2;
    el("line", {x1: LEFT, x2: LEFT + PW, y1: mid, y2: mid, stroke: "#999"}, g);
    el("text", {x: LEFT - 5, y: top + 10, "font-size": 9, "text-anchor": "end"}, frame, "right");
    el("text", {x: LEFT - 5, y: top + h - 2, "font-size": 9, "text-anchor": "end"}, frame, "left");
    if (!D.plan.length) {
      el("text", {x: LEFT + 12, y: mid - 4, "font-size": 11, fill: "#777"}, g,
         "no plan file: the curves are not known");
      return;
    }
    const byClass = [[], [], [], [], [], [], []], unit = (h / 2 - 2) / 6;
    for (const [x0, x1, a, b] of segments(D.curve)) {
      if (b > 0) byClass[b].push([x0, mid - unit * b, x1, mid]);
      if (a < 0) byClass[-a].push([x0, mid, x1, mid - unit * a]);
    }
    byClass.forEach((list, cls) => boxes(g, list, {fill: S.colours.curve[cls]}));
  },
  speed(g, p, top, frame) {
    const h = p.height, c = S.colours;
    let hi = 10;
    for (const s of segments(D.speed)) hi = Math.max(hi, s[3]);
    const y = valueAxis(frame, p, top, 0, hi), slowed = [];
    const isSlowed = r => { const line = runAt(D.speed, r[0]); return line && r[2] < line[2] ? 1 : 0; };
    for (const [x0, x1, , b] of segments(D.effective, isSlowed)) if (b) slowed.push([x0, top, x1, top + h]);
    boxes(g, slowed, {fill: c.slowDownBand});
    stepLine(g, D.speed, y, c.lineSpeed, 1.2);
    slowedLine(g, y, c.effectiveSpeed, 1.8);
    runLine(g, D.run.v, y, "run-speed");
    const place = placer();
    let lastBoard = null;
    for (const f of featuresBetween(v0, v1)) {
      const x = X(f.m);
      if (f.k === "slow-down" && f.label.startsWith("slow-down")) {
        const t = f.label.slice(10);
        if (place(x, top + 2, x + textWidth(t, 9), top + 13)) {
          el("text", {x: x + 1, y: top + 11, "font-size": 9, fill: c.slowDownText}, g, t);
        }
      } else if (f.k === "speed-board" && Math.round(x) !== lastBoard) {
        lastBoard = Math.round(x);
        el("path", {d: "M" + x.toFixed(1) + "," + (top + h) + "l-3,-6h6z", fill: "#333"}, g);
        const w = textWidth(f.label, 8);
        if (place(x - w / 2, top + h - 18, x + w / 2, top + h - 8)) {
          el("text", {x: x, y: top + h - 9, "font-size": 8, "text-anchor": "middle"}, g, f.label);
        }
      }
    }
  },
  timetable(g, p, top, frame) {
    const R = D.run, [i0, i1] = runInView();
    let lo = Infinity, hi = -Infinity;
    for (let i = i0; i < i1; i++) { lo = Math.min(lo, R.t[i]); hi = Math.max(hi, R.t[i]); }
    for (const s of R.stops) if (s.time !== null && s.m >= v0 && s.m <= v1) { lo = Math.min(lo, s.time); hi = Math.max(hi, s.time); }
    // A section reaching beyond the view counts with its times at the view's edges.
    for (const s of scheduledSections()) {
      const a = R.stops[s.from], b = R.stops[s.to];
      if (b.m < v0 || a.m > v1) continue;
      const at = m => a.time + (b.m > a.m ? (m - a.m) / (b.m - a.m) : 0) * s.scheduled;
      lo = Math.min(lo, at(Math.max(a.m, v0))); hi = Math.max(hi, at(Math.min(b.m, v1)));
    }
    if (!(lo <= hi)) {
      el("text", {x: LEFT + 12, y: top + p.height / 2, "font-size": 11, fill: "#777"}, g,
         R.problem ? "No timetable: " + R.problem : R.stops.length < 2 ? "No timetable: no stops to run between" :
         "No part of the timetable in view");
      return;
    }
    const y = clockAxis(frame, p, top, lo, hi), c = S.colours;
    for (const s of scheduledSections()) {
      const a = R.stops[s.from], b = R.stops[s.to];
      if (b.m < v0 || a.m > v1) continue;
      el("line", {x1: X(a.m), y1: y(a.time), x2: X(b.m), y2: y(a.time + s.scheduled), class: "section",
                  "data-verdict": s.verdict, stroke: c.verdict[s.verdict] || c.verdict[""],
                  "stroke-width": S.scheduleWidth}, g);
    }
    runLine(g, R.t, y, "run-time");
    for (const s of R.stops) {
      if (s.time === null || s.m < v0 || s.m > v1) continue;
      el("circle", {cx: X(s.m), cy: y(s.time), r: S.stopRadius, fill: c.schedule, class: "stop"}, g);
    }
  },
  adhesion(g, p, top, frame) {
    const y = valueAxis(frame, p, top, 0, 100);
    stepLine(g, D.adhesion, y, S.colours.adhesion, 1.5);
  },
  features(g, p, top) {
    const place = placer(), lastX = [], wide = v1 - v0 > 3000;
    for (const f of featuresBetween(v0, v1)) {
      const lane = S.lanes[f.k];
      if (lane === undefined || lane < 0) continue;
      const x = X(f.m), y = top + S.laneTops[lane], colour = S.laneColours[lane];
      // One mark per pixel column and lane: more could not be told apart.
      if (Math.round(x) === lastX[lane]) continue;
      lastX[lane] = Math.round(x);
      el("rect", {x: x - 1, y: y, width: 2, height: 10, fill: colour, class: f.k, "data-m": f.m}, g);
      if (lane > 1 && wide) continue;
      const text = f.label.length > S.labelChars ? f.label.slice(0, S.labelChars) + "..." : f.label;
      // Beside the mark on its right, else on its left, in each of the lane's label rows in turn.
      const w = textWidth(text, 8);
      placing: for (let row = 0; row < S.laneLabelRows[lane]; row++) {
        const below = y + row * S.labelRowHeight;
        for (const [x0, anchor] of [[x + 2, "start"], [x - 2 - w, "end"]]) {
          if (!place(x0, below + 10, x0 + w + 2, below + 19)) continue;
          el("text", {x: anchor === "start" ? x + 2 : x - 2, y: below + 18, "font-size": 8, fill: colour,
                      "text-anchor": anchor, class: f.k + "-label"}, g, text);
          break placing;
        }
      }
    }
  }
};
// The run's points in view, [first, end), with one on each side so that the line reaches the edges.
function runInView() {
  const M = D.run.m;
  return [Math.max(0, lowerBound(M, v0, m => m) - 1), Math.min(M.length, lowerBound(M, v1, m => m) + 1)];
}
// The fastest run as one path, `values` giving each point's value: in each pixel column its lowest and
// highest point in their order along the run, so that the work follows the pixels, not the points.
function runLine(g, values, y, id) {
  const M = D.run.m, [i0, i1] = runInView();
  let d = "";
  const add = k => { d += (d ? "L" : "M") + X(M[k]).toFixed(1) + "," + y(values[k]).toFixed(1); };
  for (let i = i0; i < i1;) {
    const column = Math.floor(X(M[i]));
    let lo = i, hi = i, j = i;
    for (; j < i1 && Math.floor(X(M[j])) === column; j++) {
      if (values[j] < values[lo]) lo = j;
      if (values[j] > values[hi]) hi = j;
    }
    add(i);
    if (j - i > 2) { add(Math.min(lo, hi)); add(Math.max(lo, hi)); }
    if (j - 1 > i) add(j - 1);
    i = j;
  }
  if (d) el("path", {d: d, id: id, fill: "none", stroke: S.colours.run, "stroke-width": S.runWidth}, g);
}
// The sections with a scheduled time, from a stop with a time: the ones the graphic timetable draws.
function scheduledSections() {
  return D.run.sections.filter(s => s.scheduled !== null && D.run.stops[s.from].time !== null);
}
// The clock downwards on the left of a panel, at the design's first step that leaves few enough labels.
function clockAxis(g, panel, top, lo, hi) {
  let step = S.clockSteps[S.clockSteps.length - 1];
  for (const c of S.clockSteps) if ((hi - lo) / c <= panel.axisLabels) { step = c; break; }
  lo = Math.floor(lo / step) * step; hi = Math.max(Math.ceil(hi / step) * step, lo + step);
  const pad = S.valueHeadroom, y = t => top + pad + (t - lo) / (hi - lo) * (panel.height - 2 * pad);
  for (let t = lo; t <= hi + step / 2; t += step) {
    el("line", {x1: LEFT, x2: LEFT + PW, y1: y(t), y2: y(t), stroke: "#f0f0f0"}, g);
    el("text", {x: LEFT - 5, y: y(t) + 3, "font-size": 9, "text-anchor": "end"}, g, clock(t).slice(0, -3));
  }
  el("text", {x: 4, y: top + panel.height / 2, "font-size": 10, fill: "#444"}, g, panel.unit);
  return y;
}
// The run at metre `m`, interpolated between its neighbouring points: [km/h, clock], or null.
function runAtMetre(m) {
  const R = D.run, i = lowerBound(R.m, m, x => x);
  if (i === 0 || i >= R.m.length) return null;
  const a = i - 1, share = R.m[i] > R.m[a] ? (m - R.m[a]) / (R.m[i] - R.m[a]) : 0;
  return [R.v[a] + (R.v[i] - R.v[a]) * share, R.t[a] + (R.t[i] - R.t[a]) * share];
}
function runRows(m, add) {
  const R = D.run, at = runAtMetre(m);
  if (at) add("fastest run of the " + R.train + ": " + Math.round(at[0]) + " km/h, at " + clock(at[1]));
  for (const s of R.sections) {
    const a = R.stops[s.from], b = R.stops[s.to];
    if (m < a.m || m > b.m || (s.scheduled === null && !s.problem)) continue;
    add((s.spans ? "over the stops without a time, " : "") + a.name + " to " + b.name + ": scheduled " +
        (s.scheduled === null ? "-" : clock(s.scheduled)) + ", minimum " +
        (s.minimum === null ? "none (" + s.problem + ")" : clock(s.minimum)) + (s.verdict ? ": " + s.verdict : ""));
  }
}

// The elevation in view per pixel column: [x, lowest, highest], or one point per cell when cells are
// wider than a pixel.
function elevationColumns() {
  const E = D.elevation, c0 = Math.max(0, Math.floor(v0 / CELL)), c1 = Math.min(E.length - 1, Math.ceil(v1 / CELL));
  const out = [];
  for (let i = c0; i <= c1; i++) {
    const x = X(i * CELL), last = out[out.length - 1];
    if (last && Math.floor(x) === Math.floor(last[0])) {
      last[1] = Math.min(last[1], E[i]); last[2] = Math.max(last[2], E[i]);
    } else {
      out.push([x, E[i], E[i]]);
    }
  }
  return out;
}

// ---- The plan, with the part shown below drawn over it.
const planSvg = document.getElementById("plan");
let planPx = null, planOverlay = null;
function drawPlanBase() {
  clearSvg(planSvg);
  planPx = null; planOverlay = null;
  const P = D.plan, w = 340, h = P.length ? 300 : 56, pad = 14;
  planSvg.setAttribute("width", w); planSvg.setAttribute("height", h);
  el("rect", {width: w, height: h, fill: "#fafaf6", stroke: "#bbb"}, planSvg);
  if (!P.length) {
    el("text", {x: 10, y: 24, "font-size": 11, fill: "#555"}, planSvg, "No plan file: the scenario was");
    el("text", {x: 10, y: 40, "font-size": 11, fill: "#555"}, planSvg, "compiled without the plan (--no-plan).");
    return;
  }
  let x0 = Infinity, x1 = -Infinity, y0 = Infinity, y1 = -Infinity;
  for (const p of P) {
    x0 = Math.min(x0, p[1]); x1 = Math.max(x1, p[1]); y0 = Math.min(y0, p[2]); y1 = Math.max(y1, p[2]);
  }
  const s = Math.min((w - 2 * pad) / Math.max(x1 - x0, 1), (h - 2 * pad) / Math.max(y1 - y0, 1));
  const cx = w / 2 - (x0 + x1) / 2 * s, cy = h / 2 + (y0 + y1) / 2 * s;
  planPx = p => [cx + p[1] * s, cy - p[2] * s];
  let route = "", run = "";
  for (const p of P) {
    const [x, y] = planPx(p), xy = x.toFixed(1) + "," + y.toFixed(1);
    if (p[0] <= D.routeLength) route += (route ? "L" : "M") + xy; else run += (run ? "L" : "M") + xy;
  }
  el("path", {d: route, fill: "none", stroke: "#333", "stroke-width": 1.6}, planSvg);
  el("path", {d: run, fill: "none", stroke: "#999", "stroke-dasharray": "4 3"}, planSvg);
  for (const st of D.stations) {
    const [x, y] = planPx(nearest(st.m));
    el("rect", {x: x - 3, y: y - 3, width: 6, height: 6, fill: st.beyond ? "#fff" : S.colours.platform,
                stroke: S.colours.platform}, planSvg);
  }
  const bar = nice(80 / s, 1);
  el("line", {x1: 10, x2: 10 + bar * s, y1: h - 10, y2: h - 10, stroke: "#000", "stroke-width": 3}, planSvg);
  el("text", {x: 10, y: h - 15, "font-size": 10}, planSvg, dist(bar));
}
planSvg.addEventListener("click", e => {
  if (!planPx) return;
  const r = planSvg.getBoundingClientRect(), mx = e.clientX - r.left, my = e.clientY - r.top;
  let best = null, bd = Infinity;
  for (const p of D.plan) {
    const [x, y] = planPx(p), dd = (x - mx) ** 2 + (y - my) ** 2;
    if (dd < bd) { bd = dd; best = p; }
  }
  if (best) centre(best[0], v1 - v0);
});
function nearest(m) { const P = D.plan; return P[Math.min(P.length - 1, lowerBound(P, m, p => p[0]))]; }
function drawPlanView() {
  if (!planPx) return;
  if (planOverlay) planOverlay.remove();
  planOverlay = el("g", {id: "plan-view"}, planSvg);
  const P = D.plan, i0 = lowerBound(P, v0, p => p[0]), i1 = lowerBound(P, v1 + 1e-9, p => p[0]);
  const stride = Math.max(1, Math.floor((i1 - i0) / 1000));
  let d = "";
  for (let i = i0; i < i1; i += stride) {
    const [x, y] = planPx(P[i]);
    d += (d ? "L" : "M") + x.toFixed(1) + "," + y.toFixed(1);
  }
  if (!d) { const [x, y] = planPx(nearest((v0 + v1) / 2)); d = "M" + x + "," + y + "l0.1,0"; }
  el("path", {d: d, fill: "none", stroke: "#ff6f00", "stroke-width": 5, "stroke-linecap": "round", opacity: 0.7},
     planOverlay);
}

// ---- What is at the pointer.
const info = document.getElementById("info");
function profileRows(cell, add) {
  const sp = runAt(D.speed, cell), ef = runAt(D.effective, cell);
  const gr = runAt(D.gradient, cell), ad = runAt(D.adhesion, cell);
  const ss = runAt(D.speedSource, cell), gs = runAt(D.gradientSource, cell), as = runAt(D.adhesionSource, cell);
  add("speed limit " + sp[2] + " km/h" + (ef[2] < sp[2] ? ", slowed down to " + ef[2] + " km/h" : ""),
      ss && ss[2] ? D.sources[1] + ":" + ss[2] : "");
  add("gradient " + (gr[2] > 0 ? "+" : "") + gr[2] + " per mille", gs && gs[2] ? D.sources[0] + ":" + gs[2] : "");
  add("adhesion " + ad[2] + " %", as && as[2] ? D.sources[1] + ":" + as[2] : "");
}
function showInfo(px, ev) {
  const m = v0 + (px - LEFT) / PW * (v1 - v0);
  if (!D || px < LEFT || px > LEFT + PW) { info.hidden = true; return; }
  const cell = Math.floor(m / CELL), rows = [];
  const add = (text, src) => {
    rows.push("<div>" + esc(text) + (src ? " <span class=src>" + esc(src) + "</span>" : "") + "</div>");
  };
  add(dist(Math.round(m)) + " along the line, km post " + postText(postAt(m)) + ", cell " + cell);
  if (m > D.routeLength) add("beyond the end of the route (" + dist(D.routeLength) + "): the run-out");
  if (cell < D.profileCells) profileRows(cell, add);
  else add("last cells of the model: no speed, gradient or adhesion");
  runRows(m, add);
  const mo = runAt(D.mountain, cell);
  if (mo && mo[2]) add("mountain stretch, type " + mo[2]);
  const cu = runAt(D.curve, cell);
  if (cu && cu[2]) {
    add("curve to the " + (cu[2] > 0 ? "right" : "left") + ", class " + Math.abs(cu[2]) +
        " (radius about " + S.curveRadii[Math.abs(cu[2])] + " m)");
  }
  for (const s of D.stations) {
    if (m < s.a - 25 || m > s.b + 25) continue;
    add("station " + s.name + " at " + dist(s.m) + ": platform " + s.a + " to " + s.b + " m, type " + s.type +
        (s.time ? ", due " + s.time : ""), srcText(s.src));
  }
  const tol = 6 * (v1 - v0) / PW;
  let shown = 0;
  for (const f of featuresBetween(m - tol, m + tol)) {
    if (f.k === "stop-point" && shown > 3) continue;
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
  cursor.setAttribute("x1", px); cursor.setAttribute("x2", px);
  cursor.setAttribute("y1", 10); cursor.setAttribute("y2", along.getAttribute("height"));
}

// ---- Zoom and pan: all panels in step.
function setView(a, b) {
  if (!D) return;
  const span = Math.min(Math.max(b - a, MIN_SPAN), D.trackLength);
  a = Math.max(0, Math.min(a, D.trackLength - span));
  v0 = a; v1 = a + span;
  noteViewInAddress();
  render();
}
// The address names the part shown, so that a link or a reload comes back to it. It is written once the
// view rests: each change costs milliseconds, and the browser refuses a page that changes it too often.
let addressTimer = 0;
function noteViewInAddress() {
  clearTimeout(addressTimer);
  addressTimer = setTimeout(() => history.replaceState(null, "", "#view=" + Math.round(v0) + "-" + Math.round(v1)),
                            250);
}
function zoom(factor, atM) {
  if (atM === undefined) atM = (v0 + v1) / 2;
  setView(atM - (atM - v0) * factor, atM + (v1 - atM) * factor);
}
function centre(m, span) { setView(m - span / 2, m + span / 2); }
function goTo(m) { selected = m; centre(m, Math.min(Math.max(v1 - v0, MIN_SPAN), 4000)); }
function pointerMetre(ev) {
  const r = along.getBoundingClientRect();
  return [ev.clientX - r.left, v0 + (ev.clientX - r.left - LEFT) / PW * (v1 - v0)];
}
along.addEventListener("wheel", ev => { ev.preventDefault(); zoom(Math.exp(ev.deltaY * 0.0015), pointerMetre(ev)[1]); },
                       {passive: false});
let drag = null;
along.addEventListener("pointerdown", ev => { drag = [ev.clientX, v0, v1]; along.setPointerCapture(ev.pointerId); });
along.addEventListener("pointerup", () => { drag = null; });
along.addEventListener("pointermove", ev => {
  const [px] = pointerMetre(ev);
  hoverX = px;
  if (drag) { const d = (ev.clientX - drag[0]) / PW * (drag[2] - drag[1]); setView(drag[1] - d, drag[2] - d); }
  else showInfo(px, ev);
});
along.addEventListener("pointerleave", () => {
  info.hidden = true; hoverX = null;
  const c = document.getElementById("cursor");
  if (c) c.remove();
});
document.addEventListener("keydown", ev => {
  if (ev.target.tagName === "INPUT" || !D) return;
  const span = v1 - v0, whole = () => setView(0, D.trackLength);
  const keys = {"+": () => zoom(0.5), "=": () => zoom(0.5), "-": () => zoom(2), "_": () => zoom(2), "0": whole,
                "Home": whole, "ArrowLeft": () => setView(v0 - span * 0.2, v1 - span * 0.2),
                "ArrowRight": () => setView(v0 + span * 0.2, v1 + span * 0.2)};
  if (keys[ev.key]) { keys[ev.key](); ev.preventDefault(); }
});
for (const b of document.querySelectorAll("#controls button")) {
  const actions = {in: () => zoom(0.5), out: () => zoom(2), all: () => setView(0, D.trackLength)};
  b.addEventListener("click", () => { if (D) actions[b.dataset.zoom](); });
}

// ---- The list to jump to.
const list = document.getElementById("list"), filter = document.getElementById("filter");
function applyFilter() {
  const q = filter.value.toLowerCase();
  for (const li of list.querySelectorAll("li")) li.hidden = q && !li.textContent.toLowerCase().includes(q);
}
filter.addEventListener("input", applyFilter);
function buildList() {
  list.textContent = "";
  const of = kinds => D.features.filter(f => kinds.includes(f.k));
  const groups = [["Stations", D.stations.map(s => [s.m, s.name + (s.beyond ? " (beyond the end)" : ""), "station"])],
    ["Signals", of(["signal"]).map(f => [f.m, f.label + " signal", "signal"])],
    ["Boards", of(["text-board", "speed-board"]).map(f => [f.m, f.label, f.k])],
    ["Slow-downs", of(["slow-down"]).filter(f => f.label.startsWith("slow-down"))
      .map(f => [f.m, f.label, "slow-down"])]];
  const all = document.createDocumentFragment();
  for (const [name, items] of groups) {
    if (!items.length) continue;
    const h = document.createElement("h2"), ul = document.createElement("ul");
    h.textContent = name + " (" + items.length + ")";
    all.appendChild(h); all.appendChild(ul);
    for (const [m, text, kind] of items) {
      const li = document.createElement("li"), sm = document.createElement("span");
      li.dataset.m = m; li.dataset.kind = kind; li.title = text; li.textContent = text;
      sm.className = "m"; sm.textContent = postText(postAt(m)); li.appendChild(sm);
      ul.appendChild(li);
    }
  }
  list.appendChild(all);
  applyFilter();
}
list.addEventListener("click", ev => { const li = ev.target.closest("li"); if (li) goTo(+li.dataset.m); });

// ---- The data: the page's own, or each update of the live server.
function setData(data) {
  D = data; S = D.design; CELL = D.cellLength; KP = D.kilometres.points;
  features = D.features.slice().sort((a, b) => a.m - b.m);
  const last = D.stations.length - 1;
  stationOrder = D.stations.map((s, i) => [s, i === 0 || i === last ? 0 : s.time ? 1 : 2])
    .sort((a, b) => a[1] - b[1]).map(p => p[0]);
  document.getElementById("summary").textContent = "route " + dist(D.routeLength) + ", modelled to " +
    dist(D.trackLength) + " (the run-out beyond the end hatched); " + D.kilometres.describe + ".";
  const newer = document.getElementById("newer");
  newer.hidden = !D.sourcesNewer;
  newer.textContent = D.sourcesNewer || "";
  document.title = D.title;
  document.querySelector("h1").textContent = D.title;
  layout();
  drawPlanBase();
  buildList();
}

// The compiler's verdict beside the drawing: each finding with its place; a click goes to its metre.
function showVerdict(verdict) {
  const box = document.getElementById("verdict"), ul = box.querySelector("ul");
  ul.textContent = "";
  // The findings in the verdict's order, as check lists them; those only counted are said by kind.
  const rows = (verdict.findings || []).slice();
  for (const [id, count] of Object.entries(verdict.omitted || {})) {
    rows.push({severity: "warning", id: id || null, message: count + " more like it, only counted (check lists the kinds)"});
  }
  for (const f of rows) {
    const li = document.createElement("li"), where = document.createElement("span");
    li.className = f.severity || "";
    where.className = "where";
    // The page names files as the author sees them in the folder.
    const name = f.file ? f.file.slice(Math.max(f.file.lastIndexOf("/"), f.file.lastIndexOf("\\")) + 1) : "";
    where.textContent = name ? name + (f.line ? ":" + f.line : "") + (f.line && f.column ? ":" + f.column : "") : "";
    li.appendChild(where);
    // "error: error 8 at ..." says it twice: a message that names its severity keeps only its own word.
    const said = f.severity && !f.message.startsWith(f.severity + " ");
    const text = (said ? f.severity + ": " : "") + f.message + (f.id ? " [" + f.id + "]" : "");
    li.appendChild(document.createTextNode(text));
    li.dataset.position = typeof f.position === "number" ? f.position : "";
    if (li.dataset.position !== "") li.addEventListener("click", () => goTo(f.position));
    ul.appendChild(li);
  }
  const total = (verdict.errorCount || 0) + (verdict.warningCount || 0);
  box.querySelector("h2").textContent = total ? "Compiler (" + total + ")" : "Compiler: no findings";
  box.hidden = false;
}
// While the sources do not compile the last drawing stays, marked out of date, with the error over it.
function showStale(stale, verdict) {
  const panels = document.getElementById("panels"), mark = document.getElementById("stale");
  panels.classList.toggle("stale", stale);
  mark.hidden = !stale;
  // The same first line as check: the cause first.
  const why = verdict.headline || "";
  mark.textContent = stale ? "Out of date: the sources do not compile.\n" + why : "";
}
// Where the first view ends: the whole track, or beside a short route as much of the run-out as the
// design's share allows (the whole-line button and the 0 key show all of it).
function homeEnd() {
  const share = D.design.maxRunOutShare, route = D.routeLength, track = D.trackLength;
  if (route <= 0 || track - route <= share * track) return track;
  return Math.min(track, route / (1 - share));
}
// One message of the live server: {data, verdict, stale}. The view, the selection and the filter stay.
function update(message) {
  if (message.data) {
    const keep = D !== null;
    setData(message.data);
    if (keep) setView(v0, v1); else setView(0, homeEnd());
  }
  showVerdict(message.verdict || {});
  showStale(!!message.stale, message.verdict || {});
  document.body.dataset.updates = (+document.body.dataset.updates || 0) + 1;
}
window.viewer = {update: update};

(function start() {
  const data = JSON.parse(document.getElementById("data").textContent);
  if (data) {
    setData(data);
    v1 = homeEnd();
    // A link may name the part shown (#view=FROM-TO, metres) and a point to show what is there (&at=METRE).
    const wanted = /#view=(\d+)-(\d+)/.exec(location.hash), point = /[#&]at=(\d+)/.exec(location.hash);
    if (wanted) setView(+wanted[1], +wanted[2]); else render();
    if (point) { hoverX = X(+point[1]); showInfo(hoverX, null); }
  }
  if (document.body.dataset.live === "1" && window.EventSource) {
    new EventSource("/events").onmessage = e => update(JSON.parse(e.data));
  }
  document.body.dataset.ready = "1";
})();
