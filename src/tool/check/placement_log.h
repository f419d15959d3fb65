// Which entry of the sources put what where, as the compile reports it through its placement observer:
// the feature in each cell, the approach marks one entry wrote over another's, the cell a feature was
// refused on, the entry whose value each profile cell holds, and the entry of each station row. The check
// explains errors with it, and the plot points each feature at its line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "compiler/model.h"
#include "compiler/source_reader.h"

namespace pack {

class PlacementLog : public PlacementObserver {
 public:
  // An entry: its source and the line of its key; kNone and 0 for what the compile adds by itself.
  struct Origin {
    SourceKind source = SourceKind::kNone;
    std::size_t line = 0;
    bool operator==(const Origin&) const = default;
    bool known() const { return source != SourceKind::kNone; }
  };
  struct Placement {
    Origin origin;
    CellKind kind;
  };
  // Approach marks of one entry written over those of an earlier one.
  struct Overwrite {
    Origin later, earlier;
    std::vector<std::int64_t> cells;
  };

  void entryRead(SourceKind source, std::size_t line) override { current_ = {source, line}; }
  void placed(std::int64_t cell, CellKind kind) override { cells_[cell] = {current_, kind}; }
  void refused(std::int64_t cell) override { refusedCell_ = cell; }
  void marked(std::int64_t cell) override;
  void profileValueSet(ProfileLane lane) override { inForce_[laneIndex(lane)] = current_; }
  void profileCellWritten(ProfileLane lane, std::int64_t cell) override;
  void rowFilled(int row) override { rows_[row] = current_; }

  const std::vector<Overwrite>& overwrites() const { return overwrites_; }
  std::optional<std::int64_t> refusedCell() const { return refusedCell_; }
  // The last feature placed in `cell`, or null.
  const Placement* at(std::int64_t cell) const;
  // The entry whose value the profile cell holds; unknown for a cell no entry's value reached.
  Origin profileAt(ProfileLane lane, std::size_t cell) const;
  // The entry that filled table row `row`; unknown when none did.
  Origin rowAt(int row) const;

 private:
  static std::size_t laneIndex(ProfileLane lane) { return static_cast<std::size_t>(lane); }

  Origin current_;
  std::map<std::int64_t, Placement> cells_;
  std::map<std::int64_t, Origin> marks_;
  std::vector<Overwrite> overwrites_;
  std::optional<std::int64_t> refusedCell_;
  std::array<Origin, 3> inForce_{};
  std::array<std::vector<Origin>, 3> profiles_;
  std::map<int, Origin> rows_;
};

// Compiles the two source texts in memory (nothing is written anywhere) and returns what the compile
// reported of each placement. An absent source is passed as nothing. The scenario's names change only
// its identification codes, not where anything lies, so none is asked for.
PlacementLog tracePlacements(std::optional<std::string_view> route, std::optional<std::string_view> trainRun,
                             bool buildPlan);

}  // namespace pack
