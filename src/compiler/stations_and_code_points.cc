#include "compiler/stations_and_code_points.h"

#include <cstddef>

#include "compiler/cell_codec.h"
#include "compiler/checked_math.h"
#include "compiler/error_codes.h"
#include "compiler/rounding.h"
#include "compiler/runtime_failure.h"

namespace pack {
namespace {

constexpr std::int32_t kFirstStationRow = 1;

ScenarioRecord& rowAt(Model& model, std::int32_t row) {
  if (row < 0 || row >= kTableRows) throw RuntimeFailure("a station row outside the scenario table");
  return model.scenarioTable[static_cast<std::size_t>(row)];
}

std::int32_t roundToInt(double v) { return roundHalfEven<std::int32_t>(v); }

void layPlatform(ScenarioRecord& row, std::int32_t platformLength) {
  const std::int32_t s = row.numberC;
  if (codec::platformRunsBack(row.kind)) {
    row.numberA = checkedSub(s, platformLength);
    row.numberB = checkedAdd(s, codec::platformEndFixed(row.kind) ? codec::kShortPlatformBeyond : platformLength);
    row.flag3 = 0;
  } else {
    const double half = platformLength / 2.0;
    row.numberA = roundToInt(s - half);
    row.numberB = roundToInt(s + half + (row.flag3 != 0 ? codec::kPlatformExtension : 0));
  }
}

// The four approach marks and the stop point of a station of a type below 25. The stop point lies in
// the cell just before the platform end and replaces whatever stands there.
EntryOutcome markStopPoint(Model& model, std::int32_t row, const ScenarioRecord& station) {
  // The marks and the stop test look at the real cell position of the platform end before rounding, so
  // they keep the real value rather than a rounded cell.
  const double endCell = station.numberB / static_cast<double>(kCellLength);
  if (cellBefore(station.numberB) > model.cellCount) return {kErrBeyondTrack, station.numberC};
  if (codec::marksApproach(station.kind)) {
    for (std::int32_t j = 1; j <= codec::kApproachSteps; ++j) {
      const double q = endCell - j - 1;
      // Cells 0 and 1 never carry a mark: the first station's fourth mark is simply left out.
      if (q > 1) {
        model.cellAt(roundToInt(q)).approachMark = codec::encodeStationMark(j);
        model.noteMarked(roundToInt(q));
      }
    }
  }
  if (endCell - 1 <= 1) return {kErrStopPoint, std::nullopt};
  const std::int32_t stopCell = cellBefore(station.numberB);
  TrackCell& stop = model.cellAt(stopCell);
  stop.kind = kStopPoint;
  model.notePlaced(stopCell, kStopPoint);
  stop.value1 = static_cast<std::int16_t>(row);
  return {};
}

}  // namespace

EntryOutcome placeCodePoint(Model& model, std::int32_t position, std::int32_t code) {
  if (EntryOutcome r = checkFeaturePosition(model, position)) return r;
  const std::int32_t c = cellOf(position);
  TrackCell& cell = model.cellAt(c);
  if (!cell.isFree()) {
    model.noteRefused(c);
    return {kErrCodePointOccupied, position};
  }
  if (code >= 1) {
    cell.kind = kCodePoint;
    cell.value1 = codec::encodeCode(code);
  } else {
    cell.kind = kCodePointNoValue;
  }
  model.notePlaced(c, static_cast<CellKind>(cell.kind));
  return {};
}

EntryOutcome layStation(Model& model, std::int32_t row, std::int32_t platformLength) {
  ScenarioRecord& station = rowAt(model, row);
  layPlatform(station, platformLength);
  if (platformLength < codec::kAttributeBPlatform) station.flag4 = 0;
  // After the platform: the first station's extension flag still lengthens it.
  if (row == kFirstStationRow) {
    station.flag4 = 0;
    station.flag3 = 0;
  }
  if (codec::touchesCells(station.kind)) {
    if (EntryOutcome r = markStopPoint(model, row, station)) return r;
  }
  if (row > kFirstStationRow &&
      checkedSub(station.numberA, codec::kStationSpacing) < rowAt(model, row - 1).numberB) {
    return {kErrStationSpacing, station.numberC};
  }
  return {};
}

}  // namespace pack
