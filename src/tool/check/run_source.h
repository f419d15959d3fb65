// A train run source that is missing while its route source exists: most often a mistyped train number.
// The pack then compiles the route alone into a scenario without stations and with speed 0, and the
// only sign is a run-time failure reported at the route source. The tool names the missing file instead.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace pack {

// The message naming the missing train run source, or nothing when it exists (or when the route source
// is missing too, which the compile reports itself).
std::optional<std::string> missingTrainRunSource(FileSystem& fs, const std::string& routePath,
                                                 const std::string& trainPath);

}  // namespace pack
