// The general values of both sources (route length, kilometre posts, backgrounds, signal repetition,
// the train's data) and the three per-cell columns that source entries fill stretch by stretch: the
// gradients of the route, the speed limit and the adhesion of the train run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tool/decompile/decompile.h"

namespace pack {

// A whole number as the sources write it.
inline std::string num(std::int64_t v) { return std::to_string(v); }

// How a column is filled from its entries: each entry writes the value in force into the cells from
// the next unwritten one up to the cell before its own (at least one cell when its cell is above 0), then
// its own value is in force; at the end the value in force runs on to cell cellCount - 3 (again at least
// one cell).
struct ColumnRules {
  std::int32_t cellCount = 0;
  std::uint8_t initial = 0;           // the stored value in force before the first entry
  bool entriesStopAtLastCell = false; // the profiles: an entry writes no cell from cellCount on
};

// One entry of a column: its cell (the position is 50 times it) and the stored value it puts in force.
struct ColumnEntry {
  std::int32_t cell = 0;
  std::uint8_t stored = 0;
};

// Entries that fill the column exactly as `stored` shows it: one where the value changes, on the cell
// boundary, starting with one at 0; repeated entries at the last cell an entry may name where the end of
// the column holds values of its own. Nothing when no entries can (a column longer than the cells).
std::optional<std::vector<ColumnEntry>> encodeColumn(const std::vector<std::uint8_t>& stored, ColumnRules rules);

// The column the entries give under the rules: what encodeColumn is checked against.
std::vector<std::uint8_t> fillColumn(const std::vector<ColumnEntry>& entries, ColumnRules rules, std::size_t cells);

// The "[generale]" section of the route: length, the three kilometre posts as the ordering leaves them
// undone, backgrounds and the signal repetition.
void recoverRouteGeneral(DecompileState& state);

// The gradients, the "[pendenze]" section.
void recoverGradients(DecompileState& state);

// The train's general values and its two profiles: "[generale]", "[aderenze]", "[vel_limite]".
void recoverTrainGeneral(DecompileState& state);

// Whether the identification codes in cell 1 and row 85 are those the names give; problems if not.
void checkScenarioCodes(DecompileState& state);

}  // namespace pack
