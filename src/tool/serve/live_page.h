// The page `serve` gives: the viewer's live page with the latest drawing. Its script follows the server's
// event stream: each message redraws in place (the view kept), shows the verdict in a panel, and marks the
// drawing out of date while the sources do not compile.
#pragma once

#include <string>

#include "tool/plot/plot_data.h"

namespace pack {

// `drawing` is null until the sources have compiled once: the page then waits for the first drawing.
std::string livePage(const PlotData* drawing, const std::string& title);

}  // namespace pack
