#include "tool/check/source_form.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "formats/cp1252.h"

namespace pack {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kFix = "scenario-tool normalize rewrites the file in that form";

// The length of the well-formed UTF-8 sequence at `pos` (shortest form, no surrogates), or 0.
std::size_t utf8Length(std::string_view s, std::size_t pos, char32_t* codePoint = nullptr) {
  auto lead = static_cast<std::uint8_t>(s[pos]);
  std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0 || pos + length > s.size()) return 0;
  char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    auto next = static_cast<std::uint8_t>(s[pos + i]);
    if ((next & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (next & 0x3F);
  }
  static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kShortest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  if (codePoint != nullptr) *codePoint = cp;
  return length;
}

// True when the bytes are well-formed UTF-8 and hold at least one multi-byte character: such a file was
// saved as UTF-8, not in code page 1252 (where that is very unlikely to happen by chance).
bool isMultiByteUtf8(std::string_view s) {
  bool multiByte = false;
  for (std::size_t pos = 0; pos < s.size();) {
    std::size_t length = utf8Length(s, pos);
    if (length == 0) return false;
    multiByte |= length > 1;
    pos += length;
  }
  return multiByte;
}

std::string hexBytes(std::string_view bytes) {
  std::string text;
  for (char c : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(static_cast<std::uint8_t>(c)));
    if (!text.empty()) text += ' ';
    text += hex;
  }
  return text;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string once inlined.
std::string inQuotes(std::string_view text) {
  std::string q = "\"";
  q.append(text);
  q += '"';
  return q;
}

std::string codePointName(char32_t cp) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
  return name;
}

enum class LineEnd { kNone, kCrLf, kLf, kCr };

// Walks a source character by character, keeping the line and column an editor would show.
class Walker {
 public:
  Walker(std::string_view bytes, bool utf8) : s_(bytes), utf8_(utf8) {}

  bool done() const { return pos_ >= s_.size(); }
  std::size_t line() const { return line_; }
  std::size_t column() const { return column_; }

  LineEnd lineEnd() const {
    if (s_[pos_] == '\n') return LineEnd::kLf;
    if (s_[pos_] != '\r') return LineEnd::kNone;
    return pos_ + 1 < s_.size() && s_[pos_ + 1] == '\n' ? LineEnd::kCrLf : LineEnd::kCr;
  }

  // The current character: one byte, or one UTF-8 sequence in a UTF-8 source (a malformed byte alone).
  std::string_view character(char32_t* codePoint = nullptr) const {
    std::size_t length = utf8_ ? utf8Length(s_, pos_, codePoint) : 1;
    return s_.substr(pos_, length == 0 ? 1 : length);
  }

  void next() {
    LineEnd end = lineEnd();
    if (end != LineEnd::kNone) {
      pos_ += end == LineEnd::kCrLf ? 2 : 1;
      ++line_;
      column_ = 1;
    } else {
      pos_ += character().size();
      ++column_;
    }
  }

 private:
  std::string_view s_;
  bool utf8_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  std::size_t column_ = 1;
};

std::string lineEndMessage(LineEnd first, std::size_t line, bool hasCrLf) {
  if (first == LineEnd::kCr) {
    return "line " + std::to_string(line) +
           " ends with a carriage return (CR) alone; the compiler needs CR LF after every line and reads this "
           "line and the next as one; " + kFix;
  }
  if (!hasCrLf) {
    return "the lines end with LF alone, not CR LF (the first is line " + std::to_string(line) +
           "); the compiler reads the whole file as one line; save it with Windows (CR LF) line ends, or " + kFix;
  }
  return "mixed line ends: line " + std::to_string(line) +
         " ends with LF alone while other lines end with CR LF; the compiler reads it and the next line as one; " +
         kFix;
}

// The common case, told in one quick pass: no byte above 0x7F (so no UTF-8) and CR LF after every line.
bool plainAsciiWithCrLf(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80 || c == '\n') return false;
    if (c == '\r') {
      if (i + 1 == bytes.size() || bytes[i + 1] != '\n') return false;
      ++i;
    }
  }
  return true;
}

}  // namespace

