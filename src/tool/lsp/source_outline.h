// The lines of a source as an editor needs them: which part of the source a line lies in, its key field
// and the entry that key is read as, and where each of the entry's values stands on the line. It follows
// the readers' rules line by line (a number ends at a blank or a comma, a text at the comma or the line
// end, a field holding "-" is a comment) without the compile's state: a value that continues on the next
// line is not followed there. Hover, completion, signature help, symbols and hints read it; diagnostics
// come from the compile and the lint themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "formats/entry.h"

namespace pack::lsp {

enum class SourceRole { kRoute, kTrainRun };

// Where a line lies: before the first "[generale]", in the route's general part, or in the part where
// feature entries are read (the whole train run after its "[generale]").
enum class SourcePart { kBeforeStart, kGeneral, kFeatures };

// A field of a line: byte columns from 0 on the line, without the blanks before it.
struct FieldSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t slotBegin = 0;  // where its reading began: after the separator of the field before
  std::string_view text;
};

struct SourceLine {
  std::size_t line = 0;  // from 0
  SourcePart part = SourcePart::kBeforeStart;
  FieldSpan key;
  bool header = false;    // a "[section]" line
  bool comment = false;   // a key field holding "-"
  const EntryDefinition* entry = nullptr;  // the first entry the key is read as; null for none
  std::vector<FieldSpan> values;           // the entry's values found on the line, in order
  std::size_t nextSlot = static_cast<std::size_t>(-1);  // where a value not yet written would begin
};

// `bytes`: the source in code page 1252 (line ends CR LF, LF or CR). One SourceLine per line.
std::vector<SourceLine> outlineSource(std::string_view bytes, SourceRole role);

// The entries a key field is tested against in a part of a source, in the readers' order.
std::span<const EntryDefinition* const> entriesOf(SourceRole role, SourcePart part);

// The sections as the writers lay them out.
std::span<const SectionDefinition> sectionsOf(SourceRole role);

// A field's whole number as the compiler would read it when it is one (an optional "-" and digits), else
// nothing.
std::optional<std::int64_t> wholeNumber(std::string_view text);

// The index of the value whose slot holds the byte column: values.size() for the slot of a value not yet
// written; values.size() too when the column lies in the key.
std::size_t valueAt(const SourceLine& line, std::size_t column);

}  // namespace pack::lsp
