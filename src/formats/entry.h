// One entry of a scenario source as data: the words that recognise its key field, the values that follow
// the key and how letter case is treated. The readers and the authoring tool share these definitions, so
// an entry's spelling and its number of values are stated once, for both source formats.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace pack {

// How a value field is read: a whole number that must fit the width, or the text up to the comma or the
// line end.
enum class ValueWidth : std::uint8_t { kInt32, kInt16, kUint8, kText };

// How the words of a key are looked for inside the key field.
enum class KeyCase : std::uint8_t {
  kIgnore,  // letter case is ignored (code page 1252 letters)
  kExact,   // the lower-case words must occur as written
};

inline constexpr std::size_t kMaxKeyWords = 2;

struct EntryDefinition {
  std::string_view writtenKey;                       // the key as the writer writes it
  std::array<std::string_view, kMaxKeyWords> words;  // every non-empty word must occur in the key field
  std::span<const ValueWidth> values;                // the values after the key, in reading order
  KeyCase keyCase = KeyCase::kIgnore;

  std::size_t valueCount() const { return values.size(); }

  // Keys are recognised by substring, not by equality: "curvad5" holds "curva".
  bool matches(std::string_view keyField) const;
};

// In both sources a field holding "-" anywhere is a comment.
bool isCommentField(std::string_view field);

}  // namespace pack
