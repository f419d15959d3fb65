#include "tool/check/run_source.h"

namespace pack {

std::optional<std::string> missingTrainRunSource(FileSystem& fs, const std::string& routePath,
                                                 const std::string& trainPath) {
  if (!fs.exists(routePath) || fs.exists(trainPath)) return std::nullopt;
  return "the train run source " + trainPath +
         " does not exist; check the train number (without it the route is compiled "
         "alone, into a scenario without stations and with speed 0: --allow-missing-run does that, as the "
         "pack would)";
}

}  // namespace pack
