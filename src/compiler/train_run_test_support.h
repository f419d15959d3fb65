// Readable renderings of cells and table rows for the train run tests: a failed comparison shows the
// fields by name instead of raw bytes.
#pragma once

#include <cstddef>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "compiler/model.h"

namespace pack::test {

// The fields a train run feature writes (not the profiles, gradient or mountain kind).
inline std::string describeFeature(const TrackCell& c) {
  std::ostringstream out;
  out << "kind " << int{c.kind} << " values " << c.value1 << ' ' << c.value2 << ' ' << c.value3 << ' '
      << c.value4 << " time " << int{c.signalTime} << " mark " << int{c.approachMark};
  return out.str();
}

inline bool hasFeature(const TrackCell& c) { return describeFeature(c) != describeFeature(TrackCell{}); }

using CellList = std::vector<std::pair<std::int32_t, TrackCell>>;

// Every cell that holds a feature field, one per line, in cell order.
inline std::string featureCells(const Model& model) {
  std::string out;
  for (std::size_t i = 0; i < model.trackCells.size(); ++i) {
    if (hasFeature(model.trackCells[i]))
      out += std::to_string(i) + ": " + describeFeature(model.trackCells[i]) + "\n";
  }
  return out;
}

// The same rendering of an expected list, given in cell order.
inline std::string featureCells(const CellList& cells) {
  std::string out;
  for (const auto& [index, cell] : cells) out += std::to_string(index) + ": " + describeFeature(cell) + "\n";
  return out;
}

inline std::string describe(const ScenarioRecord& r) {
  std::ostringstream out;
  out << "kind " << int{r.kind} << " numbers " << r.numberA << ' ' << r.numberB << ' ' << r.numberC << ' '
      << r.numberD << " option " << int{r.option} << " text \"" << r.text << "\" params " << r.param1 << ' '
      << r.param2 << ' ' << r.param3 << ' ' << r.param4 << ' ' << r.param5 << " flags " << int{r.flag1} << ' '
      << int{r.flag2} << ' ' << int{r.flag3} << ' ' << int{r.flag4};
  return out.str();
}

}  // namespace pack::test
