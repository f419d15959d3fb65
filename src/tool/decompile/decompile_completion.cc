#include "tool/decompile/decompile_completion.h"

#include <algorithm>
#include <optional>
#include <set>

#include "compiler/signal_completion.h"

namespace pack {
namespace {

// The pass looks at most this many cells back from the cell it stands on (a warning point's look-back,
// the windows before a start) and one ahead (a walk's late marker).
constexpr std::size_t kLookBack = 24;
// Rounds of the search; files made by this compiler need one a hand-placed automatic code.
constexpr int kMostRounds = 64;

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

  // The pass runs forward over the cells: find the first cell where it goes another way than the files,
  // and keep by hand the automatic code point near it that takes the pass furthest, or that leaves the
  // fewest cells going another way. A code point kept by hand just before a due marker moves every later
  // one, so the nearest missing one is not always it.
  const std::vector<TrackCell>& target = state.work;
  struct Disagreement {
    std::size_t first;
    std::size_t cells;
  };
  auto disagreement = [&](const std::set<std::size_t>& kept) {
    std::vector<TrackCell> cells = completed(base, kept, state.cellCount);
    Disagreement d{cells.size(), 0};
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (isAutomatic(cells[c]) == isAutomatic(target[c])) continue;
      d.first = std::min(d.first, c);
      ++d.cells;
    }
    return d;
  };
  // Two ways to weigh a choice; the second is tried when the first does not explain every cell.
  auto search = [&](bool furthestFirst) {
    std::set<std::size_t> kept;
    Disagreement now = disagreement(kept);
    auto better = [&](const Disagreement& a, const Disagreement& b) {
      if (furthestFirst) return a.first > b.first || (a.first == b.first && a.cells < b.cells);
      return a.cells < b.cells || (a.cells == b.cells && a.first > b.first);
    };
    for (int round = 0; round < kMostRounds && now.cells > 0; ++round) {
      std::optional<std::size_t> bestCell;
      Disagreement best = now;
      for (std::size_t c : automatic) {
        if (kept.contains(c) || c + kLookBack < now.first || c > now.first + 1) continue;
        std::set<std::size_t> trial = kept;
        trial.insert(c);
        Disagreement d = disagreement(trial);
        if (better(d, best)) {
          best = d;
          bestCell = c;
        }
      }
      if (!bestCell) break;  // no choice near it helps: the files are not the pass's work
      kept.insert(*bestCell);
      now = best;
    }
    // An early choice may have been needed only until a later one was made: drop what the rest does
    // without.
    for (auto it = kept.begin(); it != kept.end();) {
      std::set<std::size_t> trial = kept;
      trial.erase(*it);
      Disagreement d = disagreement(trial);
      if (d.cells <= now.cells) {
        now = d;
        it = kept.erase(it);
      } else {
        ++it;
      }
    }
    return std::pair{kept, now.cells};
  };
  auto [kept, left] = search(true);
  if (left > 0) {
    auto [other, otherLeft] = search(false);
    if (otherLeft < left) kept = other;
  }
  // Whatever the pass still does not place again must have been placed by hand.
  std::vector<TrackCell> cells = completed(base, kept, state.cellCount);
  for (std::size_t c : automatic) {
    if (!isAutomatic(cells[c])) kept.insert(c);
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
