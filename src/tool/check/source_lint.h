// Warnings for what the source formats ask of an author but the compiler accepts silently: entries out
// of order or overlapping, values empty or outside the ranges their entries give (src/formats), positions
// beyond the route's end, lines with the wrong number of values, a comma cutting a text short, entries in
// the wrong part, keys that match nothing or are near misses, and fields the compiler cannot read at all.
// Warnings never change the compile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "tool/describe/findings.h"

namespace pack {

struct LintWarning {
  std::string file;
  std::size_t line = 0;
  std::string message;
  std::size_t column = 0;  // from 1; 0 when the warning is about the whole line
  std::string readingStop = {};  // for a field the compiler cannot read (error 25): what is wrong with it
  FindingId id{};                // its row in the finding table (tool/describe/findings.h)
};

// "FILE:LINE[:COLUMN]: warning: MESSAGE", the form compilers use, which editors can jump to.
std::string formatWarning(const LintWarning& warning);

// What the train run's checks need to know of the route.
struct RouteFacts {
  std::optional<std::int64_t> length;  // the last "lunghezza percorso" read
};

// Each source is walked as the compiler walks it (compiler/source_walk.h), in one pass, so a value that continues an
// entry on the next line is a value, not a key, as for the compiler. A field the compiler could not read
// (where it stops with error 25) is reported, and the reading goes on at the next line, so that one pass
// finds the problems of every line.
std::vector<LintWarning> lintRouteSource(std::string_view bytes, const std::string& file, bool buildPlan,
                                         RouteFacts* facts = nullptr);
std::vector<LintWarning> lintTrainRunSource(std::string_view bytes, const std::string& file,
                                            const RouteFacts& route = {});

// Both sources, each only when it exists. A source whose byte form is not the pack's (line ends other
// than CR LF, a byte-order mark, UTF-8 text) is reported first; when its line ends are wrong, that is the
// only warning for it, since every later one would be a consequence.
std::vector<LintWarning> lintSources(FileSystem& fs, const std::string& routePath, const std::string& trainPath,
                                     bool buildPlan);

}  // namespace pack