SourceFormCheck checkSourceForm(std::string_view bytes) {
  SourceFormCheck check;
  bool bom = bytes.starts_with(kByteOrderMark);
  if (bom) {
    check.problems.push_back(
        {1, 1,
         "the file begins with a UTF-8 byte-order mark (bytes EF BB BF), which the compiler reads as part of the "
         "first field; save the file without it, in code page 1252, or " + std::string(kFix),
         FindingId::kByteOrderMark});
    bytes.remove_prefix(kByteOrderMark.size());
  }
  if (plainAsciiWithCrLf(bytes)) return check;
  bool utf8 = isMultiByteUtf8(bytes);
  bool hasCrLf = bytes.find("\r\n") != std::string_view::npos;
  std::optional<SourceFormProblem> lineEnd;
  std::optional<SourceFormProblem> text;
  for (Walker w(bytes, utf8); !w.done() && !(lineEnd && (text || !utf8)); w.next()) {
    LineEnd end = w.lineEnd();
    if (!lineEnd && (end == LineEnd::kLf || end == LineEnd::kCr)) {
      lineEnd = SourceFormProblem{w.line(), w.column(), lineEndMessage(end, w.line(), hasCrLf), FindingId::kLineEnds};
    }
    char32_t cp = 0;
    std::string_view c = end == LineEnd::kNone ? w.character(&cp) : std::string_view{};
    if (!text && c.size() > 1) {
      text = SourceFormProblem{
          w.line(), w.column(),
          inQuotes(c) + " (" + codePointName(cp) + ") is written in UTF-8 (bytes " + hexBytes(c) +
              "), and the compiler reads the file in code page 1252, where these bytes are " + inQuotes(cp1252ToUtf8(c)) +
              "; save the file in code page 1252 (Windows-1252), or " + kFix,
          FindingId::kUtf8Text};
    }
  }
  check.lineEndsBroken = lineEnd.has_value();
  for (std::optional<SourceFormProblem>* p : {&lineEnd, &text}) {
    if (*p) check.problems.push_back(std::move(**p));
  }
  std::stable_sort(check.problems.begin(), check.problems.end(), [](const auto& a, const auto& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  return check;
}

NormalizedSource normalizeSource(std::string_view bytes) {
  NormalizedSource result;
  bool bom = bytes.starts_with(kByteOrderMark);
  if (bom) {
    bytes.remove_prefix(kByteOrderMark.size());
    result.changes.push_back("removed the byte-order mark");
  }
  bool utf8 = bom || isMultiByteUtf8(bytes);
  std::size_t lineEnds = 0;
  std::size_t converted = 0;
  bool lineOpen = false;  // characters written since the last line end
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16);
  for (Walker w(bytes, utf8); !w.done(); w.next()) {
    LineEnd end = w.lineEnd();
    if (end != LineEnd::kNone) {
      lineEnds += end != LineEnd::kCrLf;
      out += "\r\n";
      lineOpen = false;
      continue;
    }
    lineOpen = true;
    char32_t cp = 0;
    std::string_view c = w.character(&cp);
    if (!utf8 || c.size() == 1) {
      if (utf8 && static_cast<std::uint8_t>(c[0]) >= 0x80) {
        result.refusal = SourceFormProblem{w.line(), w.column(),
                                           "byte " + hexBytes(c) + " is not valid UTF-8, although the file begins "
                                           "with a UTF-8 byte-order mark; fix or remove it"};
        return result;
      }
      out += c;
      continue;
    }
    std::optional<std::string> single = utf8ToCp1252Exact(c);
    if (!single) {
      result.refusal = SourceFormProblem{
          w.line(), w.column(),
          inQuotes(c) + " (" + codePointName(cp) + ") has no place in code page 1252, the sources' character set; replace it"};
      return result;
    }
    out += *single;
    ++converted;
  }
  if (lineOpen) {
    out += "\r\n";
    result.changes.push_back("added the line end after the last line");
  }
  if (lineEnds > 0) result.changes.push_back("changed " + std::to_string(lineEnds) + " line ends to CR LF");
  if (converted > 0) {
    result.changes.push_back("converted " + std::to_string(converted) +
                             " characters from UTF-8 to code page 1252");
  }
  result.bytes = std::move(out);
  return result;
}

}  // namespace pack
