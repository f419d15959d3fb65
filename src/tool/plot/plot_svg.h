// One self-contained SVG of a compiled scenario: the line seen from above with a scale bar, and under it
// the panels along the line (stations and platforms, elevation with the mountain stretches, gradient,
// curvature, speed with the slow-downs, adhesion, signals and boards), sharing one axis labelled with
// the line's own kilometre posts. Ticks and labels are spaced for any length from a few kilometres to
// a thousand; labels that would overlap are staggered or left out.
#pragma once

#include <string>

#include "tool/plot/plot_data.h"

namespace pack {

std::string renderScenarioSvg(const PlotData& data);

// XML text with the five special characters escaped and control characters dropped.
std::string escapeXml(std::string_view text);

}  // namespace pack
