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

// Where the pass, given the code points kept by hand, goes another way than the files: the first such
// cell and how many there are.
struct Disagreement {
  std::size_t first;
  std::size_t cells;
};

// The pass runs forward over the cells: find the first cell where it goes another way than the files,
// and keep by hand the automatic code point near it that takes the pass furthest, or that leaves the
// fewest cells going another way. A code point kept by hand just before a due marker moves every later
// one, so the nearest missing one is not always it.
class HandPlacedSearch {
 public:
  HandPlacedSearch(const std::vector<TrackCell>& base, const std::vector<TrackCell>& target,
                   const std::vector<std::size_t>& automatic, std::int32_t cellCount)
      : base_(base), target_(target), automatic_(automatic), cellCount_(cellCount) {}

  // The code points kept by hand and the cells still going another way. Two ways to weigh a choice;
  // the second is tried when the first does not explain every cell.
  std::set<std::size_t> best() const {
    auto [kept, left] = search(true);
    if (left > 0) {
      auto [other, otherLeft] = search(false);
      if (otherLeft < left) kept = other;
    }
    return kept;
  }

 private:
  Disagreement disagreement(const std::set<std::size_t>& kept) const {
    std::vector<TrackCell> cells = completed(base_, kept, cellCount_);
    Disagreement d{cells.size(), 0};
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (isAutomatic(cells[c]) == isAutomatic(target_[c])) continue;
      d.first = std::min(d.first, c);
      ++d.cells;
    }
    return d;
  }

  std::pair<std::set<std::size_t>, std::size_t> search(bool furthestFirst) const {
    std::set<std::size_t> kept;
    Disagreement now = disagreement(kept);
    for (int round = 0; round < kMostRounds && now.cells > 0; ++round) {
      if (!keepOneMore(kept, now, furthestFirst)) break;  // no choice near it helps: the files are not the pass's work
    }
    dropUnneeded(kept, now);
    return std::pair{kept, now.cells};
  }

  // Keeps the automatic code point near the first disagreement that helps most; false when none helps.
  bool keepOneMore(std::set<std::size_t>& kept, Disagreement& now, bool furthestFirst) const {
    auto better = [&](const Disagreement& a, const Disagreement& b) {
      if (furthestFirst) return a.first > b.first || (a.first == b.first && a.cells < b.cells);
      return a.cells < b.cells || (a.cells == b.cells && a.first > b.first);
    };
    std::optional<std::size_t> bestCell;
    Disagreement best = now;
    for (std::size_t c : automatic_) {
      if (kept.contains(c) || c + kLookBack < now.first || c > now.first + 1) continue;
      std::set<std::size_t> trial = kept;
      trial.insert(c);
      Disagreement d = disagreement(trial);
      if (better(d, best)) {
        best = d;
        bestCell = c;
      }
    }
    if (!bestCell) return false;
    kept.insert(*bestCell);
    now = best;
    return true;
  }

  // An early choice may have been needed only until a later one was made: drop what the rest does
  // without.
  void dropUnneeded(std::set<std::size_t>& kept, Disagreement& now) const {
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
  }

  const std::vector<TrackCell>& base_;
  const std::vector<TrackCell>& target_;
  const std::vector<std::size_t>& automatic_;
  std::int32_t cellCount_;
};

// Frees the cells of the automatic code points, the pass's own work, and lists them.
std::vector<std::size_t> clearAutomatic(std::vector<TrackCell>& cells) {
  std::vector<std::size_t> automatic;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (!isAutomatic(cells[c])) continue;
    automatic.push_back(c);
    // A pass's code point stands on a free cell; a mountain marker it covered is the mountains' concern.
    cells[c].kind = kFree;
    cells[c].value1 = 0;
  }
  return automatic;
}

void listUserCodePoints(DecompileState& state) {
  state.userCodePoints.clear();
  for (std::size_t c = 0; c < state.work.size(); ++c) {
    std::uint8_t kind = state.work[c].kind;
    if (kind == kCodePoint || kind == kCodePointNoValue) state.userCodePoints.push_back(static_cast<std::int32_t>(c));
  }
}

}  // namespace

void undoCompletion(DecompileState& state) {
  std::vector<TrackCell> base = state.work;
  const std::vector<std::size_t> automatic = clearAutomatic(base);
  std::set<std::size_t> kept = HandPlacedSearch(base, state.work, automatic, state.cellCount).best();
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
  listUserCodePoints(state);
}

}  // namespace pack
