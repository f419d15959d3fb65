// One look at a scenario's sources for the live page: checked and compiled in memory as `check` does,
// drawn when they compile, and said as the one message every open page receives:
//   {"data": <the page's drawing data, or null when the sources do not compile>,
//    "verdict": <the verdict's JSON as check --json gives it (tool/check/verdict.h), with "headline":
//                check's first line when the sources do not compile, else null>,
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
  std::string summary;  // one line for the terminal: the counts, and check's first line when it does not compile
};

LiveView viewSources(FileSystem& disk, const LiveSources& sources);

}  // namespace pack
