// The interactive viewer: one self-contained HTML page (inline CSS, SVG drawn by a small inline script,
// the scenario's data as JSON) that opens from disk without any network access.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "tool/plot/plot_data.h"

namespace pack {

std::string renderScenarioHtml(const PlotData& data);

// The drawing data the page embeds, as JSON (the live page receives the same object for each update).
nlohmann::json plotDataJson(const PlotData& data);

}  // namespace pack
