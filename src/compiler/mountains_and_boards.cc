#include "compiler/mountains_and_boards.h"

#include <cstddef>

#include "compiler/checked_math.h"
#include "compiler/error_codes.h"
#include "compiler/rounding.h"
#include "compiler/runtime_failure.h"
#include "formats/compiled_format.h"

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

void memo_montagna(Model& model, std::int32_t inizio, std::int32_t fine, std::int32_t tipo) {
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

EntryOutcome memo_indicatori_v_max(Model& model, const SpeedBoardLine& line) {
  const std::int32_t c = cellAfter(line.posizione);
  TrackCell& cell = model.cellAt(c);
  if (!cell.isFree()) {
    model.noteRefused(c);
    return {kErrSpeedBoardOccupied, line.posizione};
  }
  cell.kind = kSpeedBoard;
  model.notePlaced(c, kSpeedBoard);
  cell.value1 = speedBoardValue(line.vas, line.vad);
  cell.value2 = speedBoardValue(line.vbs, line.vbd);
  cell.value3 = speedBoardValue(line.vcs, line.vcd);
  // Only the low 16 bits of the stripe counts take part, and the sum wraps on 16 bits.
  cell.value4 = wrapToInt16(10 * std::int64_t{wrapToInt16(line.strisces)} + wrapToInt16(line.strisced));
  return {};
}

EntryOutcome placeTextBoard(Model& model, std::int32_t position, const std::string& text, std::int32_t row) {
  if (row < 1 || row > kFirstBoardRow) throw RuntimeFailure("a text board row outside the boards' rows");
  const std::int32_t c = cellAfter(position);
  TrackCell& cell = model.cellAt(c);
  if (!cell.isFree()) {
    model.noteRefused(c);
    return {kErrTextBoardOccupied, position};
  }
  cell.kind = kTextBoard;
  model.notePlaced(c, kTextBoard);
  cell.value1 = static_cast<std::int16_t>(row);
  // The compiled table counts a text's bytes in 16 bits.
  if (text.size() > kMaxTextBytes) throw RuntimeFailure("board text longer than 65535 bytes");
  model.scenarioTable[static_cast<std::size_t>(row)].text = text;
  return {};
}

}  // namespace pack
