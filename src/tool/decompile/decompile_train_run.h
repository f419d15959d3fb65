// The features of the train run: stations (from their table rows), slow-downs (their start, end,
// warning and approach cells), signals and the hand-placed code points, written in an order that lays
// the approach marks of stations and signals over one another as the compiled cells show them.
#pragma once

#include "tool/decompile/decompile.h"

namespace pack {

// "[stazioni]", "[rallentamenti]", "[segnali]" and "[codici]". Needs undoCompletion first.
void recoverTrainRunFeatures(DecompileState& state);

}  // namespace pack
