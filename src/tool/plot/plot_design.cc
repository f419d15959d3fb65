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
      {"speed", "Speed (km/h): line limit grey, with the slow-downs red", 110, "km/h", 5},
      {"adhesion", "Adhesion (%)", 60, "%", 4},
      {"features", "Signals (red), boards (grey), slow-down points (orange), code points (purple)", 105, "", 0},
  };
  const Palette& c = s.colours;
  s.legend = {{c.mountain[1], "mountain stretch, type 1"}, {c.mountain[2], "type 2"},
              {c.mountain[3], "type 3 (joined)"},
              {"url(#runout)", "run-out beyond the route's end"}, {c.slowDownBand, "slow-down"},
              {c.platform, "platform"}, {c.climbing, "climbing"}, {c.falling, "falling"}};
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

const PlotDesign& plotDesign() {
  static const PlotDesign design = makeDesign();
  return design;
}

std::string_view featureKindName(CellKind kind) {
  const codec::KindInfo* info = codec::kindInfo(kind);
  return info == nullptr ? "" : info->plotName;
}

}  // namespace pack
