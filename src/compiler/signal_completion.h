// The signal-code completion: code points with the code 180 added around slow-downs and signals, and the
// checks of the reserved slots.
#pragma once

#include <cstdint>

#include "compiler/model.h"

namespace pack {

constexpr std::int16_t kAutomaticCode = 180;

// One pass over cells 1 to cellCount - 2 that adds code points with kAutomaticCode, only on free cells.
// The loop indexes are the model's working variables (cellIndex, stepIndex, markerCounter, scanIndex).
// Only slow-downs below 110 get the walk and the search after their end. Records errors 11, 12 and 13
// and goes on. No look goes past cellCount nor past the last cell held: a
// slow-down with no end is walked up to that cell, and nothing beyond it counts as free or as a signal.
void completeSignalCodes(Model& model);

// Checks that the reserved slots are empty and stores the fixed values 610 and 5121. Returns 0, or the
// code of the failed check (1250 or 1251), which must end the compile before anything is written. A model
// without cell 1 fails the first check.
std::int32_t checkReservedSlots(Model& model);

}  // namespace pack
