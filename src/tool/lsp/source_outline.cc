#include "tool/lsp/source_outline.h"

#include "formats/cp1252.h"
#include "formats/route_format.h"
#include "formats/train_run_format.h"

namespace pack::lsp {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t skipBlanks(std::string_view line, std::size_t at) {
  while (at < line.size() && isBlank(line[at])) ++at;
  return at;
}

// A text field: from its first non-blank to the comma or the line end; the comma is consumed.
FieldSpan textField(std::string_view line, std::size_t& at) {
  FieldSpan f;
  f.slotBegin = at;
  f.begin = skipBlanks(line, at);
  std::size_t comma = line.find(',', f.begin);
  f.end = comma == std::string_view::npos ? line.size() : comma;
  f.text = line.substr(f.begin, f.end - f.begin);
  at = comma == std::string_view::npos ? line.size() : comma + 1;
  return f;
}

// A number: up to a blank, a comma or the line end; the blanks after it and one comma are its separator.
FieldSpan numberField(std::string_view line, std::size_t& at) {
  FieldSpan f;
  f.slotBegin = at;
  f.begin = skipBlanks(line, at);
  f.end = f.begin;
  while (f.end < line.size() && line[f.end] != ',' && !isBlank(line[f.end])) ++f.end;
  f.text = line.substr(f.begin, f.end - f.begin);
  at = skipBlanks(line, f.end);
  if (at < line.size() && line[at] == ',') ++at;
  return f;
}

const EntryDefinition* firstMatch(std::span<const EntryDefinition* const> entries, std::string_view key) {
  for (const EntryDefinition* e : entries) {
    if (e->matches(key)) return e;
  }
  return nullptr;
}

// The part after a line whose key field is `key`.
SourcePart partAfter(SourceRole role, SourcePart part, std::string_view key) {
  if (part == SourcePart::kBeforeStart && containsIgnoreCase(key, kRouteGeneralHeader)) {
    return role == SourceRole::kRoute ? SourcePart::kGeneral : SourcePart::kFeatures;
  }
  if (part == SourcePart::kGeneral && endsGeneralPart(key)) return SourcePart::kFeatures;
  return part;
}

SourceLine readLine(std::string_view text, std::size_t index, SourceRole role, SourcePart part) {
  SourceLine line;
  line.line = index;
  line.part = part;
  std::size_t at = 0;
  line.key = textField(text, at);
  line.header = contains(line.key.text, "[") && contains(line.key.text, "]");
  line.comment = isCommentField(line.key.text);
  if (line.comment || part == SourcePart::kBeforeStart) return line;
  line.entry = firstMatch(entriesOf(role, part), line.key.text);
  if (line.entry == nullptr) return line;
  for (const ValueDefinition& v : line.entry->values) {
    if (skipBlanks(text, at) >= text.size()) break;
    line.values.push_back(v.width == ValueWidth::kText ? textField(text, at) : numberField(text, at));
  }
  // A line that ends after a comma waits for its next value there.
  bool waiting = at > 0 && skipBlanks(text, at) == text.size() && text[at - 1] == ',' &&
                 line.values.size() < line.entry->valueCount();
  if (waiting || line.values.empty()) line.nextSlot = at;
  return line;
}

}  // namespace

std::span<const EntryDefinition* const> entriesOf(SourceRole role, SourcePart part) {
  if (role == SourceRole::kTrainRun) return kTrainRunEntries;
  if (part == SourcePart::kGeneral) return kRouteGeneralEntries;
  return kRouteFeatureEntries;
}

std::span<const SectionDefinition> sectionsOf(SourceRole role) {
  if (role == SourceRole::kRoute) return kRouteSections;
  return kTrainRunSections;
}

std::vector<SourceLine> outlineSource(std::string_view bytes, SourceRole role) {
  std::vector<SourceLine> lines;
  SourcePart part = SourcePart::kBeforeStart;
  std::size_t start = 0;
  for (std::size_t index = 0; start <= bytes.size(); ++index) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    SourceLine line = readLine(bytes.substr(start, end - start), index, role, part);
    part = partAfter(role, part, line.key.text);
    lines.push_back(std::move(line));
    if (end == bytes.size()) break;
    start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

std::optional<std::int64_t> wholeNumber(std::string_view text) {
  if (text.empty() || text.size() > 11) return std::nullopt;  // 11 characters hold every 32-bit number
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  std::int64_t n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    n = n * 10 + (text[i] - '0');
  }
  return text[0] == '-' ? -n : n;
}

std::size_t valueAt(const SourceLine& line, std::size_t column) {
  if (column >= line.nextSlot) return line.values.size();
  std::size_t found = line.values.size();
  for (std::size_t i = 0; i < line.values.size(); ++i) {
    if (column >= line.values[i].slotBegin) found = i;
  }
  return found;
}

}  // namespace pack::lsp
