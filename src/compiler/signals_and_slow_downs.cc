#include "compiler/signals_and_slow_downs.h"

#include "compiler/cell_codec.h"
#include "compiler/checked_math.h"
#include "compiler/error_codes.h"

namespace pack {
namespace {

using codec::kWarnedFrom;
using codec::kWarningDistance;

// Like its start, a slow-down's end stands in the cell after its position.
std::int32_t slowDownEndCell(const SlowDownLine& line) { return cellAfter(checkedAdd(line.x, line.l)); }

// A slow-down point refused on a taken cell.
EntryOutcome refused(Model& model, std::int64_t cell, std::int32_t code, std::int32_t x) {
  model.noteRefused(cell);
  return {code, x};
}

void setSlowDownValue2(TrackCell& cell, std::int32_t d_v) {
  if (d_v != 0) cell.value2 = codec::encodeSlowDownValue(d_v);
}

}  // namespace

EntryOutcome memo_segnale(Model& model, SignalLine line) {
  const std::int32_t i = cellAfter(line.posizione);
  TrackCell& cell = model.cellAt(i);
  if (!cell.isFree()) {
    model.noteRefused(i);
    return {kErrSignalOccupied, line.posizione};
  }

  cell.kind = kSignal;
  model.notePlaced(i, kSignal);
  cell.value4 = codec::encodeSignalKinds(line.rapp, line.sx, line.dx);
  cell.value1 = codec::encodeSignalDigits(line.s1, line.d1);
  cell.value2 = codec::encodeSignalDigits(line.s2, line.d2);
  cell.value3 = codec::encodeSignalDigits(line.s3, line.d3);
  cell.signalTime = codec::encodeSignalTime(line.sx, line.tempo);

  // The marks lie every second cell back from the signal, the last at the mark reach.
  constexpr std::int32_t kMarkGap = codec::kSignalMarkReach / codec::kApproachSteps;
  for (std::int32_t k = 1; k <= codec::kApproachSteps; ++k) {
    model.cellAt(std::int64_t{i} - kMarkGap * k).approachMark = codec::encodeSignalMark(line.sx, line.dx, k);
    model.noteMarked(std::int64_t{i} - kMarkGap * k);
  }
  return {};
}

EntryOutcome memo_rallentamento(Model& model, SlowDownLine line) {
  // The warning point stands in the cell after its position, the approach cells end in the one it falls in.
  const std::int32_t warningPosition = checkedSub(line.x, kWarningDistance);
  const std::int32_t w = cellAfter(warningPosition);
  const std::int32_t s = cellAfter(line.x);
  const std::int32_t e = slowDownEndCell(line);
  const bool warned = line.x > kWarnedFrom;

  if (warned) {
    if (!model.cellAt(w).isFree()) return refused(model, w, kErrWarningOccupied, line.x);
  } else {
    line.f_ta = 0;  // too close to the origin for a warning point and its approach
  }
  if (!model.cellAt(s).isFree()) return refused(model, s, kErrSlowDownStartOccupied, line.x);
  if (!model.cellAt(e).isFree()) return refused(model, e, kErrSlowDownEndOccupied, line.x);

  TrackCell& end = model.cellAt(e);
  end.kind = kSlowDownEnd;
  model.notePlaced(e, kSlowDownEnd);
  setSlowDownValue2(end, line.d_v);
  TrackCell& start = model.cellAt(s);
  start.kind = kSlowDownStart;  // a slow-down within one cell keeps its start
  model.notePlaced(s, kSlowDownStart);
  setSlowDownValue2(start, line.d_v);
  if (warned) {
    TrackCell& warning = model.cellAt(w);
    warning.kind = kSlowDownWarning;
    model.notePlaced(w, kSlowDownWarning);
    setSlowDownValue2(warning, line.d_v);
    warning.value1 = codec::encodeSlowDownValue(line.v);
  }
  start.value1 = codec::encodeSlowDownValue(line.v);
  end.value1 = codec::encodeSlowDownValue(line.v);
  start.value3 = codec::encodeSlowDownValue(line.f_tt);
  end.value3 = codec::encodeSlowDownValue(line.f_tt);

  if (line.f_ta != 0) {
    const std::int32_t h = cellOf(warningPosition);
    // Tested only now: a refusal here leaves the slow-down's points written.
    for (std::int32_t j = 0; j < codec::kApproachSteps; ++j) {
      const std::int64_t a = std::int64_t{h} - j;
      if (!model.cellAt(a).isFree()) return refused(model, a, kErrApproachOccupied, line.x);
    }
    for (std::int32_t j = 0; j < codec::kApproachSteps; ++j) {
      TrackCell& approach = model.cellAt(std::int64_t{h} - j);
      approach.kind = kSlowDownApproach;
      model.notePlaced(std::int64_t{h} - j, kSlowDownApproach);
      approach.value1 = static_cast<std::int16_t>(j + 1);
      if (line.d_v != 0) approach.value2 = static_cast<std::int16_t>(j + 1);
    }
  }
  return {};
}

EntryOutcome placeSignal(Model& model, const SignalLine& line) {
  if (EntryOutcome r = checkFeaturePosition(model, line.posizione)) return r;
  if (cellAfter(line.posizione) < codec::kSignalMarkReach) return {kErrBeyondTrack, line.posizione};
  return memo_segnale(model, line);
}

EntryOutcome placeSlowDown(Model& model, const SlowDownLine& line) {
  if (EntryOutcome r = checkFeaturePosition(model, line.x)) return r;
  const std::int32_t e = slowDownEndCell(line);
  if (e < 0 || e > model.cellCount) return {kErrBeyondTrack, line.x};
  return memo_rallentamento(model, line);
}

}  // namespace pack
