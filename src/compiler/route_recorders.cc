#include "compiler/route_recorders.h"

#include <cstddef>

#include "compiler/checked_math.h"
#include "compiler/error_codes.h"
#include "compiler/rounding.h"
#include "compiler/runtime_failure.h"

namespace pack {
namespace {

constexpr std::int32_t kGradientOffset = 100;   // stored gradient = per mille + 100
constexpr std::int32_t kMarkerSpacing = 4;      // a marker every fourth cell: every 200 m
constexpr std::int32_t kMountainTypeMarked = 10;
constexpr std::int32_t kMountainTypeJoined = 3;
constexpr std::int32_t kMountainJoinGap = 150;  // metres

PlanPoint& planPointOrFail(Model& model, std::int32_t metre) {
  if (metre < 0 || static_cast<std::size_t>(metre) >= model.trackPlan.size()) {
    throw RuntimeFailure("plan point outside the plan");
  }
  return model.trackPlan[static_cast<std::size_t>(metre)];
}

// Speed in km/h times 20 plus the second set's speed in units of 5 km/h.
std::int16_t speedBoardValue(std::int32_t first, std::int32_t second) {
  return roundHalfEven<std::int16_t>(second / 5.0 + static_cast<double>(checkedMul(20, first)));
}

}  // namespace

void memo_montagna(Model& model, std::int32_t& inizio, std::int32_t& fine, std::int32_t& tipo) {
  std::int32_t first = cellOf(inizio);
  std::int32_t last = cellBefore(fine);
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
    TrackCell& cell = model.cellAt(c);
    cell.mountainKind = wrapToUint8(tipo);
    ++counted;
    if (marked && counted % kMarkerSpacing == 0 && cell.kind == kFree) cell.kind = kMountainMark;
  }
}

void memo_indicatori_v_max(Model& model, std::int32_t posizione, const std::int32_t& vas,
                           const std::int32_t& vbs, const std::int32_t& vcs, const std::int32_t& strisces,
                           const std::int32_t& vad, const std::int32_t& vbd, const std::int32_t& vcd,
                           const std::int32_t& strisced) {
  TrackCell& cell = model.cellAt(cellAfter(posizione));
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
  std::int32_t cell = cellOf(position);
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
  planPointOrFail(model, 0) = {PlanElement::integer(0), PlanElement::integer(0)};
  planPointOrFail(model, 1) = {PlanElement::integer(0), PlanElement::integer(1)};
  nextMetre_ = 2;
}

// d0 and d1 are the previous step, taken afresh from the stored points for every metre.
void PlanBuilder::straightStep(Model& model) {
  const PlanPoint& before = planPointOrFail(model, nextMetre_ - 2);
  const PlanPoint& last = planPointOrFail(model, nextMetre_ - 1);
  double d0 = last.x.value - before.x.value;
  double d1 = last.y.value - before.y.value;
  planPointOrFail(model, nextMetre_) = {PlanElement::real(last.x.value + d0),
                                        PlanElement::real(last.y.value + d1)};
}

// The step turned by `curvature` radians, without normalising its length. Each part is rounded to a
// double before it is added (the build never fuses a multiply and an add).
void PlanBuilder::curvedStep(Model& model, double curvature) {
  const PlanPoint& before = planPointOrFail(model, nextMetre_ - 2);
  const PlanPoint& last = planPointOrFail(model, nextMetre_ - 1);
  double d0 = last.x.value - before.x.value;
  double d1 = last.y.value - before.y.value;
  double xPart = d1 * curvature + d0;
  double yPart = d1 - d0 * curvature;
  planPointOrFail(model, nextMetre_) = {PlanElement::real(last.x.value + xPart),
                                        PlanElement::real(last.y.value + yPart)};
}

bool PlanBuilder::addCurve(Model& model, std::int32_t start, std::int32_t length, double curvature) {
  std::int32_t end = checkedAdd(start, length);
  while (nextMetre_ <= start) {
    straightStep(model);
    if (++nextMetre_ > kCurveMetreLimit) return false;
  }
  // A curve whose start lies behind the plan is curved only from the next metre on.
  while (nextMetre_ <= end) {
    curvedStep(model, curvature);
    if (++nextMetre_ > kCurveMetreLimit) return false;
  }
  return true;
}

void PlanBuilder::complete(Model& model) {
  for (; nextMetre_ <= model.extendedLength - 2; ++nextMetre_) straightStep(model);
}

}  // namespace pack
