#include "compiler/route_recorders.h"

#include <algorithm>
#include <cstddef>

#include "compiler/checked_math.h"
#include "compiler/error_codes.h"
#include "compiler/rounding.h"
#include "compiler/runtime_failure.h"

namespace pack {
namespace {

constexpr double kCell = static_cast<double>(kCellLength);
constexpr std::int32_t kGradientOffset = 100;   // stored gradient = per mille + 100
constexpr std::int32_t kMarkerSpacing = 4;      // a marker every fourth cell: every 200 m
constexpr std::int32_t kMountainTypeMarked = 10;
constexpr std::int32_t kMountainTypeJoined = 3;
constexpr std::int32_t kMountainJoinGap = 150;  // metres

TrackCell& cellOrFail(Model& model, std::int32_t cell) {
  if (cell < 0 || cell > model.cellCount) throw RuntimeFailure("track cell outside the track model");
  return model.trackCells[static_cast<std::size_t>(cell)];
}

// Speed in km/h times 20 plus the second set's speed in units of 5 km/h.
std::int16_t speedBoardValue(std::int32_t first, std::int32_t second) {
  return roundHalfEven<std::int16_t>(second / 5.0 + static_cast<double>(checkedMul(20, first)));
}

}  // namespace

bool beyondTrack(const Model& model, std::int32_t position) {
  return checkedAdd(position, 2 * kCellLength) / kCell > model.cellCount;
}

std::int32_t cellAt(std::int32_t position) { return roundHalfEven<std::int32_t>(position / kCell); }

std::int32_t boardCellAt(std::int32_t position) { return roundHalfEven<std::int32_t>(position / kCell + 1); }

std::int32_t mountainLastCell(std::int32_t fine) { return roundHalfEven<std::int32_t>(fine / kCell - 1); }

void memo_montagna(Model& model, std::int32_t& inizio, std::int32_t& fine, std::int32_t& tipo) {
  std::int32_t first = cellAt(inizio);
  std::int32_t last = mountainLastCell(fine);
  if (model.mountainCount >= kMaxMountains) throw RuntimeFailure("more mountain stretches than recorded");
  if (first <= last && (first < 0 || last > model.cellCount)) {
    throw RuntimeFailure("mountain stretch outside the track model");
  }

  bool marked = tipo > kMountainTypeMarked;
  if (marked) tipo -= kMountainTypeMarked;

  std::int32_t count = ++model.mountainCount;
  model.mountainStart[static_cast<std::size_t>(count)] = inizio;
  model.mountainEnd[static_cast<std::size_t>(count)] = fine;
  // The previous stretch in reading order, whatever its position.
  if (count > 1) {
    std::int32_t previousEnd = model.mountainEnd[static_cast<std::size_t>(count - 1)];
    if (checkedSub(inizio, previousEnd) <= kMountainJoinGap) tipo = kMountainTypeJoined;
  }

  std::int32_t counted = 0;
  for (std::int32_t c = first; c <= last; ++c) {
    TrackCell& cell = model.trackCells[static_cast<std::size_t>(c)];
    cell.mountainKind = wrapToUint8(tipo);
    ++counted;
    if (marked && counted % kMarkerSpacing == 0 && cell.kind == kFree) cell.kind = kMountainMark;
  }
}

void memo_indicatori_v_max(Model& model, std::int32_t posizione, const std::int32_t& vas,
                           const std::int32_t& vbs, const std::int32_t& vcs, const std::int32_t& strisces,
                           const std::int32_t& vad, const std::int32_t& vbd, const std::int32_t& vcd,
                           const std::int32_t& strisced) {
  TrackCell& cell = cellOrFail(model, boardCellAt(posizione));
  if (!cell.isFree()) {
    model.errorCode = kErrSpeedBoardOccupied;
    return;
  }
  cell.kind = kSpeedBoard;
  cell.value1 = speedBoardValue(vas, vad);
  cell.value2 = speedBoardValue(vbs, vbd);
  cell.value3 = speedBoardValue(vcs, vcd);
  // Only the low 16 bits of the stripe counts take part, and the sum wraps on 16 bits.
  cell.value4 = wrapToInt16(10 * std::int64_t{wrapToInt16(strisces)} + wrapToInt16(strisced));
}

void GradientFill::writeNextCell(Model& model) {
  if (nextCell_ <= model.cellCount) {
    model.trackCells[static_cast<std::size_t>(nextCell_)].gradient =
        wrapToUint8(std::int64_t{current_} + kGradientOffset);
  }
  nextCell_ = checkedAdd(nextCell_, 1);
}

void GradientFill::record(Model& model, std::int32_t position, std::int32_t gradient) {
  std::int32_t cell = cellAt(position);
  if (cell > 0) {
    do {
      writeNextCell(model);
    } while (nextCell_ < cell);
  }
  current_ = gradient;
}

void GradientFill::complete(Model& model) {
  do {
    writeNextCell(model);
  } while (nextCell_ < model.cellCount - 2);
}

void PlanBuilder::start(Model& model) {
  model.trackPlan.start();
  nextMetre_ = 2;
}

bool PlanBuilder::runTo(Model& model, std::int32_t last, std::optional<double> curvature) {
  if (nextMetre_ > last) return true;
  // The metre at the limit is still added; the plan stops after it.
  std::int32_t through = std::min(last, std::max(kCurveMetreLimit, nextMetre_));
  model.trackPlan.extend(through - nextMetre_ + 1, curvature);
  nextMetre_ = through + 1;
  return nextMetre_ <= kCurveMetreLimit;
}

bool PlanBuilder::addCurve(Model& model, std::int32_t start, std::int32_t length, double curvature) {
  std::int32_t end = checkedAdd(start, length);
  if (!runTo(model, start, std::nullopt)) return false;
  // A curve whose start lies behind the plan is curved only from the next metre on.
  return runTo(model, end, curvature);
}

void PlanBuilder::complete(Model& model) {
  std::int32_t last = model.extendedLength - 2;
  if (nextMetre_ > last) return;
  model.trackPlan.extend(last - nextMetre_ + 1, std::nullopt);
  nextMetre_ = last + 1;
}

}  // namespace pack
