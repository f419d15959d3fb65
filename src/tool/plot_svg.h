// One self-contained SVG of a compiled scenario: the line seen from above, and under it the profile
// along the line (elevation from the gradients, speed limit, adhesion, mountains, stations, signals,
// boards and slow-downs), with axes in kilometres.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "compiler/model.h"

namespace pack {

struct PlotInput {
  std::vector<PlanPoint> plan;  // may be empty when the scenario has no plan file
  std::vector<TrackCell> cells;
  std::array<ScenarioRecord, kTableRows> table;
  std::string title;  // UTF-8
};

std::string renderScenarioSvg(const PlotInput& input);

}  // namespace pack
