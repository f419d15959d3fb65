#include "tool/decompile/decompile_values.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "compiler/cell_codec.h"
#include "compiler/kilometre_posts.h"
#include "compiler/scenario_codes.h"
#include "formats/route_format.h"
#include "formats/train_run_format.h"

namespace pack {
namespace {

using codec::kKilometreFlagRaise;
using codec::kReservedCellValue;
using codec::kReservedTableValue;

// The column as the compile writes it, step by step: used to check the encoding and nothing else.
class ColumnFill {
 public:
  ColumnFill(ColumnRules rules, std::size_t cells) : rules_(rules), column_(cells, 0), current_(rules.initial) {}

  void entry(std::int32_t cell, std::uint8_t stored) {
    if (cell > 0) {
      do {
        if (rules_.entriesStopAtLastCell && next_ >= rules_.cellCount) break;
        write();
      } while (next_ < cell);
    }
    current_ = stored;
  }

  std::vector<std::uint8_t> complete() {
    do {
      write();
    } while (next_ < rules_.cellCount - 2);
    return column_;
  }

 private:
  void write() {
    if (next_ >= 0 && static_cast<std::size_t>(next_) < column_.size()) column_[static_cast<std::size_t>(next_)] = current_;
    ++next_;
  }

  ColumnRules rules_;
  std::vector<std::uint8_t> column_;
  std::int32_t next_ = 0;
  std::uint8_t current_;
};

// How many cells the compile writes: at least up to cellCount - 3, and on to the last nonzero one.
std::int32_t writtenCells(const std::vector<std::uint8_t>& stored, std::int32_t cellCount) {
  std::int32_t last = -1;
  for (std::size_t c = 0; c < stored.size(); ++c) {
    if (stored[c] != 0) last = static_cast<std::int32_t>(c);
  }
  return std::max({cellCount - 2, last + 1, 1});
}

std::vector<std::uint8_t> columnOf(const std::vector<TrackCell>& cells, std::uint8_t TrackCell::*field) {
  std::vector<std::uint8_t> column;
  column.reserve(cells.size());
  for (const TrackCell& cell : cells) column.push_back(cell.*field);
  return column;
}

// One section of column entries, or a problem naming the column when the cells cannot be filled so.
void addColumnSection(DecompileState& state, SourceText& source, const std::string& header,
                      const std::string& key, std::uint8_t TrackCell::*field, ColumnRules rules,
                      std::int64_t (*value)(std::uint8_t)) {
  SourceSection& section = source.section(header);
  std::vector<std::uint8_t> stored = columnOf(state.in.cells, field);
  std::optional<std::vector<ColumnEntry>> entries = encodeColumn(stored, rules);
  if (!entries) {
    state.problem(key, "the column of cells cannot be filled by entries of this kind");
    return;
  }
  for (const ColumnEntry& e : *entries) {
    section.entries.push_back({key, {num(std::int64_t{e.cell} * kCellLength), num(value(e.stored))}, ""});
  }
}

std::int64_t gradientValue(std::uint8_t stored) { return codec::decodeGradient(stored); }
std::int64_t speedValue(std::uint8_t stored) { return codec::decodeSpeed(stored); }
std::int64_t adhesionValue(std::uint8_t stored) { return codec::decodeAdhesion(stored); }

struct Post {
  std::int32_t position = 0;
  std::int32_t value = 0;
  std::int32_t flag = 0;
};

Post postOf(const ScenarioRecord& row) { return {row.numberA, row.numberB, row.numberC}; }

// The three rows as the ordering leaves them for the definitions uno, due, tre: what the entries give.
std::array<Post, 3> orderPosts(const std::array<Post, 3>& unoDueTre) {
  Model model;
  const int rows[] = {kRowKilometreUno, kRowKilometreDue, kRowKilometreTre};
  for (int i = 0; i < 3; ++i) {
    model.scenarioTable[rows[i]].numberA = unoDueTre[i].position;
    model.scenarioTable[rows[i]].numberB = unoDueTre[i].value;
    model.scenarioTable[rows[i]].numberC = unoDueTre[i].flag;
  }
  try {
    progressive_ordina(model);
  } catch (const std::exception&) {
    return {};
  }
  return {postOf(model.scenarioTable[kRowKilometreTre]), postOf(model.scenarioTable[kRowKilometreDue]),
          postOf(model.scenarioTable[kRowKilometreUno])};
}

bool samePosts(const std::array<Post, 3>& a, const std::array<Post, 3>& b) {
  for (int i = 0; i < 3; ++i) {
    if (a[i].position != b[i].position || a[i].value != b[i].value || a[i].flag != b[i].flag) return false;
  }
  return true;
}

// The ordering moves whole definitions and raises flagged values; of the six ways to hand the three
// stored rows back to uno, due and tre (each flagged value lowered again), the first that orders back
// into the stored rows.
std::optional<std::array<Post, 3>> undoPostOrdering(const std::array<Post, 3>& stored) {
  std::array<Post, 3> lowered = stored;
  for (Post& p : lowered) {
    if (p.flag == 1) {
      if (p.value < std::numeric_limits<std::int32_t>::min() + kKilometreFlagRaise) return std::nullopt;
      p.value -= kKilometreFlagRaise;
    }
  }
  // Rows 81, 82, 83 to uno, due, tre, the order the embedded route uses first.
  std::array<int, 3> pick = {0, 1, 2};
  do {
    std::array<Post, 3> unoDueTre = {lowered[pick[0]], lowered[pick[1]], lowered[pick[2]]};
    if (samePosts(orderPosts(unoDueTre), stored)) return unoDueTre;
  } while (std::next_permutation(pick.begin(), pick.end()));
  // All three zero: no definition at all gives them.
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<ColumnEntry>> encodeColumn(const std::vector<std::uint8_t>& stored, ColumnRules rules) {
  const std::int32_t lastEntryCell = rules.cellCount - 2;  // an entry must leave two cells ahead of it
  const std::int32_t written = writtenCells(stored, rules.cellCount);
  if (stored.empty() || lastEntryCell < 1 || written > static_cast<std::int32_t>(stored.size()) ||
      written > rules.cellCount + 1) {
    return std::nullopt;
  }
  std::vector<ColumnEntry> entries;
  std::int32_t next = 0;
  std::uint8_t current = stored[0];
  entries.push_back({0, current});

  // Cells next .. until - 1 take the value in force; then `value` is in force.
  auto advanceTo = [&](std::int32_t until, std::uint8_t value) {
    while (next < until) {
      std::int32_t cell = std::min(until, lastEntryCell);
      std::int32_t after = next < cell ? cell : next + 1;
      current = after == until ? value : current;
      entries.push_back({cell, current});
      next = after;
    }
  };
  for (std::int32_t c = 1; c < written; ++c) {
    if (stored[static_cast<std::size_t>(c)] != current) advanceTo(c, stored[static_cast<std::size_t>(c)]);
  }
  // The end runs the value in force from `next` on to cell cellCount - 3 at least; cells after that
  // which hold values need entries that each write one more cell.
  while (std::max(next + 1, rules.cellCount - 2) < written) advanceTo(next + 1, current);

  if (fillColumn(entries, rules, stored.size()) != stored) return std::nullopt;
  return entries;
}

std::vector<std::uint8_t> fillColumn(const std::vector<ColumnEntry>& entries, ColumnRules rules, std::size_t cells) {
  ColumnFill fill(rules, cells);
  for (const ColumnEntry& e : entries) fill.entry(e.cell, e.stored);
  return fill.complete();
}

void recoverRouteGeneral(DecompileState& state) {
  const auto& table = state.in.table;
  SourceSection& general = state.out.route.section("[generale]");
  general.entries.push_back({std::string(kRouteLengthEntry.writtenKey), {num(state.routeLength)}, ""});

  std::array<Post, 3> stored = {postOf(table[kRowKilometreTre]), postOf(table[kRowKilometreDue]),
                                postOf(table[kRowKilometreUno])};
  std::optional<std::array<Post, 3>> posts = undoPostOrdering(stored);
  if (!posts) {
    state.problem(rowName(kRowKilometreTre), "the kilometre-post rows are not an ordering of three definitions");
    posts = stored;
  }
  const EntryDefinition* postEntries[] = {&kKilometreUnoEntry, &kKilometreDueEntry, &kKilometreTreEntry};
  for (int i = 0; i < 3; ++i) {
    const Post& p = (*posts)[static_cast<std::size_t>(i)];
    general.entries.push_back({std::string(postEntries[i]->writtenKey), {num(p.position), num(p.value), num(p.flag)}, ""});
  }

  const ScenarioRecord& scenario = table[kRowScenario];
  general.entries.push_back({std::string(kBackgroundUnoEntry.writtenKey), {num(scenario.numberA)}, ""});
  general.entries.push_back({std::string(kBackgroundDueEntry.writtenKey), {num(scenario.numberC)}, ""});
  general.entries.push_back({std::string(kBackgroundTreEntry.writtenKey), {num(scenario.numberB)}, ""});

  // The key names the number of codes; with no second position the count is stored as 0 whatever it was.
  const ScenarioRecord& run = table[kRowRun];
  std::string codes = run.numberC == 9 ? "9" : "4";
  if (run.numberB != 0 && run.numberC != 4 && run.numberC != 9) {
    state.problem(rowName(kRowRun), "signal repetition with " + num(run.numberC) + " codes (4 or 9 expected)");
  }
  if (run.numberB == 0 && run.numberC != 0) {
    state.problem(rowName(kRowRun), "signal repetition count without a second position");
  }
  general.entries.push_back({"ripetizione segnali " + codes + " codici", {num(run.numberA), num(run.numberB)}, ""});
}

void recoverGradients(DecompileState& state) {
  ColumnRules rules{state.cellCount, codec::encodeGradient(0), false};
  addColumnSection(state, state.out.route, "[pendenze]", std::string(kGradientEntry.writtenKey),
                   &TrackCell::gradient, rules, gradientValue);
}

void recoverTrainGeneral(DecompileState& state) {
  const auto& table = state.in.table;
  SourceSection& general = state.out.trainRun.section("[generale]");
  general.entries.push_back({std::string(kCoachesEntry.writtenKey), {num(table[kRowTrain].numberC)}, ""});
  general.entries.push_back({std::string(kBrakedMassEntry.writtenKey), {num(table[kRowTrain].numberA)}, ""});
  general.entries.push_back({std::string(kSandEntry.writtenKey), {num(table[kRowRun].param1)}, ""});
  general.entries.push_back({std::string(kClockEntry.writtenKey),
                             {num(table[kRowRun].param3), num(table[kRowRun].param4), num(table[kRowRun].param5)},
                             ""});

  ColumnRules rules{state.cellCount, 0, true};
  addColumnSection(state, state.out.trainRun, "[aderenze]", std::string(kAdhesionEntry.writtenKey),
                   &TrackCell::adhesion, rules, adhesionValue);
  addColumnSection(state, state.out.trainRun, "[vel_limite]", std::string(kSpeedLimitEntry.writtenKey),
                   &TrackCell::speedLimit, rules, speedValue);
}

void checkScenarioCodes(DecompileState& state) {
  const auto& table = state.in.table;
  Model names;
  names.scenarioTable[kRowScenario].text = table[kRowScenario].text;
  names.scenarioTable[kRowRun].text = table[kRowRun].text;
  std::int32_t weighted = codice_gara_st(names);
  std::int32_t plain = codice_gara_og(names);
  const ScenarioRecord& row = table[kRowScenario];
  if (row.param1 != kReservedTableValue) state.problem(rowName(kRowScenario), "param1 is not the reserved " + num(kReservedTableValue));
  if (row.numberD != weighted) {
    state.problem(rowName(kRowScenario), "identification code " + num(row.numberD) + " is not " + num(weighted) +
                                             ", the code of the names the table holds");
  }
  if (state.in.cells.size() > 1) {
    const TrackCell& cell = state.in.cells[codec::kIdentificationCell];
    if (cell.value1 != kReservedCellValue) state.problem(cellName(1), "value1 is not the reserved " + num(kReservedCellValue));
    if (cell.value2 != plain) {
      state.problem(cellName(1), "identification code " + num(cell.value2) + " is not " + num(plain) +
                                     ", the code of the names the table holds");
    }
  }
}

}  // namespace pack
