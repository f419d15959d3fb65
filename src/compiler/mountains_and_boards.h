// The route's mountain stretches and speed-indicator boards, laid onto the track cells (memo_montagna,
// memo_indicatori_v_max). Each works in place on the model; the reader has refused every entry that would
// reach outside it.
#pragma once

#include <cstdint>

#include "compiler/model.h"

namespace pack {

// A mountain stretch from `inizio` to `fine` of scenery type `tipo` (1, 2, or 11, 12 for the same with a
// marker cell every 200 m); changes `tipo` in place. Its cells run from cellOf(inizio) to
// cellBefore(fine). A stretch that begins no more than 150 m after the
// end of the previous one in reading order becomes type 3. The caller has checked that the stretch is
// the 80th at most and that its cells lie from 0 to cellCount.
void memo_montagna(Model& model, std::int32_t& inizio, std::int32_t& fine, std::int32_t& tipo);

// A speed-indicator board at `posizione`: two sets of three speeds in km/h with their stripe counts,
// combined pairwise. Sets errorCode to 21, storing nothing, when the board's cell is not free. A speed
// value beyond 16 bits is a run-time failure after `kind` has been stored.
void memo_indicatori_v_max(Model& model, std::int32_t posizione, const std::int32_t& vas,
                           const std::int32_t& vbs, const std::int32_t& vcs, const std::int32_t& strisces,
                           const std::int32_t& vad, const std::int32_t& vbd, const std::int32_t& vcd,
                           const std::int32_t& strisced);

}  // namespace pack
