// What the compiled files say, in words an author uses: stations and board texts of the scenario table,
// the line's kilometre-post numbering, clock times, and each cell's feature. Shared by `inspect` and
// `plot`, so both describe a thing the same way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/model.h"

namespace pack {

using ScenarioTable = std::array<ScenarioRecord, kTableRows>;

// A kilometre-post value in metres of kilometre count as the line's boards show it: 100050 is "100+050".
std::string kilometrePostText(std::int64_t metres);

// Seconds after midnight as h:mm:ss, the hours unpadded as a source writes them (7:05:00); hours past 23
// are shown as they are (25:00:00). The one clock format of the tool's messages.
std::string clockText(std::int64_t seconds);

// Rows 1 to 80 hold stations (from 1 upward) and board texts (from 80 downward), told apart by the
// codec's stationRowCount.
enum class RowRole { kEmpty, kStation, kBoardText };
RowRole stationAreaRowRole(const ScenarioTable& table, int row);

struct Station {
  int row = 0;
  std::string name;  // UTF-8
  int type = 0;
  std::int32_t position = 0;
  std::int32_t platformStart = 0;
  std::int32_t platformEnd = 0;
  std::int32_t time = 0;  // seconds after midnight; 0 when the run has no time there
};

// The station rows, from row 1 upward.
std::vector<Station> stations(const ScenarioTable& table);

// The line's own numbering, from the kilometre-post definitions of rows 81 to 83: at each definition's
// position the count is its value, and between definitions it runs with the metres along the line,
// upward or downward. With one definition the direction comes from the "Km 153+284" items of the text
// boards when they show one; otherwise the count runs upward.
class KilometreScale {
 public:
  KilometreScale() = default;  // no definition: kilometres from the start of the line
  KilometreScale(const ScenarioTable& table, const std::vector<TrackCell>& cells);

  bool defined() const { return !anchors_.empty(); }
  bool descending() const { return direction_ < 0; }
  // The kilometre post at a metre along the line (the metre itself when no definition exists).
  std::int64_t at(std::int64_t metre) const;
  // Metres along the line where the post value is a multiple of `step`, between `from` and `to`.
  std::vector<std::int64_t> roundPosts(std::int64_t from, std::int64_t to, std::int64_t step) const;
  // The positions of the definitions: between them the post value is linear in the metre.
  std::vector<std::int64_t> breakpoints() const {
    std::vector<std::int64_t> list;
    for (const Anchor& a : anchors_) list.push_back(a.position);
    return list;
  }
  // One line for a legend: where the numbering comes from.
  std::string describe() const;

 private:
  struct Anchor {
    std::int64_t position;
    std::int64_t value;
  };
  std::vector<Anchor> anchors_;  // ascending positions
  int direction_ = 1;
};

// The kilometre count shown on a text board ("(Cippo     )(Km 151+997)"), in metres.
std::optional<std::int64_t> boardKilometre(std::string_view text);

// A cell's feature in words ("signal: left warning, right none, placed at 5450 m"), without the
// profile values; empty for a free cell. `table` gives stations' names and boards' texts when known.
std::string cellFeatureText(const TrackCell& c, std::size_t index, const ScenarioTable* table);

// A cell's approach mark in words, empty when it has none.
std::string approachMarkText(const TrackCell& c);

}  // namespace pack
