#include "tool/decompile/decompile_train_run.h"

#include <map>
#include <optional>
#include <queue>
#include <set>
#include <string>

#include "compiler/cell_codec.h"
#include "compiler/rounding.h"
#include "formats/train_run_format.h"
#include "tool/decompile/decompile_values.h"

namespace pack {
namespace {

using codec::kWarnedFrom;
using codec::kWarningCells;
constexpr std::int64_t kLeftProtection = static_cast<int>(codec::SignalKind::kProtection);  // keeps its time

std::string position(std::int64_t cellAfterPosition) { return num((cellAfterPosition - 1) * kCellLength); }

// An entry and the approach marks it writes (cell, mark), for the order of the lines.
struct Placed {
  SourceEntry entry;
  std::vector<std::pair<std::int32_t, std::uint8_t>> marks;
  bool station = false;
  std::int32_t rank = 0;  // the order used where the marks leave it free: stations first, then by cell
};

Placed station(DecompileState& state, std::int32_t r) {
  const ScenarioRecord& row = state.in.table[static_cast<std::size_t>(r)];
  const std::int64_t s = row.numberC;
  std::int64_t platform = 0;
  std::int64_t extension = 0;
  std::string note;
  if (codec::platformRunsBack(row.kind)) {
    platform = s - row.numberA;
    std::int64_t end = codec::platformEndFixed(row.kind) ? s + codec::kShortPlatformBeyond : s + platform;
    if (end != row.numberB) state.problem(rowName(r), "platform end " + num(row.numberB) + " does not follow from its type");
  } else {
    platform = 2 * (s - row.numberA);
    std::int64_t beyond = row.numberB - (s + platform / 2);
    if (beyond != 0 && beyond != codec::kPlatformExtension) state.problem(rowName(r), "platform end " + num(row.numberB) + " is not centred on the station");
    if (r == 1) {
      extension = beyond == codec::kPlatformExtension ? 1 : 0;
      if (extension != 0) {
        note = "the first station keeps no extension flag: 1 written for the platform end 50 m further";
        state.note(rowName(r), note);
      }
    } else {
      extension = row.flag3;
      if ((extension != 0) != (beyond == codec::kPlatformExtension)) state.problem(rowName(r), "extension flag and platform end disagree");
    }
  }
  // Hours, minutes and seconds of the same sign give the stored seconds back.
  const codec::ClockTime time = codec::decodeStationTime(row.numberD);

  Placed placed;
  placed.station = true;
  placed.rank = r;
  placed.entry = {std::string(kStationEntry.writtenKey),
                  {num(s), num(row.kind), num(platform), num(row.option), num(row.flag4), num(extension),
                   num(row.param1), num(row.param2), num(row.flag1), num(row.param3), num(row.param4),
                   num(row.param5), num(row.flag2), num(time.hours), num(time.minutes), num(time.seconds),
                   writableText(state, row.text, rowName(r))},
                  note};
  if (codec::marksApproach(row.kind)) {
    for (int j = 1; j <= codec::kApproachSteps; ++j) {
      double q = row.numberB / double{kCellLength} - j - 1;
      if (q > 1) placed.marks.push_back({roundHalfEven<std::int32_t>(q), codec::encodeStationMark(j)});
    }
  }
  return placed;
}

// Tens and units of a packed pair, the units from 0 to 9.
std::pair<std::string, std::string> digits(std::int16_t packed) {
  codec::PackedPair pair = codec::splitSignalPacking(packed);
  return {num(pair.high), num(pair.units)};
}

Placed signal(DecompileState& state, std::int32_t i) {
  const TrackCell& cell = state.work[static_cast<std::size_t>(i)];
  // value4 packs rapp and the two kinds: the units are the kinds.
  codec::PackedPair packing = codec::splitSignalPacking(cell.value4);
  std::int64_t sides = packing.units;
  std::int64_t rapp = packing.high;
  std::int64_t sx = codec::leftSide(sides);
  std::int64_t dx = codec::rightSide(sides);
  // Only a protection signal on the left keeps its time.
  if (cell.signalTime != 0 && sx != kLeftProtection) {
    sx = kLeftProtection;
    dx = codec::rightFor(sides, kLeftProtection);
  }
  std::int64_t time = sx == kLeftProtection ? cell.signalTime : 0;
  std::string note;
  if (sx == kLeftProtection && cell.signalTime == codec::kLowestSignalTime) {
    note = "a time of " + num(codec::kLowestSignalTime) + " is stored for every time from 1 to " +
           num(codec::kLowestSignalTime) + ": " + num(codec::kLowestSignalTime) + " written";
    state.note(cellName(i), note);
  }
  auto [s1, d1] = digits(cell.value1);
  auto [s2, d2] = digits(cell.value2);
  auto [s3, d3] = digits(cell.value3);
  Placed placed;
  placed.rank = 1000 + i;
  placed.entry = {std::string(kSignalEntry.writtenKey),
                  {position(i), num(sx), s1, s2, s3, num(rapp), num(dx), d1, d2, d3, num(time)},
                  note};
  constexpr std::int32_t kMarkGap = codec::kSignalMarkReach / codec::kApproachSteps;
  for (int k = 1; k <= codec::kApproachSteps; ++k) {
    placed.marks.push_back({i - kMarkGap * k, codec::encodeSignalMark(sx, dx, k)});
  }
  return placed;
}

// The entries that write an approach mark into each cell: (entry, mark) by cell, for cells of the track.
using MarkWriters = std::map<std::int32_t, std::vector<std::pair<std::size_t, std::uint8_t>>>;

MarkWriters markWriters(const DecompileState& state, const std::vector<Placed>& placed) {
  MarkWriters writers;
  for (std::size_t a = 0; a < placed.size(); ++a) {
    for (auto [cell, mark] : placed[a].marks) {
      if (cell >= 0 && static_cast<std::size_t>(cell) < state.in.cells.size()) writers[cell].push_back({a, mark});
    }
  }
  return writers;
}

std::uint8_t shownMark(const DecompileState& state, std::int32_t cell) {
  return state.in.cells[static_cast<std::size_t>(cell)].approachMark;
}

// Cells showing a mark that none of the entries writing there writes: reported, and settled already.
std::set<std::int32_t> unexplainedMarks(DecompileState& state, const MarkWriters& writers) {
  std::set<std::int32_t> settled;
  for (const auto& [cell, list] : writers) {
    bool explained = false;
    for (auto [a, mark] : list) explained = explained || mark == shownMark(state, cell);
    if (!explained) {
      state.problem(cellName(cell), "approach mark " + num(shownMark(state, cell)) + " that no station or signal here writes");
      settled.insert(cell);
    }
  }
  return settled;
}

// Marks of each entry that a cell shows otherwise and nothing covers yet.
std::vector<int> blockedMarks(const DecompileState& state, const MarkWriters& writers,
                              const std::set<std::int32_t>& settled, std::size_t entries) {
  std::vector<int> blocked(entries, 0);
  for (const auto& [cell, list] : writers) {
    if (settled.contains(cell)) continue;
    for (auto [a, mark] : list) blocked[a] += mark != shownMark(state, cell) ? 1 : 0;
  }
  return blocked;
}

// The entries from the last line to the first; fewer than all when no order explains every mark.
std::vector<std::size_t> orderFromEnd(const DecompileState& state, const std::vector<Placed>& placed,
                                      const MarkWriters& writers, std::set<std::int32_t> settled,
                                      std::vector<int> blocked) {
  const std::size_t n = placed.size();
  std::vector<std::size_t> stations;
  for (std::size_t a = 0; a < n; ++a) {
    if (placed[a].station) stations.push_back(a);
  }
  auto byRank = [&](std::size_t a, std::size_t b) { return placed[a].rank < placed[b].rank; };
  std::priority_queue<std::size_t, std::vector<std::size_t>, decltype(byRank)> ready(byRank);
  for (std::size_t a = 0; a < n; ++a) {
    if (!placed[a].station && blocked[a] == 0) ready.push(a);
  }
  auto offerLastStation = [&] {
    if (!stations.empty() && blocked[stations.back()] == 0) ready.push(stations.back());
  };
  offerLastStation();
  std::vector<bool> done(n, false);
  std::vector<std::size_t> fromEnd;
  while (!ready.empty()) {
    std::size_t a = ready.top();
    ready.pop();
    if (done[a]) continue;
    done[a] = true;
    fromEnd.push_back(a);
    for (auto [cell, mark] : placed[a].marks) {
      if (!writers.contains(cell) || !settled.insert(cell).second) continue;
      for (auto [b, other] : writers.at(cell)) {
        if (done[b] || other == shownMark(state, cell) || --blocked[b] != 0) continue;
        if (!placed[b].station) ready.push(b);
      }
    }
    if (placed[a].station) {
      stations.pop_back();
      offerLastStation();
    } else if (!stations.empty() && blocked[stations.back()] == 0) {
      offerLastStation();
    }
  }
  return fromEnd;
}

// Stations keep their order; beyond that, where entries mark the same cell, one whose mark the cell
// shows comes after the others. Built from the end: any entry whose marks all show (or are covered by
// entries already placed after it) may go last, and placing it never stands in another's way; of those
// that may, the one the usual layout puts latest (signals after stations, in the order of their cells).
std::vector<Placed> orderByMarks(DecompileState& state, std::vector<Placed> placed) {
  const MarkWriters writers = markWriters(state, placed);
  std::set<std::int32_t> settled = unexplainedMarks(state, writers);
  std::vector<int> blocked = blockedMarks(state, writers, settled, placed.size());
  const std::vector<std::size_t> fromEnd = orderFromEnd(state, placed, writers, std::move(settled), std::move(blocked));
  if (fromEnd.size() != placed.size()) {
    state.problem("train run", "the approach marks ask for an order of stations and signals that none has");
    return placed;
  }
  std::vector<Placed> ordered;
  for (auto it = fromEnd.rbegin(); it != fromEnd.rend(); ++it) ordered.push_back(placed[*it]);
  return ordered;
}

struct SlowDownCells {
  std::set<std::int32_t> ends, warnings, approaches;
};

const TrackCell* cellAt(const std::vector<TrackCell>& cells, std::int64_t c) {
  return c >= 0 && static_cast<std::size_t>(c) < cells.size() ? &cells[static_cast<std::size_t>(c)] : nullptr;
}

// A slow-down's end: the nearest unused end cell after its start with the same values; the start itself
// when both fell on one cell.
std::int32_t takeEnd(const std::vector<TrackCell>& cells, std::int32_t s, std::set<std::int32_t>& ends) {
  const TrackCell& start = cells[static_cast<std::size_t>(s)];
  std::int32_t end = s;
  for (std::int32_t e : ends) {
    const TrackCell& cell = cells[static_cast<std::size_t>(e)];
    if (e > s && cell.value1 == start.value1 && cell.value2 == start.value2 && cell.value3 == start.value3) {
      end = e;
      break;
    }
  }
  ends.erase(end);
  return end;
}

// Whether the start at cell `s` has its warning point; moves `x` (the written start) where only a start
// inside the cell explains one.
bool takeWarning(DecompileState& state, std::int32_t s, std::set<std::int32_t>& warnings, std::int64_t& x,
                 std::string& note) {
  const TrackCell& start = state.work[static_cast<std::size_t>(s)];
  const TrackCell* warning = cellAt(state.work, std::int64_t{s} - kWarningCells);
  bool warned = warning != nullptr && warning->kind == kSlowDownWarning && warning->value1 == start.value1 &&
                warnings.contains(s - kWarningCells);
  if (warned) {
    warnings.erase(s - kWarningCells);
    if (x <= kWarnedFrom) {
      // The start's cell reaches just past the limit: only a start inside the cell has a warning point.
      x = kWarnedFrom + 1;
      note = "a warning point needs a start beyond " + num(kWarnedFrom) + " m: " + num(x) +
             " written, inside the start's cell";
      state.note(cellName(s), note);
    }
  } else if (x > kWarnedFrom) {
    state.problem(cellName(s), "slow-down start beyond " + num(kWarnedFrom) + " m without its warning point");
  }
  return warned;
}

// How far before the start its approach cells lie, and the start written for that.
struct Reach {
  std::int64_t cells;
  std::int64_t x;
};

// The approach cells lie 25 cells before the start; for a start halfway inside its cell the rounding
// of the two positions puts them one cell nearer or further. The first reach whose cells are all there
// and unused takes them.
std::optional<Reach> takeApproach(const std::vector<TrackCell>& cells, std::int32_t s,
                                  std::set<std::int32_t>& approaches) {
  const std::int64_t grid = (std::int64_t{s} - 1) * kCellLength;
  std::vector<Reach> reaches = {{kWarningCells + 1, grid}};
  if (s % 2 == 0) {
    reaches.push_back({kWarningCells + 2, grid - kCellLength / 2});
    reaches.push_back({kWarningCells, grid + kCellLength / 2});
  }
  for (const Reach& reach : reaches) {
    bool found = true;
    for (std::int64_t j = 0; j < codec::kApproachSteps; ++j) {
      std::int64_t c = std::int64_t{s} - reach.cells - j;
      const TrackCell* cell = cellAt(cells, c);
      found = found && cell != nullptr && cell->kind == kSlowDownApproach && cell->value1 == j + 1 &&
              approaches.contains(static_cast<std::int32_t>(c));
    }
    if (!found) continue;
    for (std::int64_t j = 0; j < codec::kApproachSteps; ++j) approaches.erase(static_cast<std::int32_t>(s - reach.cells - j));
    return reach;
  }
  return std::nullopt;
}

SourceEntry slowDown(DecompileState& state, std::int32_t s, SlowDownCells& unused) {
  const TrackCell& start = state.work[static_cast<std::size_t>(s)];
  const std::int32_t end = takeEnd(state.work, s, unused.ends);
  const std::int64_t grid = (std::int64_t{s} - 1) * kCellLength;
  std::int64_t x = grid;
  std::string note;
  const bool warned = takeWarning(state, s, unused.warnings, x, note);
  const std::optional<Reach> approach = warned ? takeApproach(state.work, s, unused.approaches) : std::nullopt;
  if (approach && approach->x != grid) {
    x = approach->x;
    note = "only a start halfway inside its cell puts the approach cells here: " + num(x) + " written";
    state.note(cellName(s), note);
  }
  std::int64_t length = (std::int64_t{end} - 1) * kCellLength - x;
  return {std::string(kSlowDownEntry.writtenKey),
          {num(x), num(start.value1), num(length), num(start.value3), approach ? "1" : "0", num(start.value2)},
          note};
}

}  // namespace

void recoverTrainRunFeatures(DecompileState& state) {
  std::vector<Placed> placed;
  for (std::int32_t r = 1; r <= codec::stationRowCount(state.in.table); ++r) placed.push_back(station(state, r));

  SlowDownCells slowDownCells;
  std::vector<std::int32_t> starts;
  for (std::size_t c = 0; c < state.work.size(); ++c) {
    std::int32_t cell = static_cast<std::int32_t>(c);
    switch (state.work[c].kind) {
      case kSignal: placed.push_back(signal(state, cell)); break;
      case kSlowDownStart: starts.push_back(cell); break;
      case kSlowDownEnd: slowDownCells.ends.insert(cell); break;
      case kSlowDownWarning: slowDownCells.warnings.insert(cell); break;
      case kSlowDownApproach: slowDownCells.approaches.insert(cell); break;
      default: break;
    }
  }
  std::vector<SourceEntry> slowDowns;
  for (std::int32_t s : starts) slowDowns.push_back(slowDown(state, s, slowDownCells));
  for (const auto* unused : {&slowDownCells.ends, &slowDownCells.warnings, &slowDownCells.approaches}) {
    for (std::int32_t c : *unused) state.problem(cellName(c), "slow-down cell that belongs to no slow-down start");
  }

  // Stations and signals in runs, each under its section's header; the embedded order when it serves.
  std::vector<Placed> ordered = orderByMarks(state, std::move(placed));
  SourceText& source = state.out.trainRun;
  bool slowDownsWritten = false;
  for (std::size_t i = 0; i < ordered.size(); ++i) {
    bool startsRun = i == 0 || ordered[i].station != ordered[i - 1].station;
    if (startsRun && !ordered[i].station && !slowDownsWritten) {
      source.sections.push_back({"[rallentamenti]", slowDowns});
      slowDownsWritten = true;
    }
    if (startsRun) source.sections.push_back({ordered[i].station ? "[stazioni]" : "[segnali]", {}});
    source.sections.back().entries.push_back(ordered[i].entry);
  }
  if (!slowDownsWritten) source.sections.push_back({"[rallentamenti]", slowDowns});
  if (ordered.empty() || ordered.back().station) source.sections.push_back({"[segnali]", {}});

  SourceSection& codes = source.section("[codici]");
  for (std::int32_t c : state.userCodePoints) {
    const TrackCell& cell = state.work[static_cast<std::size_t>(c)];
    // A code of 0 or less places a code point without one; a stored code below 1 comes from a larger
    // one taken modulo 2^16.
    std::int64_t code = codec::decodeCode(cell);
    codes.entries.push_back({std::string(kCodePointEntry.writtenKey), {num(std::int64_t{c} * kCellLength), num(code)}, ""});
  }
}

}  // namespace pack
