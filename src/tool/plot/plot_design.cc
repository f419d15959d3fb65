#include "tool/plot/plot_design.h"

#include <cmath>

#include "compiler/cell_codec.h"

namespace pack {
namespace {

std::string curveTitle(const std::array<int, 7>& radii) {
  return "Curves: right above, left below; the taller and darker, the tighter (class 1, radius " +
         std::to_string(radii[1]) + " m, to 6, " + std::to_string(radii[6]) + " m)";
}

PlotDesign makeDesign() {
  PlotDesign s;
  for (const codec::CurveClass& c : codec::curveClasses()) s.curveRadii[static_cast<std::size_t>(c.number)] = c.radius;
  s.panels = {
      {"stations", "Stations and platforms", 74, "", 0},
      {"elevation", "Elevation from the gradients (m, relative to the start)", 140, "m", 5},
      {"gradient", "Gradient (per mille, climbing above the line)", 80, "\u2030", 4},
      {"curve", curveTitle(s.curveRadii), 50, "", 0},
      {"speed", "Speed (km/h): line limit grey, with the slow-downs red; the fastest run of the train teal", 110,
       "km/h", 5},
      {"timetable",
       "Graphic timetable (time downwards): the scheduled stops and path coloured by verdict, the fastest run teal",
       170, "time", 6},
      {"adhesion", "Adhesion (%)", 60, "%", 4},
      {"features", "Signals (red), boards (grey), slow-down points (orange), code points (purple)", 105, "", 0},
  };
  const Palette& c = s.colours;
  s.legend = {{c.mountain[1], "mountain stretch, type 1"}, {c.mountain[2], "type 2"},
              {c.mountain[3], "type 3 (joined)"},
              {"url(#runout)", "run-out beyond the route's end"}, {c.slowDownBand, "slow-down"},
              {c.platform, "platform"}, {c.climbing, "climbing"}, {c.falling, "falling"},
              {c.run, "fastest run (default train)"}, {c.verdict[0], "impossible"}, {c.verdict[1], "tight"},
              {c.verdict[2], "ok"}, {c.verdict[3], "padded"}, {c.verdict[4], "cannot run"}};
  s.laneColours = {c.signal, c.board, c.slowDown, c.codePoint};
  return s;
}

}  // namespace

const PanelDesign& PlotDesign::panel(std::string_view id) const {
  for (const PanelDesign& p : panels) {
    if (p.id == id) return p;
  }
  return panels.front();
}

int PlotDesign::laneOf(CellKind kind) const {
  const codec::KindInfo* info = codec::kindInfo(kind);
  return info == nullptr ? -1 : codec::laneIndex(info->lane);
}

const std::string& PlotDesign::verdictColour(std::string_view verdict) const {
  for (std::size_t i = 0; i < kVerdictNames.size(); ++i) {
    if (kVerdictNames[i] == verdict) return colours.verdict[i];
  }
  return colours.verdict.back();
}

const PlotDesign& plotDesign() {
  static const PlotDesign design = makeDesign();
  return design;
}

std::string_view featureKindName(CellKind kind) {
  const codec::KindInfo* info = codec::kindInfo(kind);
  return info == nullptr ? "" : info->plotName;
}

}  // namespace pack
