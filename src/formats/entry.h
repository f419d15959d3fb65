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

// One code (or run of codes, both ends included) of a coded value and what it stands for, for authors.
struct ValueCode {
  std::int64_t from = 0;
  std::int64_t to = 0;
  std::string_view meaning;
};

// One value of an entry: the width it is read with, and what an author needs to know of it. Only the
// width binds the readers; the description serves the authoring tool's messages and the reference for
// authors. A bare width converts to a value with no description.
struct ValueDefinition {
  ValueWidth width = ValueWidth::kInt32;
  std::string_view name;              // how an author calls it, e.g. "position"
  std::string_view unit;              // "m", "km/h", "per mille", ...; empty when it has none
  std::optional<ValueRange> range;    // what the simulator expects of a number; nothing for a text
  std::string_view meaning;           // one sentence
  bool alongLine = false;             // a position on the line: also expected within the route's length
  bool mayBeEmpty = false;            // an empty field (read as 0) is a normal way to write it
  std::span<const ValueCode> codes;   // a coded value: every code in its range and what it stands for

  constexpr ValueDefinition(ValueWidth w) : width(w) {}  // implicit: a bare width is a value
  constexpr ValueDefinition(ValueWidth w, std::string_view n, std::string_view u,
                            std::optional<ValueRange> r, std::string_view m)
      : width(w), name(n), unit(u), range(r), meaning(m) {}

  // The same value, written empty in the usual sources.
  constexpr ValueDefinition emptyAllowed() const {
    ValueDefinition v = *this;
    v.mayBeEmpty = true;
    return v;
  }

  // The same value, with its codes described.
  constexpr ValueDefinition withCodes(std::span<const ValueCode> c) const {
    ValueDefinition v = *this;
    v.codes = c;
    return v;
  }

  friend constexpr bool operator==(const ValueDefinition& v, ValueWidth w) { return v.width == w; }
};

// The widest range each width can hold.
constexpr ValueRange widthRange(ValueWidth width) {
  switch (width) {
    case ValueWidth::kUint8: return {0, 255};
    case ValueWidth::kInt16: return {-32768, 32767};
    default: return {-2147483648LL, 2147483647LL};
  }
}

// Shorthands for the entry tables.
namespace describe {

constexpr std::int64_t kInt32Max = 2147483647LL;
constexpr std::int64_t kInt32Min = -2147483648LL;

constexpr ValueDefinition number(ValueWidth w, std::string_view name, std::string_view unit, ValueRange range,
                                 std::string_view meaning) {
  return {w, name, unit, range, meaning};
}

// A whole number stored as it is, whatever its width holds.
constexpr ValueDefinition passedOn(ValueWidth w, std::string_view name, std::string_view meaning) {
  return {w, name, "", widthRange(w), meaning};
}

// A position on the line in metres, from `min` on.
constexpr ValueDefinition position(std::string_view name, std::string_view meaning, std::int64_t min = 0) {
  ValueDefinition v{ValueWidth::kInt32, name, "m", ValueRange{min, kInt32Max}, meaning};
  v.alongLine = true;
  return v;
}

constexpr ValueDefinition text(std::string_view name, std::string_view meaning) {
  return {ValueWidth::kText, name, "", std::nullopt, meaning};
}

}  // namespace describe

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
  // For authors: what the entry is (one sentence), one line as it is written, and what the compiler does
  // with it (a few sentences).
  std::string_view meaning = {};
  std::string_view example = {};
  std::string_view compiled = {};

  std::size_t valueCount() const { return values.size(); }

  // Keys are recognised by substring, not by equality: "curvad5" holds "curva".
  bool matches(std::string_view keyField) const;
};

// A section of a source as the writers lay it out: its header line and the entries written under it.
// Only the route's general part depends on its header; elsewhere headers just group the lines.
struct SectionDefinition {
  std::string_view header;  // "[generale]"
  std::string_view meaning;
  std::span<const EntryDefinition* const> entries;  // in the order they are written
};

// In both sources a field holding "-" anywhere is a comment.
bool isCommentField(std::string_view field);

}  // namespace pack
