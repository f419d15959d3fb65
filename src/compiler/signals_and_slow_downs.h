// The train run's signals (memo_segnale) and slow-downs (memo_rallentamento), laid onto the track cells.
#pragma once

#include <cstdint>

#include "compiler/model.h"
#include "compiler/entry_outcome.h"

namespace pack {

struct SignalLine {
  std::int32_t posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

struct SlowDownLine {
  std::int32_t x, v, l, f_tt, f_ta, d_v;
};

// Lays one signal on its cell and marks the four cells before it; refuses with 16 when the cell is
// taken. The caller has made sure that every cell touched lies inside the track model.
EntryOutcome memo_segnale(Model& model, SignalLine line);
// Lays one slow-down (warning point, start, end, approach cells); refuses with 17, 18, 19 or 20. The
// caller has made sure that every cell touched lies inside the track model.
EntryOutcome memo_rallentamento(Model& model, SlowDownLine line);

// A whole "segnale" or "rallentamento" line: the position tests, then the recorder.
EntryOutcome placeSignal(Model& model, const SignalLine& line);
EntryOutcome placeSlowDown(Model& model, const SlowDownLine& line);

}  // namespace pack
