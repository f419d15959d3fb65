// The route's mountain stretches, speed-indicator boards and text boards, laid onto the track cells
// (memo_montagna, memo_indicatori_v_max, placeTextBoard). Each works in place on the model; the reader has
// refused every entry whose position lies outside it.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/entry_outcome.h"
#include "compiler/model.h"

namespace pack {

// A mountain stretch from `inizio` to `fine` of scenery type `tipo` (1, 2, or 11, 12 for the same with a
// marker cell every 200 m). Its cells run from cellOf(inizio) to cellBefore(fine). A stretch that begins
// no more than 150 m after the end of the previous one in reading order becomes type 3. The caller has
// checked that the stretch is the 80th at most and that its cells lie from 0 to cellCount.
void memo_montagna(Model& model, std::int32_t inizio, std::int32_t fine, std::int32_t tipo);

// A speed-indicator board: two sets of three speeds in km/h (a, b, c) with their stripe counts, the
// first set ending in "s", the second in "d".
struct SpeedBoardLine {
  std::int32_t posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced;
};

// Lays the board in the cell after its position, the two sets combined pairwise. Refuses with 21 at its
// position, storing nothing, when that cell is not free. A speed value beyond 16 bits is a run-time
// failure after `kind` has been stored.
EntryOutcome memo_indicatori_v_max(Model& model, const SpeedBoardLine& line);

// A text board at `position` in the cell after it, its text in table row `row`. Refuses with 6 at its
// position when that cell is not free. A text the compiled table cannot hold is a run-time failure.
EntryOutcome placeTextBoard(Model& model, std::int32_t position, const std::string& text, std::int32_t row);

}  // namespace pack
