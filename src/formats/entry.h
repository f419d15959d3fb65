// One entry of a scenario source as data: the words that recognise its key field, the values that follow
// the key and how letter case is treated. The readers and the authoring tool share these definitions, so
// an entry's spelling and its number of values are stated once, for both source formats.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace pack {

// How a value field is read: a whole number that must fit the width, or the text up to the comma or the
// line end.
enum class ValueWidth : std::uint8_t { kInt32, kInt16, kUint8, kText };

// The accepted values of a number, both ends included.
struct ValueRange {
  std::int64_t min = 0;
  std::int64_t max = 0;
};

// One value of an entry: the width it is read with, and what an author needs to know of it. Only the
// width binds the readers; the description (empty until it is written) serves the tool and the reference
// for authors. A bare width converts to a value with no description.
struct ValueDefinition {
  ValueWidth width = ValueWidth::kInt32;
  std::string_view name;              // how an author calls it, e.g. "position"
  std::string_view unit;              // "m", "km/h", "per mille", ...; empty when it has none
  std::optional<ValueRange> range;    // the values accepted; nothing: whatever the width holds
  std::string_view meaning;           // one sentence

  constexpr ValueDefinition(ValueWidth w) : width(w) {}  // implicit: a bare width is a value
  constexpr ValueDefinition(ValueWidth w, std::string_view n, std::string_view u,
                            std::optional<ValueRange> r, std::string_view m)
      : width(w), name(n), unit(u), range(r), meaning(m) {}

  friend constexpr bool operator==(const ValueDefinition& v, ValueWidth w) { return v.width == w; }
};

// How the words of a key are looked for inside the key field.
enum class KeyCase : std::uint8_t {
  kIgnore,  // letter case is ignored (code page 1252 letters)
  kExact,   // the lower-case words must occur as written
};

inline constexpr std::size_t kMaxKeyWords = 2;

struct EntryDefinition {
  std::string_view writtenKey;                       // the key as the writer writes it
  std::array<std::string_view, kMaxKeyWords> words;  // every non-empty word must occur in the key field
  std::span<const ValueDefinition> values;           // the values after the key, in reading order
  KeyCase keyCase = KeyCase::kIgnore;

  std::size_t valueCount() const { return values.size(); }

  // Keys are recognised by substring, not by equality: "curvad5" holds "curva".
  bool matches(std::string_view keyField) const;
};

// In both sources a field holding "-" anywhere is a comment.
bool isCommentField(std::string_view field);

}  // namespace pack
