// What a plot reads: the compiled files of a scenario and, when they lie beside them, its sources. Read
// from a folder on disk by `plot`, and from memory by `serve` after an in-memory compile.
#pragma once

#include <stdexcept>
#include <string>

#include "formats/file_names.h"
#include "platform/platform.h"
#include "tool/plot/plot_data.h"

namespace pack {

// A plan file that cannot be drawn with the cell file beside it: left by another compile, or holding
// points that are not numbers.
class StalePlan : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads DIR's compiled files (the plan unless `usePlan` is false or there is none) and sources, leaving
// the title to the caller. `current` names the file being read, for the caller's messages. Throws
// IoError, DecodeError and StalePlan.
PlotInput readPlotInput(FileSystem& fs, const std::string& dir, ScenarioNames names, bool usePlan,
                        std::string& current);

}  // namespace pack
