// The train run's stations (platforms, approach marks and stop points) and hand-placed code points.
#pragma once

#include <cstdint>

#include "compiler/model.h"
#include "compiler/entry_outcome.h"

namespace pack {

// A whole "abbattimento" line: the position test, then the code point in the cell of its position.
EntryOutcome placeCodePoint(Model& model, std::int32_t position, std::int32_t code);

// A station whose values are in table row `row` (numberC = S, kind = type, the attributes and flags as
// read): computes the platform, clears the flags, writes the approach marks and the stop point and tests
// the spacing to the previous station. Refuses with 15, 24 or 22.
EntryOutcome layStation(Model& model, std::int32_t row, std::int32_t platformLength);

}  // namespace pack
