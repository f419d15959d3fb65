// The train run tests' fixture: sources in memory, one whole reading of them, and readable renderings of
// cells and table rows, so that a failed comparison shows the fields by name instead of raw bytes.
#pragma once

#include <cstddef>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <algorithm>
#include <optional>

#include <gtest/gtest.h>

#include "compiler/model.h"
#include "compiler/source_reader.h"
#include "platform/memory_file_system.h"

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


inline const std::string kRoutePath = "/pack/Prova_linea.txt";
inline const std::string kTrainRunPath = "/pack/Prova_9-.txt";
inline constexpr std::int32_t kUntouched = -4242;    // errorPosition before every compile
inline constexpr std::int32_t kRouteLength = 32850;  // cells 0 to 797

inline std::string crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A train run source: its start field, `body`, and its last line.
inline std::string trainRun(std::vector<std::string> body) {
  body.insert(body.begin(), "[generale]");
  body.push_back("[fine]");
  return crlf(body);
}

// A route of 32850 m with `general` after its length and `features` after its general part.
inline std::string route(const std::vector<std::string>& general = {},
                  const std::vector<std::string>& features = {}) {
  std::vector<std::string> lines{"[generale]", "lunghezza percorso, " + std::to_string(kRouteLength)};
  lines.insert(lines.end(), general.begin(), general.end());
  lines.push_back("[curve]");
  lines.insert(lines.end(), features.begin(), features.end());
  lines.push_back("[fine]");
  return crlf(lines);
}

// One whole reading of both sources (both halves and the run-time failure handler).
struct Compile {
  explicit Compile(const std::optional<std::string>& trainRunSource, const std::string& routeSource = route(),
                   bool deleteSources = true)
      : sources{fs, kRoutePath, kTrainRunPath, deleteSources} {
    fs.files[kRoutePath] = routeSource;
    if (trainRunSource) fs.files[kTrainRunPath] = *trainRunSource;
    model.scenarioName = "Prova";
    model.trainNumber = "9";
    model.errorPosition = kUntouched;
    memorizza_dati(model, sources);
  }

  std::size_t removals(const std::string& path) const {
    return static_cast<std::size_t>(std::count(fs.removed.begin(), fs.removed.end(), path));
  }
  const ScenarioRecord& row(int index) const { return model.scenarioTable[static_cast<std::size_t>(index)]; }

  MemoryFileSystem fs;
  Model model;
  SourceAccess sources;
};

// Every way out of the train run half, once the source exists, deletes it exactly once.
inline void expectTrainRunDeletedOnce(const Compile& c) {
  EXPECT_FALSE(c.fs.files.count(kTrainRunPath));
  EXPECT_EQ(c.removals(kTrainRunPath), 1u);
  EXPECT_EQ(c.removals(kRoutePath), 1u);
}

inline std::vector<std::uint8_t> column(const Model& model, std::uint8_t TrackCell::*field) {
  std::vector<std::uint8_t> values;
  for (const TrackCell& cell : model.trackCells) values.push_back(cell.*field);
  return values;
}

// A column given as runs of (count, value).
inline std::vector<std::uint8_t> runs(const std::vector<std::pair<int, int>>& parts) {
  std::vector<std::uint8_t> values;
  for (auto [count, value] : parts) values.insert(values.end(), count, static_cast<std::uint8_t>(value));
  return values;
}

inline TrackCell mark(int m) { return {.approachMark = static_cast<std::uint8_t>(m)}; }
inline TrackCell stop(int row) { return {.kind = kStopPoint, .value1 = static_cast<std::int16_t>(row)}; }
inline TrackCell codePoint(int code) { return {.kind = kCodePoint, .value1 = static_cast<std::int16_t>(code)}; }
inline TrackCell bareCodePoint() { return {.kind = kCodePointNoValue}; }

// A signal's cell and its four approach marks, sides x 10 + 1 to 4, at 2, 4, 6 and 8 cells before it.
inline CellList signalCells(std::int32_t cell, int sides, const TrackCell& signal) {
  CellList cells;
  for (int k = 4; k >= 1; --k) cells.push_back({cell - 2 * k, mark(sides * 10 + k)});
  cells.push_back({cell, signal});
  return cells;
}


struct LineCase {
  const char* what;
  std::vector<std::string> lines;
  CellList cells;  // every cell holding a feature afterwards, in cell order
  std::int32_t code = 0;
  std::int32_t position = kUntouched;
};

inline void expectLines(const LineCase& k) {
  SCOPED_TRACE(k.what);
  Compile c(trainRun(k.lines));
  EXPECT_EQ(c.model.errorCode, k.code);
  EXPECT_EQ(c.model.errorPosition, k.position);
  EXPECT_EQ(featureCells(c.model), featureCells(k.cells));
  expectTrainRunDeletedOnce(c);
}


// The written first terminus, and a station line with every attribute zero.
inline const std::string kFirstTerminus =
    "stazione,       0, 12,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  16,57, 0, BORGOROSSO";
inline std::string plainStation(const std::string& position, const std::string& type, const std::string& platform,
                         const std::string& flags = "0, 0, 0") {
  return "stazione, " + position + ", " + type + ", " + platform + ", " + flags +
         ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NOME";
}

inline ScenarioRecord firstTerminusRow() {
  ScenarioRecord r;
  r.kind = 12;
  r.numberA = -300;
  r.numberB = 300;
  r.numberC = 0;
  r.numberD = (16 * 60 + 57) * 60;
  r.option = 1;
  r.text = "BORGOROSSO";
  r.param1 = 4;
  r.param2 = 1;
  r.param3 = 2;
  r.param4 = 1;
  r.param5 = 1;
  r.flag2 = 1;
  return r;
}

inline ScenarioRecord plainRow(std::uint8_t type, std::int32_t a, std::int32_t b, std::int32_t s,
                        std::uint8_t flag3 = 0, std::uint8_t flag4 = 0) {
  ScenarioRecord r;
  r.kind = type;
  r.numberA = a;
  r.numberB = b;
  r.numberC = s;
  r.text = "NOME";
  r.flag3 = flag3;
  r.flag4 = flag4;
  return r;
}

inline ScenarioRecord positionOnly(std::int32_t s, std::uint8_t type = 0) {
  ScenarioRecord r;
  r.numberC = s;
  r.kind = type;
  return r;
}

inline const CellList kFirstTerminusCells = {{2, mark(83)}, {3, mark(82)}, {4, mark(81)}, {5, stop(1)}};

inline CellList withFirstTerminus(CellList more) {
  more.insert(more.begin(), kFirstTerminusCells.begin(), kFirstTerminusCells.end());
  return more;
}


}  // namespace pack::test
