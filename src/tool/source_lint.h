// Warnings for what the source formats ask of an author but the compiler does not check: entries out
// of order, overlapping curves, signal values outside their ranges, lines with the wrong number of
// values, entries in the wrong part, keys that match nothing. Warnings never change the compile.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace pack {

struct LintWarning {
  std::string file;
  std::size_t line = 0;
  std::string message;
};

std::vector<LintWarning> lintRouteSource(std::string_view bytes, const std::string& file, bool buildPlan);
std::vector<LintWarning> lintTrainRunSource(std::string_view bytes, const std::string& file);

// Both sources, each only when it exists.
std::vector<LintWarning> lintSources(FileSystem& fs, const std::string& routePath, const std::string& trainPath,
                                     bool buildPlan);

}  // namespace pack
