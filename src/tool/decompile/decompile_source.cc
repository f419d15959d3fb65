#include "tool/decompile/decompile_source.h"

#include <algorithm>
#include <cstddef>

namespace pack {
namespace {

constexpr const char* kLineEnd = "\r\n";

// The widest value in each column of a section, so that its numbers line up.
std::vector<std::size_t> columnWidths(const SourceSection& section) {
  std::vector<std::size_t> widths;
  for (const SourceEntry& entry : section.entries) {
    if (widths.size() < entry.values.size()) widths.resize(entry.values.size(), 0);
    for (std::size_t i = 0; i < entry.values.size(); ++i) widths[i] = std::max(widths[i], entry.values[i].size());
  }
  return widths;
}

std::size_t keyWidth(const SourceSection& section) {
  std::size_t width = 0;
  for (const SourceEntry& entry : section.entries) width = std::max(width, entry.key.size());
  return width;
}

// "key,  value,  value": numbers right-aligned in their column; a text (the last value of a line that
// has one) is left as it is, since its trailing blanks would be read as nothing anyway.
std::string entryLine(const SourceEntry& entry, std::size_t keyColumn, const std::vector<std::size_t>& widths) {
  std::string line = entry.key + ",";
  line.append(keyColumn - entry.key.size(), ' ');
  for (std::size_t i = 0; i < entry.values.size(); ++i) {
    const std::string& value = entry.values[i];
    bool last = i + 1 == entry.values.size();
    line += ' ';
    if (!last || value.empty() || value.find_first_not_of("-0123456789") == std::string::npos) {
      line.append(widths[i] - std::min(widths[i], value.size()), ' ');
    }
    line += value;
    if (!last) line += ',';
  }
  return line;
}

}  // namespace

SourceSection& SourceText::section(const std::string& header) {
  for (auto it = sections.rbegin(); it != sections.rend(); ++it) {
    if (it->header == header) return *it;
  }
  sections.push_back({header, {}});
  return sections.back();
}

std::string commentLine(const std::string& text) {
  std::string line = "-- ";
  for (char c : text) {
    if (c == ',') {
      line += ';';
    } else if (c == '\r' || c == '\n') {
      line += ' ';
    } else {
      line += c;
    }
  }
  return line;
}

std::string renderSource(const SourceText& source) {
  std::string out;
  for (const std::string& note : source.headNotes) out += commentLine(note) + kLineEnd;
  for (const SourceSection& section : source.sections) {
    out += section.header + kLineEnd;
    std::vector<std::size_t> widths = columnWidths(section);
    std::size_t keyColumn = keyWidth(section);
    for (const SourceEntry& entry : section.entries) {
      // One comment line at most before an entry: the readers skip only a short run of them.
      if (!entry.note.empty()) out += commentLine(entry.note) + kLineEnd;
      out += entryLine(entry, keyColumn, widths) + kLineEnd;
    }
  }
  out += source.footer + kLineEnd;
  return out;
}

}  // namespace pack
