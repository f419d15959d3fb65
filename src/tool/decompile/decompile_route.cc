#include "tool/decompile/decompile_route.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "compiler/cell_codec.h"
#include "formats/route_format.h"
#include "tool/decompile/decompile_values.h"

namespace pack {
namespace {

constexpr std::int32_t kMarkerStep = codec::kMountainMarkerSpacing;
constexpr std::int32_t kEmptyStretchBack = 200;

struct Stretch {
  std::int32_t first = 0;
  std::int32_t last = 0;
  std::uint8_t type = 0;
  bool marked = false;
};

bool hidesMarker(std::uint8_t kind) { return kind != kFree && kind != kMountainMark; }

// What a cell of a mountain run shows of the stretches' marker cells.
enum class Seen { kMarker, kNone, kHidden };

class MountainRun {
 public:
  MountainRun(DecompileState& state, std::int32_t first, std::int32_t last) : first_(first), last_(last) {
    for (std::int32_t c = first; c <= last; ++c) {
      std::uint8_t kind = state.in.cells[static_cast<std::size_t>(c)].kind;
      seen_.push_back(kind == kMountainMark ? Seen::kMarker : hidesMarker(kind) ? Seen::kHidden : Seen::kNone);
    }
  }

  Seen at(std::int32_t c) const { return seen_[static_cast<std::size_t>(c - first_)]; }
  void hide(std::int32_t c) { seen_[static_cast<std::size_t>(c - first_)] = Seen::kHidden; }

  // The last cell a stretch starting at `start` can reach: a marked one needs a marker (or a covered
  // cell) on every fourth cell and none between; a plain one no marker at all.
  std::int32_t reach(std::int32_t start, bool marked) const {
    for (std::int32_t c = start; c <= last_; ++c) {
      bool place = (c - start) % kMarkerStep == kMarkerStep - 1;
      Seen s = at(c);
      if (marked && place && s == Seen::kNone) return c - 1;
      if ((!marked || !place) && s == Seen::kMarker) return c - 1;
    }
    return last_;
  }

  std::int32_t firstMarkerAfter(std::int32_t c) const {
    for (++c; c <= last_; ++c) {
      if (at(c) == Seen::kMarker) return c;
    }
    return -1;
  }

