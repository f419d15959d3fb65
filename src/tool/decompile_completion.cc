#include "tool/decompile_completion.h"

#include <set>

#include "compiler/signal_completion.h"

namespace pack {
namespace {

bool isAutomatic(const TrackCell& cell) { return cell.kind == kCodePoint && cell.value1 == kAutomaticCode; }

// The cells as the pass would finish them, when the code points in `kept` were placed by hand.
std::vector<TrackCell> completed(const std::vector<TrackCell>& base, const std::set<std::size_t>& kept,
                                 std::int32_t cellCount) {
  Model model;
  model.trackCells = base;
  for (std::size_t c : kept) {
    model.trackCells[c].kind = kCodePoint;
    model.trackCells[c].value1 = kAutomaticCode;
  }
  model.cellCount = cellCount;
  completeSignalCodes(model);
  return std::move(model.trackCells);
}

}  // namespace

void undoCompletion(DecompileState& state) {
  std::vector<TrackCell> base = state.work;
  std::vector<std::size_t> automatic;
  for (std::size_t c = 0; c < base.size(); ++c) {
    if (!isAutomatic(base[c])) continue;
    automatic.push_back(c);
    // A pass's code point stands on a free cell; a mountain marker it covered is the mountains' concern.
    base[c].kind = kFree;
    base[c].value1 = 0;
  }

  // Start from none kept by hand; each round keeps those the pass did not place again. A kept code point
  // only takes cells from the pass, so the rounds end.
  std::set<std::size_t> kept;
  for (std::size_t round = 0; round <= automatic.size(); ++round) {
    std::vector<TrackCell> cells = completed(base, kept, state.cellCount);
    bool changed = false;
    for (std::size_t c : automatic) {
      if (!kept.contains(c) && !isAutomatic(cells[c])) {
        kept.insert(c);
        changed = true;
      }
    }
    if (!changed) break;
  }

  for (std::size_t c : kept) {
    base[c].kind = kCodePoint;
    base[c].value1 = kAutomaticCode;
  }
  state.work = std::move(base);
  state.userCodePoints.clear();
  for (std::size_t c = 0; c < state.work.size(); ++c) {
    std::uint8_t kind = state.work[c].kind;
    if (kind == kCodePoint || kind == kCodePointNoValue) state.userCodePoints.push_back(static_cast<std::int32_t>(c));
  }
}

}  // namespace pack
