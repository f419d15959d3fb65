#include "compiler/train_run_recorders.h"

#include <cstddef>

#include "compiler/checked_math.h"
#include "compiler/error_codes.h"
#include "compiler/rounding.h"

namespace pack {
namespace {

constexpr std::int32_t kSignalApproachReach = 8;  // the fourth mark lies 8 cells before the signal
constexpr std::int32_t kWarningDistance = 1200;   // metres from a slow-down's warning point to its start
constexpr std::int32_t kWarnedFrom = 1500;        // slow-downs starting above this get a warning point
constexpr std::int32_t kStationSpacing = 350;     // metres between two platforms
constexpr std::int32_t kFirstStationRow = 1;
constexpr std::uint8_t kTableOnlyStationTypes = 25;  // from this type on a station touches no cell
constexpr std::uint8_t kStationMarkBase = 80;

ScenarioRecord& rowAt(Model& model, std::int32_t row) {
  if (row < 0 || row >= kTableRows) throw RuntimeFailure("a station row outside the scenario table");
  return model.scenarioTable[static_cast<std::size_t>(row)];
}

std::int32_t roundToInt(double v) { return roundHalfEven<std::int32_t>(v); }

// Signals and slow-down points stand in the cell after their position's; code points do not.
std::int32_t slowDownEndCell(const SlowDownLine& line) { return cellAfter(checkedAdd(line.x, line.l)); }

void writeProfileCell(Model& model, Profile& profile) {
  model.cellAt(profile.nextCell).*profile.field = profile.stored(profile.current);
  ++profile.nextCell;
}

std::uint8_t speedUnits(std::int32_t kmh) { return roundHalfEven<std::uint8_t>(kmh / 5.0); }
std::uint8_t adhesionByte(std::int32_t percent) { return wrapToUint8(percent); }

void setSlowDownValue2(TrackCell& cell, std::int32_t d_v) {
  if (d_v != 0) cell.value2 = wrapToInt16(d_v);
}

void layPlatform(ScenarioRecord& row, std::int32_t platformLength) {
  const std::int32_t s = row.numberC;
  switch (row.kind) {
    case 5:
    case 6:
      row.numberA = checkedSub(s, platformLength);
      row.numberB = checkedAdd(s, 150);
      row.flag3 = 0;
      break;
    case 7:
    case 8:
      row.numberA = checkedSub(s, platformLength);
      row.numberB = checkedAdd(s, platformLength);
      row.flag3 = 0;
      break;
    default: {
      const double half = platformLength / 2.0;
      row.numberA = roundToInt(s - half);
      row.numberB = roundToInt(s + half + (row.flag3 != 0 ? 50 : 0));
    }
  }
}

// The four approach marks and the stop point of a station of a type below 25. The stop point lies in
// the cell just before the platform end and replaces whatever stands there.
Refusal markStopPoint(Model& model, std::int32_t row, const ScenarioRecord& station) {
  const double endCell = station.numberB / 50.0;
  if (cellBefore(station.numberB) > model.cellCount) return {kErrBeyondTrack, station.numberC};
  if (station.kind != 5 && station.kind != 6) {
    for (std::int32_t j = 1; j <= 4; ++j) {
      const double q = endCell - j - 1;
      // Cells 0 and 1 never carry a mark: the first station's fourth mark is simply left out.
      if (q > 1) model.cellAt(roundToInt(q)).approachMark = static_cast<std::uint8_t>(kStationMarkBase + j);
    }
  }
  if (endCell - 1 <= 1) return {kErrStopPoint, std::nullopt};
  TrackCell& stop = model.cellAt(cellBefore(station.numberB));
  stop.kind = kStopPoint;
  stop.value1 = static_cast<std::int16_t>(row);
  return {};
}

}  // namespace

Refusal checkFeaturePosition(const Model& model, std::int32_t position) {
  if (position < 0 || beyondTrack(model.cellCount, position, kFeatureMargin)) return {kErrBeyondTrack, position};
  return {};
}

Refusal checkStationPosition(const Model& model, std::int32_t position) {
  if (position < 0 || beyondTrack(model.cellCount, position, kStationMargin)) return {kErrBeyondTrack, position};
  return {};
}

Profile speedProfile() { return {&TrackCell::speedLimit, speedUnits}; }
Profile adhesionProfile() { return {&TrackCell::adhesion, adhesionByte}; }

Refusal extendProfile(Model& model, Profile& profile, std::int32_t position, std::int32_t value) {
  // Negative positions open no cell and are harmless: only the far end is bounded.
  if (beyondTrack(model.cellCount, position, kFeatureMargin)) return {kErrBeyondTrack, position};
  const std::int32_t n = cellOf(position);
  if (n > 0) {
    // A line at or behind the filled cells still writes one cell with the stretch it closes.
    do {
      if (profile.nextCell >= model.cellCount) break;
      writeProfileCell(model, profile);
    } while (profile.nextCell < n);
  }
  profile.current = value;
  return {};
}

void completeProfile(Model& model, Profile& profile) {
  do {
    writeProfileCell(model, profile);
  } while (profile.nextCell < model.cellCount - 2);
}

Refusal memo_segnale(Model& model, SignalLine line) {
  const std::int32_t i = cellAfter(line.posizione);
  TrackCell& cell = model.cellAt(i);
  if (!cell.isFree()) return {kErrSignalOccupied, line.posizione};

  cell.kind = kSignal;
  cell.value4 = wrapToInt16(std::int64_t{line.rapp} * 10 + std::int64_t{line.sx} * 3 + line.dx);
  cell.value1 = wrapToInt16(std::int64_t{line.s1} * 10 + line.d1);
  cell.value2 = wrapToInt16(std::int64_t{line.s2} * 10 + line.d2);
  cell.value3 = wrapToInt16(std::int64_t{line.s3} * 10 + line.d3);
  // Nonzero time values start at 101: 1 to 100 are all taken as 101.
  if (line.tempo >= 1 && line.tempo <= 100) line.tempo = 101;
  cell.signalTime = line.sx == 2 ? wrapToUint8(line.tempo) : 0;

  const std::int64_t sides = std::int64_t{line.sx} * 3 + line.dx;
  for (std::int32_t k = 1; k <= 4; ++k) {
    model.cellAt(std::int64_t{i} - 2 * k).approachMark = wrapToUint8(sides * 10 + k);
  }
  return {};
}

Refusal memo_rallentamento(Model& model, SlowDownLine line) {
  // The warning point stands in the cell after its position, the approach cells end in the one it falls in.
  const std::int32_t warningPosition = checkedSub(line.x, kWarningDistance);
  const std::int32_t w = cellAfter(warningPosition);
  const std::int32_t s = cellAfter(line.x);
  const std::int32_t e = slowDownEndCell(line);
  const bool warned = line.x > kWarnedFrom;

  if (warned) {
    if (!model.cellAt(w).isFree()) return {kErrWarningOccupied, line.x};
  } else {
    line.f_ta = 0;  // too close to the origin for a warning point and its approach
  }
  if (!model.cellAt(s).isFree()) return {kErrSlowDownStartOccupied, line.x};
  if (!model.cellAt(e).isFree()) return {kErrSlowDownEndOccupied, line.x};

  TrackCell& end = model.cellAt(e);
  end.kind = kSlowDownEnd;
  setSlowDownValue2(end, line.d_v);
  TrackCell& start = model.cellAt(s);
  start.kind = kSlowDownStart;  // a slow-down within one cell keeps its start
  setSlowDownValue2(start, line.d_v);
  if (warned) {
    TrackCell& warning = model.cellAt(w);
    warning.kind = kSlowDownWarning;
    setSlowDownValue2(warning, line.d_v);
    warning.value1 = wrapToInt16(line.v);
  }
  start.value1 = wrapToInt16(line.v);
  end.value1 = wrapToInt16(line.v);
  start.value3 = wrapToInt16(line.f_tt);
  end.value3 = wrapToInt16(line.f_tt);

  if (line.f_ta != 0) {
    const std::int32_t h = cellOf(warningPosition);
    // Tested only now: a refusal here leaves the slow-down's points written.
    for (std::int32_t j = 0; j <= 3; ++j) {
      if (!model.cellAt(std::int64_t{h} - j).isFree()) return {kErrApproachOccupied, line.x};
    }
    for (std::int32_t j = 0; j <= 3; ++j) {
      TrackCell& approach = model.cellAt(std::int64_t{h} - j);
      approach.kind = kSlowDownApproach;
      approach.value1 = static_cast<std::int16_t>(j + 1);
      if (line.d_v != 0) approach.value2 = static_cast<std::int16_t>(j + 1);
    }
  }
  return {};
}

Refusal placeSignal(Model& model, const SignalLine& line) {
  if (Refusal r = checkFeaturePosition(model, line.posizione)) return r;
  if (cellAfter(line.posizione) < kSignalApproachReach) return {kErrBeyondTrack, line.posizione};
  return memo_segnale(model, line);
}

Refusal placeSlowDown(Model& model, const SlowDownLine& line) {
  if (Refusal r = checkFeaturePosition(model, line.x)) return r;
  const std::int32_t e = slowDownEndCell(line);
  if (e < 0 || e > model.cellCount) return {kErrBeyondTrack, line.x};
  return memo_rallentamento(model, line);
}

Refusal placeCodePoint(Model& model, std::int32_t position, std::int32_t code) {
  if (Refusal r = checkFeaturePosition(model, position)) return r;
  TrackCell& cell = model.cellAt(cellOf(position));
  if (!cell.isFree()) return {kErrCodePointOccupied, position};
  if (code >= 1) {
    cell.kind = kCodePoint;
    cell.value1 = wrapToInt16(code);
  } else {
    cell.kind = kCodePointNoValue;
  }
  return {};
}

Refusal layStation(Model& model, std::int32_t row, std::int32_t platformLength) {
  ScenarioRecord& station = rowAt(model, row);
  layPlatform(station, platformLength);
  if (platformLength < 600) station.flag4 = 0;
  // After the platform: the first station's extension flag still lengthens it.
  if (row == kFirstStationRow) {
    station.flag4 = 0;
    station.flag3 = 0;
  }
  if (station.kind < kTableOnlyStationTypes) {
    if (Refusal r = markStopPoint(model, row, station)) return r;
  }
  if (row > kFirstStationRow &&
      checkedSub(station.numberA, kStationSpacing) < rowAt(model, row - 1).numberB) {
    return {kErrStationSpacing, station.numberC};
  }
  return {};
}

bool kilometrePostsOnGrid(const Model& model) {
  for (int row : {kRowKilometreTre, kRowKilometreDue, kRowKilometreUno}) {
    const ScenarioRecord& post = model.scenarioTable[static_cast<std::size_t>(row)];
    if (post.numberA % kCellLength != 0 || post.numberB % kCellLength != 0) return false;
  }
  return true;
}

}  // namespace pack
