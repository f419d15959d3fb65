// The recorders that lay the route's features onto the model: gradients onto the cells' gradient column,
// curves into the per-metre plan, mountain stretches and speed-indicator boards onto the cells. Each
// works in place on the model; the reader has refused every entry that would reach outside it.
#pragma once

#include <cstdint>
#include <optional>

#include "compiler/model.h"

namespace pack {

// Features must leave two cells of the track model ahead of them: true when (position + 100) / 50 is
// greater than cellCount. The sum is a 32-bit one: an overflow is a run-time failure.
bool beyondTrack(const Model& model, std::int32_t position);

// The cell a position maps to: round(position / 50), or round(position / 50 + 1) for boards, which
// stand in the cell after the one their position falls in.
std::int32_t cellAt(std::int32_t position);
std::int32_t boardCellAt(std::int32_t position);

// The last cell a mountain stretch ending at `fine` covers: round(fine / 50 - 1).
std::int32_t mountainLastCell(std::int32_t fine);

// A mountain stretch from `inizio` to `fine` of scenery type `tipo` (1, 2, or 11, 12 for the same with a
// marker cell every 200 m); changes `tipo` in place. A stretch that begins no more than 150 m after the
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

// The gradient column, filled from the gradient entries in reading order: each cell holds the gradient
// in force at its start plus 100, modulo 256.
class GradientFill {
 public:
  // The gradient in force so far is written up to the cell before the entry's one, and into at least
  // one cell; then the entry's gradient is in force.
  void record(Model& model, std::int32_t position, std::int32_t gradient);

  // The gradient in force runs on to cell cellCount - 3 (at least one more cell is written); the last
  // three cells keep 0.
  void complete(Model& model);

 private:
  void writeNextCell(Model& model);  // a cell beyond the track model is dropped

  std::int32_t nextCell_ = 0;
  std::int32_t current_ = 0;
};

// The per-metre plan of the line, built while the curves are read: the line starts at the origin
// heading along +y, and each metre repeats the step of the metre before, turned by the curvature.
class PlanBuilder {
 public:
  // The plan stops at this metre while curves are read.
  static constexpr std::int32_t kCurveMetreLimit = 1000000;

  // Points 0 = (0, 0) and 1 = (0, 1), as integers.
  void start(Model& model);

  // Runs straight up to metre `start`, then curved up to `start` + `length` (a positive curvature
  // turns from +y towards +x). False when the plan passes kCurveMetreLimit; the points before stay. The
  // caller has checked that start + length does not pass extendedLength.
  bool addCurve(Model& model, std::int32_t start, std::int32_t length, double curvature);

  // Straight on to metre extendedLength - 2; the last two metres stay empty.
  void complete(Model& model);

 private:
  // Straight (no curvature) or curved on to metre `last`; false when the plan passes kCurveMetreLimit.
  bool runTo(Model& model, std::int32_t last, std::optional<double> curvature);

  std::int32_t nextMetre_ = 2;
};

}  // namespace pack
