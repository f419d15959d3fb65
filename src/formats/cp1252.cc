#include "formats/cp1252.h"

#include <algorithm>
#include <array>

namespace pack {
namespace {

// Unicode code points of the bytes 0x80 to 0x9F; the undefined ones keep their own number.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t toCodePoint(std::uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

std::optional<std::uint8_t> fromCodePoint(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<std::uint8_t>(cp);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == cp) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace

std::optional<char32_t> decodeUtf8(std::string_view s, std::size_t& pos) {
  auto lead = static_cast<std::uint8_t>(s[pos++]);
  if (lead < 0x80) return lead;
  int extra;
  char32_t cp;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    return std::nullopt;
  }
  for (int i = 0; i < extra; ++i) {
    if (pos >= s.size()) return std::nullopt;
    auto next = static_cast<std::uint8_t>(s[pos]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (next & 0x3F);
    ++pos;
  }
  static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  return cp;
}

std::optional<std::uint8_t> cp1252FromCodePoint(char32_t cp) { return fromCodePoint(cp); }

namespace {

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string utf8ToCp1252(std::string_view utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    std::optional<char32_t> cp = decodeUtf8(utf8, pos);
    std::optional<std::uint8_t> byte = cp ? fromCodePoint(*cp) : std::nullopt;
    out += byte ? static_cast<char>(*byte) : replacement;
  }
  return out;
}

std::optional<std::string> utf8ToCp1252Exact(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    std::optional<char32_t> cp = decodeUtf8(utf8, pos);
    std::optional<std::uint8_t> byte = cp ? fromCodePoint(*cp) : std::nullopt;
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
  }
  return out;
}

std::string cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) appendUtf8(out, toCodePoint(static_cast<std::uint8_t>(c)));
  return out;
}

namespace {

constexpr std::uint8_t lowerOf(std::uint8_t byte) {
  if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
    return static_cast<std::uint8_t>(byte + 0x20);
  }
  switch (byte) {
    case 0x8A: return 0x9A;  // Š
    case 0x8C: return 0x9C;  // Œ
    case 0x8E: return 0x9E;  // Ž
    case 0x9F: return 0xFF;  // Ÿ
    default: return byte;
  }
}

// Looked up rather than worked out: every key of a source is compared with every entry's words.
constexpr std::array<std::uint8_t, 256> kLower = [] {
  std::array<std::uint8_t, 256> table{};
  for (std::size_t b = 0; b < table.size(); ++b) table[b] = lowerOf(static_cast<std::uint8_t>(b));
  return table;
}();

}  // namespace

std::uint8_t cp1252ToLower(std::uint8_t byte) { return kLower[byte]; }

std::string cp1252ToLower(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out) c = static_cast<char>(cp1252ToLower(static_cast<std::uint8_t>(c)));
  return out;
}

bool contains(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

bool containsIgnoreCase(std::string_view haystack, std::string_view needle) {
  auto lower = [](char c) { return kLower[static_cast<std::uint8_t>(c)]; };
  if (needle.empty()) return true;
  const std::uint8_t first = lower(needle.front());
  for (std::size_t at = 0; at + needle.size() <= haystack.size(); ++at) {
    if (lower(haystack[at]) != first) continue;
    std::size_t same = 1;
    while (same < needle.size() && lower(haystack[at + same]) == lower(needle[same])) ++same;
    if (same == needle.size()) return true;
  }
  return false;
}

}  // namespace pack
