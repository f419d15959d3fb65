#include "compiler/signal_completion.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "compiler/cell_codec.h"
#include "compiler/checked_math.h"
#include "compiler/error_codes.h"
#include "compiler/minimo.h"

namespace pack {
namespace {

constexpr std::int16_t kSlowSpeedLimit = 110;    // slow-downs below this speed get the walk and the search
constexpr std::int32_t kLookBackCells = 20;      // signals this many cells before a warning point
constexpr std::int32_t kLowestLookBackCell = 3;  // a signal below it has no two cells before it to mark
constexpr std::int32_t kMarkerSpacing = 8;       // cells between the walk's markers (400 m)
constexpr std::int32_t kSearchCells = 12;        // how far past a slow-down's end a signal is looked for

using codec::kReservedCellValue;
using codec::kReservedTableValue;

// The three windows before a slow-down start that each receive one marker: {nearest, farthest} cell
// offset. A window applies only when the start lies beyond its farthest offset, so every cell exists.
struct Window {
  std::int32_t nearest;
  std::int32_t farthest;
};
constexpr Window kStartWindows[] = {{5, 7}, {11, 13}, {18, 20}};

// Cell indexes stay far inside 32 bits, so that looking a few cells ahead of one never overflows.
constexpr std::size_t kHighestCellIndex = std::numeric_limits<std::int32_t>::max() - 2 * kSearchCells;

// The highest cell index the pass may touch: cellCount, or less when fewer cells are held, so that no
// value of cellCount can lead a look outside trackCells. Negative when there is no cell to look at.
std::int32_t lastCell(const Model& model) {
  if (model.trackCells.empty()) return -1;
  std::size_t highestHeld = std::min(model.trackCells.size() - 1, kHighestCellIndex);
  std::int64_t last = std::min<std::int64_t>(model.cellCount, static_cast<std::int64_t>(highestHeld));
  return static_cast<std::int32_t>(last);
}

bool isFreeCell(Model& model, std::int32_t index) { return model.cellAt(index).isFree(); }

void placeMarker(Model& model, std::int32_t index) {
  TrackCell& cell = model.cellAt(index);
  cell.kind = kCodePoint;
  cell.value1 = kAutomaticCode;
  model.notePlaced(index, kCodePoint);
}

void recordError(Model& model, std::int32_t code, std::int32_t cell) {
  model.errorCode = code;
  model.errorPosition = checkedMul(cell, kCellLength);
}

// A code point keeps a code below the automatic one: the lower code is the more restrictive.
void lowerToAutomaticCode(Model& model, std::int32_t index) {
  TrackCell& cell = model.cellAt(index);
  cell.value1 = minimo<std::int16_t>(kAutomaticCode, cell.value1);
}

// A signal in cell k gets a code point in one of the two cells before it.
void markBeforeSignal(Model& model, std::int32_t k) {
  std::int32_t c1 = k - 1;
  std::int32_t c2 = k - 2;
  if (isFreeCell(model, c1)) {
    placeMarker(model, c1);
  } else if (isFreeCell(model, c2)) {
    placeMarker(model, c2);
  } else if (model.cellAt(c1).kind == kCodePoint) {
    lowerToAutomaticCode(model, c1);
  } else if (model.cellAt(c2).kind == kCodePoint) {
    lowerToAutomaticCode(model, c2);
  } else {
    recordError(model, kErrNoCellBeforeSignal, k);
  }
}

// A: every signal within the look-back before the warning point in cell i, the nearest first.
void completeBeforeWarning(Model& model) {
  const std::int32_t i = model.cellIndex;
  std::int32_t& j = model.stepIndex;
  for (j = 1; j <= kLookBackCells; ++j) {
    std::int32_t k = i - j;
    if (k < kLowestLookBackCell) break;
    if (model.cellAt(k).kind == kSignal) markBeforeSignal(model, k);
  }
}

// B1 to B3: one marker in the first free cell of each window. A code point already there does not count.
void markStartWindows(Model& model) {
  const std::int32_t i = model.cellIndex;
  for (const Window& window : kStartWindows) {
    if (i <= window.farthest) continue;
    bool placed = false;
    for (std::int32_t offset = window.nearest; offset <= window.farthest && !placed; ++offset) {
      if (isFreeCell(model, i - offset)) {
        placeMarker(model, i - offset);
        placed = true;
      }
    }
    if (!placed) recordError(model, kErrNoCellInWindow, i);
  }
}

// One due marker of the walk at cell j: in j, else one early, else one late. The counter is reset so
// that the next one falls due kMarkerSpacing cells after the marker actually placed; when none can be
// placed it stays at kMarkerSpacing and never falls due again in this walk.
void placeWalkMarker(Model& model, std::int32_t last) {
  const std::int32_t j = model.stepIndex;
  if (isFreeCell(model, j)) {
    placeMarker(model, j);
    model.markerCounter = 0;
  } else if (isFreeCell(model, j - 1)) {
    placeMarker(model, j - 1);
    model.markerCounter = 1;
  } else if (j + 1 <= last && isFreeCell(model, j + 1)) {
    placeMarker(model, j + 1);
    model.markerCounter = -1;
  } else {
    recordError(model, kErrNoCellInWalk, j);
  }
}

// B4: from the start in cell i up to its end (or the last cell when no end follows), a marker every
// kMarkerSpacing cells. Leaves the cell it stopped at in stepIndex.
void walkSlowDown(Model& model, std::int32_t last) {
  std::int32_t& j = model.stepIndex;
  model.markerCounter = 0;
  j = model.cellIndex;
  do {
    ++j;
    ++model.markerCounter;
    if (model.markerCounter == kMarkerSpacing) placeWalkMarker(model, last);
  } while (model.cellAt(j).kind != kSlowDownEnd && j < last);
}

// B5: the first signal within kSearchCells after the walk's last cell gets a marker in one of the two
// cells before it. markerCounter holds the cell found, scanIndex the search position.
void markSignalAfterEnd(Model& model, std::int32_t last) {
  const std::int32_t j = model.stepIndex;
  std::int32_t& found = model.markerCounter;
  std::int32_t& m = model.scanIndex;
  found = 0;
  const std::int32_t searchEnd = j + std::min(kSearchCells, last - j);
  for (m = j; m <= searchEnd; ++m) {
    if (model.cellAt(m).kind == kSignal) {
      found = m - 1;
      break;
    }
  }
  if (found <= 0) return;
  if (isFreeCell(model, found)) {
    placeMarker(model, found);
  } else if (isFreeCell(model, found - 1)) {
    placeMarker(model, found - 1);
  } else {
    recordError(model, kErrNoCellInWalk, j);
  }
}

// B: the slow-down start in cell i.
void completeAroundSlowDown(Model& model, std::int32_t last) {
  markStartWindows(model);
  if (model.cellAt(model.cellIndex).value1 >= kSlowSpeedLimit) return;
  walkSlowDown(model, last);
  markSignalAfterEnd(model, last);
}

}  // namespace

void completeSignalCodes(Model& model) {
  const std::int32_t last = lastCell(model);
  std::int32_t& i = model.cellIndex;
  // Cells are looked at in place, so a marker placed earlier in the pass counts as occupied later.
  for (i = 1; i <= last - 2; ++i) {
    std::uint8_t kind = model.cellAt(i).kind;
    if (kind == kSlowDownWarning) {
      completeBeforeWarning(model);
    } else if (kind == kSlowDownStart) {
      completeAroundSlowDown(model, last);
    }
  }
}

std::int32_t checkReservedSlots(Model& model) {
  // Without cell 1 there is no slot for the reserved cell value: the slots cannot be made as required.
  if (model.trackCells.size() < 2) return kErrReservedTableSlot;
  ScenarioRecord& row = model.scenarioTable[kRowScenario];
  TrackCell& cell = model.trackCells[1];
  if (row.param1 != 0 || cell.value1 != 0) return kErrReservedTableSlot;
  row.param1 = kReservedTableValue;
  cell.value1 = kReservedCellValue;
  if (row.numberD != 0 || cell.value2 != 0) return kErrReservedCodeSlot;
  return 0;
}

}  // namespace pack
