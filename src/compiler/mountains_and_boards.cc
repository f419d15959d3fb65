#include "compiler/mountains_and_boards.h"

#include <cstddef>

#include "compiler/cell_codec.h"
#include "compiler/checked_math.h"
#include "compiler/error_codes.h"
#include "compiler/runtime_failure.h"
#include "formats/compiled_format.h"

namespace pack {
namespace {

}  // namespace

void memo_montagna(Model& model, std::int32_t inizio, std::int32_t fine, std::int32_t tipo) {
  std::int32_t first = cellOf(inizio);
  std::int32_t last = cellBefore(fine);
  if (model.mountainCount >= kMaxMountains) throw RuntimeFailure("more mountain stretches than recorded");
  if (first <= last && (first < 0 || last > model.cellCount)) {
    throw RuntimeFailure("mountain stretch outside the track model");
  }

  const codec::MountainType type = codec::splitMountainType(tipo);
  const bool marked = type.marked;
  tipo = type.stored;

  std::int32_t count = ++model.mountainCount;
  model.mountainStart[static_cast<std::size_t>(count)] = inizio;
  model.mountainEnd[static_cast<std::size_t>(count)] = fine;
  // The previous stretch in reading order, whatever its position.
  if (count > 1) {
    std::int32_t previousEnd = model.mountainEnd[static_cast<std::size_t>(count - 1)];
    if (checkedSub(inizio, previousEnd) <= codec::kMountainJoinGap) tipo = codec::kMountainJoined;
  }

  std::int32_t counted = 0;
  for (std::int32_t c = first; c <= last; ++c) {
    TrackCell& cell = model.cellAt(c);
    cell.mountainKind = wrapToUint8(tipo);
    ++counted;
    if (marked && counted % codec::kMountainMarkerSpacing == 0 && cell.kind == kFree) cell.kind = kMountainMark;
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
  cell.value1 = codec::encodeBoardSpeeds(line.vas, line.vad);
  cell.value2 = codec::encodeBoardSpeeds(line.vbs, line.vbd);
  cell.value3 = codec::encodeBoardSpeeds(line.vcs, line.vcd);
  cell.value4 = codec::encodeBoardStripes(line.strisces, line.strisced);
  return {};
}

EntryOutcome placeTextBoard(Model& model, std::int32_t position, const std::string& text, std::int32_t row) {
  if (!codec::isBoardRow(row)) throw RuntimeFailure("a text board row outside the boards' rows");
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
