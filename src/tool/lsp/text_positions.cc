#include "tool/lsp/text_positions.h"

#include <algorithm>
#include <optional>

#include "formats/cp1252.h"

namespace pack::lsp {
namespace {

// How many units one character takes in the encoding.
std::size_t unitsOf(char32_t cp, std::size_t utf8Bytes, PositionEncoding encoding) {
  switch (encoding) {
    case PositionEncoding::kUtf8: return utf8Bytes;
    case PositionEncoding::kUtf32: return 1;
    default: return cp > 0xFFFF ? 2 : 1;
  }
}

// Walks the characters of one line, giving each its byte length and code point.
template <typename Visit>
void eachCharacter(std::string_view line, Visit visit) {
  for (std::size_t pos = 0; pos < line.size();) {
    std::size_t start = pos;
    std::optional<char32_t> cp = decodeUtf8(line, pos);
    if (!visit(cp.value_or(U'\uFFFD'), pos - start)) return;
  }
}

}  // namespace

std::string_view encodingName(PositionEncoding encoding) {
  switch (encoding) {
    case PositionEncoding::kUtf8: return "utf-8";
    case PositionEncoding::kUtf32: return "utf-32";
    default: return "utf-16";
  }
}

LineIndex::LineIndex(std::string_view utf8) : text_(utf8) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '\r' && utf8[i] != '\n') continue;
    starts_.push_back(start);
    lengths_.push_back(i - start);
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    start = i + 1;
  }
  starts_.push_back(start);  // the last line, empty when the text ends with a line end
  lengths_.push_back(utf8.size() - start);
}

std::string_view LineIndex::line(std::size_t index) const {
  if (index >= starts_.size()) return {};
  return text_.substr(starts_[index], lengths_[index]);
}

std::size_t LineIndex::toUnits(std::size_t lineIndex, std::size_t characters, PositionEncoding encoding) const {
  std::size_t units = 0;
  eachCharacter(line(lineIndex), [&](char32_t cp, std::size_t bytes) {
    if (characters == 0) return false;
    --characters;
    units += unitsOf(cp, bytes, encoding);
    return true;
  });
  return units;
}

std::size_t LineIndex::toCharacters(std::size_t lineIndex, std::size_t units, PositionEncoding encoding) const {
  std::size_t characters = 0;
  eachCharacter(line(lineIndex), [&](char32_t cp, std::size_t bytes) {
    std::size_t width = unitsOf(cp, bytes, encoding);
    if (units < width) return false;  // a position inside a character counts as before it
    units -= width;
    ++characters;
    return true;
  });
  return characters;
}

CompilerText LineIndex::compilerText() const {
  CompilerText out;
  out.bytes.reserve(text_.size() + lineCount());
  for (std::size_t l = 0; l < lineCount(); ++l) {
    std::size_t column = 0;
    eachCharacter(line(l), [&](char32_t cp, std::size_t) {
      std::optional<std::uint8_t> byte = cp1252FromCodePoint(cp);
      if (!byte) out.unencodable.push_back({l, column, cp});
      out.bytes += byte ? static_cast<char>(*byte) : '?';
      ++column;
      return true;
    });
    if (l + 1 < lineCount()) out.bytes += "\r\n";  // each line end of the editor's, whatever its kind
  }
  return out;
}

Position editorPosition(const LineIndex& lines, std::size_t line, std::size_t column, PositionEncoding encoding) {
  std::size_t index = line > 0 ? line - 1 : 0;
  std::size_t characters = column > 0 ? column - 1 : 0;
  return {index, lines.toUnits(index, characters, encoding)};
}

}  // namespace pack::lsp
