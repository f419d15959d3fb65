// The ordering of the route's three kilometre-post definitions ("tre", "due", "uno" in table rows 81,
// 82 and 83 as read), so that the compiled scenario lists them with the largest position first and with
// the flag applied.
#pragma once

#include "compiler/model.h"

namespace pack {

// Reorders rows 81 to 83 (position numberA, kilometre value numberB, flag numberC), moving whole
// definitions, and raises the value of each definition flagged 1 by 100. Only these three fields of
// the three rows are read or changed. A 32-bit overflow is a run-time failure.
void progressive_ordina(Model& model);

// Whether the positions and values of the three kilometre-post rows all lie on the 50-m grid.
bool kilometrePostsOnGrid(const Model& model);


}  // namespace pack
