// One look at a scenario's sources for the live page: checked and compiled in memory as `check` does,
// drawn when they compile, and said as the one message every open page receives:
//   {"data": <the page's drawing data, or null when the sources do not compile>,
//    "verdict": {"findings": [{"file", "line", "column", "severity", "id", "message", "position"}],
//                "error": <the recorded error's text, or null>, "fatal": <the stop's text, or null>},
//    "stale": <true when the page's drawing is not of these sources>}
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "tool/plot/plot_data.h"

namespace pack {

struct LiveSources {
  std::string dir;
  std::string scenario;  // code page 1252, checked
  std::string train;
  std::string title;     // UTF-8, for the page
  bool buildPlan = true;
};

struct LiveView {
  std::shared_ptr<const PlotData> drawing;  // null when the sources do not compile
  std::string message;
  std::string summary;  // one line for the terminal
};

LiveView viewSources(FileSystem& disk, const LiveSources& sources);

}  // namespace pack
