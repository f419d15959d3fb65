// The byte form of a scenario source: code page 1252, CR LF after every line, no byte-order mark. The
// compiler reads the bytes as they are, so a source saved by an editor in another form fails in ways
// that do not point at the cause (LF-only line ends make the whole file one line). These checks name the
// cause at its first occurrence; `normalize` turns such a source back into the pack's form.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tool/describe/findings.h"

namespace pack {

struct SourceFormProblem {
  std::size_t line = 0;    // from 1, counting every kind of line end an editor shows
  std::size_t column = 0;  // from 1, in characters (UTF-8 sequences count as one)
  std::string message;     // what is wrong and how to fix it
  FindingId id{};          // its row in the finding table
};

struct SourceFormCheck {
  // One problem of each kind found (byte-order mark, line ends, UTF-8 text), at its first occurrence,
  // in the order of their positions.
  std::vector<SourceFormProblem> problems;
  // The line ends are not all CR LF: the compiler's lines are not the author's lines.
  bool lineEndsBroken = false;
};

SourceFormCheck checkSourceForm(std::string_view bytes);

struct NormalizedSource {
  std::string bytes;                          // the source in the pack's form (empty when refused)
  std::vector<std::string> changes;           // what was changed, for the report; empty: already fine
  std::optional<SourceFormProblem> refusal;   // a character code page 1252 cannot hold
};

// The source with CR LF after every line (the last included), without a byte-order mark, and in code
// page 1252: a source that is valid UTF-8 with multi-byte characters (or that begins with the UTF-8
// byte-order mark) is converted; any other source is taken as code page 1252 already and its bytes are
// kept.
NormalizedSource normalizeSource(std::string_view bytes);

}  // namespace pack
