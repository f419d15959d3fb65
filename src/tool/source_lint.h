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
  std::size_t column = 0;  // from 1; 0 when the warning is about the whole line
};

// "FILE:LINE[:COLUMN]: warning: MESSAGE", the form compilers use, which editors can jump to.
std::string formatWarning(const LintWarning& warning);

std::vector<LintWarning> lintRouteSource(std::string_view bytes, const std::string& file, bool buildPlan);
std::vector<LintWarning> lintTrainRunSource(std::string_view bytes, const std::string& file);

// Both sources, each only when it exists. A source whose byte form is not the pack's (line ends other
// than CR LF, a byte-order mark, UTF-8 text) is reported first; when its line ends are wrong, that is the
// only warning for it, since every later one would be a consequence.
std::vector<LintWarning> lintSources(FileSystem& fs, const std::string& routePath, const std::string& trainPath,
                                     bool buildPlan);

}  // namespace pack
