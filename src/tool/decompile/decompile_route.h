// The features of the route that stand on cells: mountain stretches (from the cells' mountain kind and
// their marker cells), speed-indicator boards and text boards (with their texts from the table).
#pragma once

#include "tool/decompile/decompile.h"

namespace pack {

// "[montagne]": one stretch for each run of cells of one mountain kind, split where the marker cells
// change step; a stretch that only a joined stretch (type 3) could follow closely is kept apart by an
// empty stretch that covers no cell.
void recoverMountains(DecompileState& state);

// "[cartelli]": the speed-indicator boards.
void recoverSpeedBoards(DecompileState& state);

// "[indicazioni]": the text boards in the order of their table rows, 80 first. A row no cell points to
// any more belonged to a board that a station's stop point covered later: it is put back under one.
void recoverTextBoards(DecompileState& state);

}  // namespace pack
