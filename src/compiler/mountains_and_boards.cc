#include "compiler/mountains_and_boards.h"

#include <cstddef>

#include "compiler/checked_math.h"
#include "compiler/error_codes.h"
#include "compiler/rounding.h"
#include "compiler/runtime_failure.h"

namespace pack {
namespace {

constexpr std::int32_t kMarkerSpacing = 4;      // a marker every fourth cell: every 200 m
constexpr std::int32_t kMountainTypeMarked = 10;
constexpr std::int32_t kMountainTypeJoined = 3;
constexpr std::int32_t kMountainJoinGap = 150;  // metres

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

}  // namespace pack