 private:
  std::int32_t first_;
  std::int32_t last_;
  std::vector<Seen> seen_;
};

struct Start {
  std::int32_t cell;
  bool marked;
  std::int32_t reach;
};

// Splits a run of cells of one mountain kind into as few stretches as agree with its marker cells: from
// each start the stretch that reaches furthest, and the next stretch starts where it reaches furthest in
// turn (just after, or earlier where a marker further on sets its step).
std::vector<Stretch> splitRun(DecompileState& state, std::int32_t first, std::int32_t last, std::uint8_t type) {
  MountainRun run(state, first, last);
  auto best = [&](std::int32_t cell) {
    Start marked{cell, true, run.reach(cell, true)};
    Start plain{cell, false, run.reach(cell, false)};
    return marked.reach > plain.reach ? marked : plain;  // a plain stretch where both reach as far
  };
  std::vector<Stretch> stretches;
  Start current = best(first);
  while (true) {
    if (current.reach < current.cell) {
      // A marker in the first cells of a run: no stretch of this kind places it.
      state.problem(cellName(current.cell), "mountain marker that no stretch of this mountain kind places");
      run.hide(current.cell);
      current = best(current.cell);
      continue;
    }
    if (current.reach == last) break;
    Start next = best(current.reach + 1);
    std::int32_t marker = run.firstMarkerAfter(current.reach);
    if (marker >= 0) {
      std::int32_t aligned = current.reach + 1 - ((current.reach + 1 - (marker - (kMarkerStep - 1))) % kMarkerStep +
                                                  kMarkerStep) % kMarkerStep;
      if (aligned > current.cell) {
        Start shifted{aligned, true, run.reach(aligned, true)};
        if (shifted.reach > next.reach) next = shifted;
      }
    }
    stretches.push_back({current.cell, next.cell - 1, type, current.marked});
    current = next;
  }
  stretches.push_back({current.cell, last, type, current.marked});
  return stretches;
}

std::vector<Stretch> mountainStretches(DecompileState& state) {
  const auto& cells = state.in.cells;
  std::vector<Stretch> stretches;
  std::size_t c = 0;
  while (c < cells.size()) {
    std::uint8_t type = cells[c].mountainKind;
    std::size_t end = c;
    while (end + 1 < cells.size() && cells[end + 1].mountainKind == type) ++end;
    if (type != 0) {
      for (const Stretch& s : splitRun(state, static_cast<std::int32_t>(c), static_cast<std::int32_t>(end), type)) {
        stretches.push_back(s);
      }
    }
    c = end + 1;
  }
  return stretches;
}


}  // namespace

void recoverMountains(DecompileState& state) {
  SourceSection& section = state.out.route.section("[montagne]");
  const std::string key(kMountainEntry.writtenKey);
  std::optional<std::int64_t> previousEnd;
  int count = 0;
  for (const Stretch& s : mountainStretches(state)) {
    std::int64_t inizio = std::int64_t{s.first} * kCellLength;
    std::int64_t fine = (std::int64_t{s.last} + 1) * kCellLength;
    const bool close = previousEnd && inizio - *previousEnd <= codec::kMountainJoinGap;
    if (close && s.type != codec::kMountainJoined) {
      // Close after the stretch before it, this one would be joined (type 3): an entry covering no cell
      // comes between them.
      std::int64_t emptyEnd = std::min<std::int64_t>(0, inizio - kEmptyStretchBack);
      section.entries.push_back({key, {num(inizio), num(emptyEnd), "0"},
                                 "covers no cell: keeps the next stretch from being joined to the one before"});
      state.note(cellName(s.first), "mountain stretches meet here with different kinds: an empty stretch keeps them apart");
      ++count;
    }
    // A stretch joined to the one before it is written with a plain type: the compile makes it 3.
    section.entries.push_back({key, {num(inizio), num(fine), num(codec::writtenMountainType(s.type, s.marked, close))}, ""});
    previousEnd = fine;
    ++count;
  }
  if (count > kMaxMountains) {
    state.problem("route", num(count) + " mountain entries are needed; the compile takes " + num(kMaxMountains));
  }
}

void recoverSpeedBoards(DecompileState& state) {
  SourceSection& section = state.out.route.section("[cartelli]");
  for (std::size_t c = 0; c < state.work.size(); ++c) {
    const TrackCell& cell = state.work[c];
    if (cell.kind != kSpeedBoard) continue;
    if (c == 0) state.problem(cellName(0), "speed-indicator board in cell 0, where no board position leads");
    // The first speed takes the whole steps of the packing, the second set the rest.
    auto split = [](std::int16_t v) {
      codec::PackedPair pair = codec::splitBoardSpeeds(v);
      return std::pair<std::string, std::string>{num(pair.high), pair.units == 0 ? "" : num(codec::decodeSpeed(static_cast<std::uint8_t>(pair.units)))};
    };
    auto [vas, vad] = split(cell.value1);
    auto [vbs, vbd] = split(cell.value2);
    auto [vcs, vcd] = split(cell.value3);
    codec::PackedPair stripes = codec::splitBoardStripes(cell.value4);
    section.entries.push_back({std::string(kSpeedBoardEntry.writtenKey),
                               {num(codec::placedMetre(c)), vas, vbs, vcs, num(stripes.high), vad, vbd, vcd,
                                num(stripes.units)},
                               ""});
  }
}

void recoverTextBoards(DecompileState& state) {
  SourceSection& section = state.out.route.section("[indicazioni]");
  const auto& table = state.in.table;
  std::map<std::int32_t, std::vector<std::int32_t>> cellsOfRow;
  std::vector<std::int32_t> stopPoints;
  for (std::size_t c = 0; c < state.work.size(); ++c) {
    const TrackCell& cell = state.work[c];
    if (cell.kind == kTextBoard) cellsOfRow[cell.value1].push_back(static_cast<std::int32_t>(c));
    if (cell.kind == kStopPoint) stopPoints.push_back(static_cast<std::int32_t>(c));
  }
  std::int32_t lowest = lowestBoardRow(table);
  for (const auto& [row, cells] : cellsOfRow) {
    if (row > codec::stationRowCount(table) && row < lowest) lowest = row;
  }
  for (const auto& [row, cells] : cellsOfRow) {
    if (row < lowest || row > kFirstBoardRow) {
      for (std::int32_t c : cells) state.problem(cellName(c), "text board pointing to " + rowName(row) + ", not a board row");
    }
  }
  std::set<std::int32_t> covered;
  for (std::int32_t row = kFirstBoardRow; row >= lowest; --row) {
    const std::string& text = table[static_cast<std::size_t>(row)].text;
    std::int32_t cell = -1;
    std::string note;
    auto found = cellsOfRow.find(row);
    if (found != cellsOfRow.end()) {
      cell = found->second.front();
      if (found->second.size() > 1) state.problem(cellName(found->second[1]), "a second text board for " + rowName(row));
    } else {
      // The board's cell was taken over by a station's stop point, which is laid without a free-cell test.
      for (std::int32_t c : stopPoints) {
        if (!covered.contains(c)) {
          cell = c;
          covered.insert(c);
          break;
        }
      }
      if (cell < 0) {
        state.problem(rowName(row), "board text that no cell points to");
        continue;
      }
      note = "the board of " + rowName(row) + " lies under the stop point of " + cellName(cell) +
             "; its own cell is lost: this one was chosen";
      state.note(rowName(row), note);
    }
    if (cell == 0) state.problem(cellName(0), "text board in cell 0, where no board position leads");
    section.entries.push_back({std::string(kTextBoardEntry.writtenKey),
                               {num((std::int64_t{cell} - 1) * kCellLength), writableText(state, text, rowName(row))},
                               note});
  }
}

}  // namespace pack
