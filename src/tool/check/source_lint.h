// Warnings for what the source formats ask of an author but the compiler accepts silently: entries out
// of order or overlapping, values empty or outside the ranges their entries give (src/formats), positions
// beyond the route's end, lines with the wrong number of values, a comma cutting a text short, entries in
// the wrong part, keys that match nothing or are near misses, and fields the compiler cannot read at all.
// Warnings never change the compile.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "tool/describe/findings.h"

namespace pack {

// A change of the finding's line that mends it: `text` in place of the bytes from `column` up to
// `endColumn` (byte columns from 1, the end past the last byte).
struct LintFix {
  std::string title;  // what an editor offers, e.g. "Write \"curvad5\""
  std::string text;
  std::size_t column = 0;
  std::size_t endColumn = 0;
};

struct LintWarning {
  std::string file;
  std::size_t line = 0;
  std::string message;
  std::size_t column = 0;  // from 1; 0 when the warning is about the whole line
  // For a field the compiler cannot read (error 25), or a kilometre post off the grid (error 2): the
  // account the compiler's error is given.
  std::string readingStop = {};
  FindingId id{};                // its row in the finding table (tool/describe/findings.h)
  std::optional<LintFix> fix = {};
  std::size_t endColumn = 0;  // past the last byte it covers; 0: to the end of the field at `column`
};

// The warnings of a lint, at most `capacity` of them kept in full and the rest counted by finding, so that
// a source of a million faulty lines costs what a few hundred findings cost. When the list is full, a
// warning of a more serious kind (the finding table's severity) takes the place of the latest of the
// least serious kind kept: the errors are the last to be dropped.
class WarningList {
 public:
  explicit WarningList(std::size_t capacity) : capacity_(capacity) {}

  // The warning as kept, for the finder to complete; a scratch copy when it was counted only (valid
  // until the next add).
  LintWarning& add(LintWarning warning);
  // Appends every warning of `other`, kept and counted.
  void addAll(WarningList&& other);

  // The kept warnings in the order they were added.
  std::vector<LintWarning> take();
  const std::map<FindingId, std::size_t>& omitted() const { return omitted_; }
  std::size_t total() const { return total_; }

 private:
  struct Kept {
    std::size_t order;
    LintWarning warning;
  };
  std::size_t capacity_;
  std::size_t total_ = 0;
  std::size_t kept_ = 0;
  std::array<std::vector<Kept>, 3> bySeverity_;  // in FindingSeverity order
  std::map<FindingId, std::size_t> omitted_;
  LintWarning scratch_;
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

// Both sources, each only when it exists, into `into`. A source whose byte form is not the pack's (line
// ends other than CR LF, a byte-order mark, UTF-8 text) is reported first; when its line ends are wrong,
// that is the only warning for it, since every later one would be a consequence. The form is that of the
// bytes `saved` holds at the source's path when it holds them (the file an editor's text is saved to),
// else that of the text read.
void lintSources(FileSystem& fs, const std::string& routePath, const std::string& trainPath, bool buildPlan,
                 WarningList& into, FileSystem* saved = nullptr);

}  // namespace pack
