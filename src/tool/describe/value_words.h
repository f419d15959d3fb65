// How the tool words the values that the source formats describe (formats/entry.h): a value's label in
// a message, its range as text, and whether a number lies outside it. The names, units and ranges
// themselves belong to the entry tables of src/formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/entry.h"

namespace pack {

// "value 2 of "pendenza": gradient, per mille" (`index` from 0). `key` is the key (UTF-8) as a line writes it,
// where a message is about that line ("curvas4" for the entry that "curvad5" describes); empty, the
// entry's own.
std::string valueLabel(const EntryDefinition& entry, std::size_t index, std::string_view key = {});

// "-100 to 155", "at least 0", "at most 32767"; empty for a text or a number its width alone limits.
std::string rangeText(const ValueDefinition& value);
// What a number outside the range missed: "outside -100 to 155", or for a range open at one end the end
// it missed, "below the least it may be, 350".
std::string missedRangeText(const ValueDefinition& value);

bool outsideRange(const ValueDefinition& value, std::int64_t number);

// Every entry of both sources: the route's general and feature entries, then the train run's.
std::vector<const EntryDefinition*> allEntries();

}  // namespace pack
