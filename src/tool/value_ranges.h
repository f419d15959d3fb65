// What every value of every source entry is, for the authoring tool's messages: its name, its unit and
// the range an author should keep to. The compiler accepts much more (any 32-bit number, stored modulo
// its field); the tool warns outside these ranges. One row per value of an entry, in reading order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

namespace pack {

inline constexpr std::int64_t kNoMinimum = std::numeric_limits<std::int64_t>::min();
inline constexpr std::int64_t kNoMaximum = std::numeric_limits<std::int64_t>::max();

struct ValueGuide {
  std::string_view entry;  // the entry's written key
  std::size_t value;       // from 1, in reading order
  std::string_view name;
  std::string_view unit;   // "m", "km/h", "per mille", "%", ... or empty
  std::int64_t min = kNoMinimum;
  std::int64_t max = kNoMaximum;
  bool onLine = false;     // a position on the line: also expected within the route's length
  bool emptyOk = false;    // written empty in the pack's own sources, so an empty field is no slip
};

std::span<const ValueGuide> valueRanges();

// The row of value `value` (from 1) of the entry written `entry`, or nullptr.
const ValueGuide* findValueRange(std::string_view entry, std::size_t value);

}  // namespace pack
