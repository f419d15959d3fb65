// Undoes the completion pass: of the code points that carry the automatic code, finds those the pass
// placed (the sources must leave them out, so that the pass places them again) and those the train run
// placed by hand (the sources must keep them).
#pragma once

#include "tool/decompile/decompile.h"

namespace pack {

// Takes the pass's code points off state.work and lists every hand-placed code point, with or without a
// code, in state.userCodePoints (ascending cells). Runs the compile's own pass on the cells that remain
// until every automatic code point is either placed by it again or kept as a hand-placed one.
void undoCompletion(DecompileState& state);

}  // namespace pack
