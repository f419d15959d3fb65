// The interactive viewer: one self-contained HTML page (inline CSS, SVG drawn by a small inline script,
// the scenario's data as JSON) that opens from disk without any network access.
#pragma once

#include <string>

#include "tool/plot/plot_data.h"

namespace pack {

std::string renderScenarioHtml(const PlotData& data);

}  // namespace pack
