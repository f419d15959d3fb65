// The train run half of the source reader, run through memorizza_dati on sources held in memory: tables
// of train run snippets against the cells, rows, error code, error position and deletions they give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "app/form1.h"
#include "compiler/reader_context.h"
#include "compiler/runtime_failure.h"
#include "compiler/source_reader.h"
#include "compiler/train_run_test_support.h"
#include "formats/cp1252.h"
#include "formats/file_names.h"
#include "platform/fake_platform.h"
#include "platform/memory_file_system.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

using test::CellList;
using test::describe;
using test::featureCells;

const std::string kRoutePath = "/pack/Prova_linea.txt";
const std::string kTrainRunPath = "/pack/Prova_9-.txt";
constexpr std::int32_t kUntouched = -4242;    // errorPosition before every compile
constexpr std::int32_t kRouteLength = 32850;  // cells 0 to 797

std::string crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A train run source: its start field, `body`, and its last line.
std::string trainRun(std::vector<std::string> body) {
  body.insert(body.begin(), "[generale]");
  body.push_back("[fine]");
  return crlf(body);
}

// A route of 32850 m with `general` after its length and `features` after its general part.
std::string route(const std::vector<std::string>& general = {},
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
void expectTrainRunDeletedOnce(const Compile& c) {
  EXPECT_FALSE(c.fs.files.count(kTrainRunPath));
  EXPECT_EQ(c.removals(kTrainRunPath), 1u);
  EXPECT_EQ(c.removals(kRoutePath), 1u);
}

std::vector<std::uint8_t> column(const Model& model, std::uint8_t TrackCell::*field) {
  std::vector<std::uint8_t> values;
  for (const TrackCell& cell : model.trackCells) values.push_back(cell.*field);
  return values;
}

// A column given as runs of (count, value).
std::vector<std::uint8_t> runs(const std::vector<std::pair<int, int>>& parts) {
  std::vector<std::uint8_t> values;
  for (auto [count, value] : parts) values.insert(values.end(), count, static_cast<std::uint8_t>(value));
  return values;
}

TrackCell mark(int m) { return {.approachMark = static_cast<std::uint8_t>(m)}; }
TrackCell stop(int row) { return {.kind = kStopPoint, .value1 = static_cast<std::int16_t>(row)}; }
TrackCell codePoint(int code) { return {.kind = kCodePoint, .value1 = static_cast<std::int16_t>(code)}; }
TrackCell bareCodePoint() { return {.kind = kCodePointNoValue}; }

// A signal's cell and its four approach marks, sides x 10 + 1 to 4, at 2, 4, 6 and 8 cells before it.
CellList signalCells(std::int32_t cell, int sides, const TrackCell& signal) {
  CellList cells;
  for (int k = 4; k >= 1; --k) cells.push_back({cell - 2 * k, mark(sides * 10 + k)});
  cells.push_back({cell, signal});
  return cells;
}

// ---------------------------------------------------------------------------------------------------
// General values

struct GeneralValues {
  std::int32_t brakedMass, coaches;
  std::int16_t sand, hours, minutes, seconds;
};

struct GeneralCase {
  const char* what;
  std::vector<std::string> lines;
  GeneralValues values;
};

TEST(TrainRunGeneralValues, LandInRows84And86) {
  const GeneralCase cases[] = {
      {"the written block; the clock's numbers are separated by blanks and end with one",
       {"numero vetture,    8", "percentuale massa frenata,    105", "sabbia,    180",
        "orologio,    16              56            0 "},
       {105, 8, 180, 16, 56, 0}},
      {"a key given twice keeps its last value",
       {"sabbia, 1", "sabbia, 2", "numero vetture, 3", "numero vetture, 4"},
       {0, 4, 2, 0, 0, 0}},
      {"keys in any letter case",
       {"NUMERO VETTURE, 9", "Percentuale MASSA Frenata, 90", "OROLOGIO, 1, 2, 3"},
       {90, 9, 0, 1, 2, 3}},
      {"the braked mass needs both of its words, in any order",
       {"massa, 5", "frenata, 6", "frenata massa, 77"},
       {77, 0, 0, 0, 0, 0}},
      {"one key field may match two entries: each reads its values, in the entries' order",
       {"sabbia vetture, 4, 5"},
       {0, 4, 5, 0, 0, 0}},
      {"the clock stores any numbers, negative ones too",
       {"orologio, -1 99 32767"},
       {0, 0, 0, -1, 99, 32767}},
  };
  for (const GeneralCase& k : cases) {
    SCOPED_TRACE(k.what);
    Compile c(trainRun(k.lines));
    EXPECT_EQ(c.model.errorCode, 0);
    EXPECT_EQ(c.row(kRowTrain).numberA, k.values.brakedMass);
    EXPECT_EQ(c.row(kRowTrain).numberB, kRouteLength);  // the route's, untouched
    EXPECT_EQ(c.row(kRowTrain).numberC, k.values.coaches);
    EXPECT_EQ(c.row(kRowRun).param1, k.values.sand);
    EXPECT_EQ(c.row(kRowRun).param3, k.values.hours);
    EXPECT_EQ(c.row(kRowRun).param4, k.values.minutes);
    EXPECT_EQ(c.row(kRowRun).param5, k.values.seconds);
    EXPECT_EQ(c.row(kRowRun).text, "9");
    expectTrainRunDeletedOnce(c);
  }
}

// ---------------------------------------------------------------------------------------------------
// Finding the start, comment fields and the end of the file

struct LayoutCase {
  const char* what;
  std::string source;
  std::int16_t sand;
  std::int32_t coaches;
};

TEST(TrainRunLayout, StartCommentsAndTheLastField) {
  const LayoutCase cases[] = {
      {"an empty file", "", 0, 0},
      {"no start field: nothing is read, and that is no error", crlf({"sabbia, 9", "[fine]"}), 0, 0},
      {"the start field alone", crlf({"[generale]"}), 0, 0},
      {"lines before the start are ignored; the start in capitals",
       crlf({"sabbia, 9", "[GENERALE]", "numero vetture, 3", "[fine]"}), 0, 3},
      {"headers of sections in any order are ignored", trainRun({"[segnali]", "sabbia, 5", "[generale]"}), 5,
       0},
      {"one comment field", trainRun({"- a", "sabbia, 5"}), 5, 0},
      {"two comment fields in a row", trainRun({"- a", "--- b ---", "sabbia, 5"}), 5, 0},
      {"a third comment field in a row is taken as the key field",
       trainRun({"- a", "- b", "- c sabbia", "5"}), 5, 0},
      {"a second comment field is replaced, key word and all", trainRun({"- a", "- b sabbia", "5"}), 0, 0},
      {"the field after a comma in a comment line is a key field", trainRun({"- a note, sabbia, 6"}), 6, 0},
      {"the last field of the file is never handled", crlf({"[generale]", "sabbia, 5", "numero vetture"}), 5,
       0},
      {"the last field is not handled even without its line end", "[generale]\r\nsabbia, 5\r\nnumero vetture",
       5, 0},
      {"comment fields that run to the end of the file", crlf({"[generale]", "sabbia, 5", "- a", "- b"}), 5,
       0},
      {"a field holding no key is ignored", trainRun({"treno merci", "sabbia, 5"}), 5, 0},
  };
  for (const LayoutCase& k : cases) {
    SCOPED_TRACE(k.what);
    Compile c(k.source);
    EXPECT_EQ(c.model.errorCode, 0);
    EXPECT_EQ(c.row(kRowRun).param1, k.sand);
    EXPECT_EQ(c.row(kRowTrain).numberC, k.coaches);
    expectTrainRunDeletedOnce(c);
  }
}

// ---------------------------------------------------------------------------------------------------
// Speed and adhesion profiles

struct ProfileCase {
  const char* what;
  std::vector<std::string> lines;
  std::uint8_t TrackCell::*field;
  std::vector<std::pair<int, int>> cells;  // runs over cells 0 to 797
};

// `first`, then `line` `count` times.
std::vector<std::string> repeated(const std::string& first, const std::string& line, int count) {
  std::vector<std::string> lines{first};
  lines.insert(lines.end(), static_cast<std::size_t>(count), line);
  return lines;
}

TEST(TrainRunProfiles, FillEachStretchAndCompleteToThreeCellsBeforeTheEnd) {
  const auto speed = &TrackCell::speedLimit;
  const auto adhesion = &TrackCell::adhesion;
  const ProfileCase cases[] = {
      {"the written speed limits 75, 65, 75, 60 km/h",
       {"velocita,       0,    75", "velocita,   17050,    65", "velocita,   18250,    75",
        "velocita,   22550,    60"},
       speed,
       {{341, 15}, {24, 13}, {86, 15}, {344, 12}, {3, 0}}},
      {"a line at 75 m opens its stretch at cell 2",
       {"velocita, 0, 100", "velocita, 75, 60"},
       speed,
       {{2, 20}, {793, 12}, {3, 0}}},
      {"a line at 125 m too (halves to even)",
       {"velocita, 0, 100", "velocita, 125, 60"},
       speed,
       {{2, 20}, {793, 12}, {3, 0}}},
      {"a repeated position still writes one cell with the earlier value",
       {"velocita, 0, 100", "velocita, 500, 60", "velocita, 500, 80"},
       speed,
       {{10, 20}, {1, 12}, {784, 16}, {3, 0}}},
      {"cells before the first line get 0", {"velocita, 200, 100"}, speed, {{4, 0}, {791, 20}, {3, 0}}},
      {"a negative position opens no cell", {"velocita, -100, 50"}, speed, {{795, 10}, {3, 0}}},
      {"no line at all", {}, speed, {{798, 0}}},
      {"the completion writes at least one cell, even at three cells before the end",
       {"velocita, 0, 100", "velocita, 39750, 60"},
       speed,
       {{795, 20}, {1, 12}, {2, 0}}},
      {"speed stored as its fifth, rounded",
       {"velocita, 0, 12", "velocita, 50, 13", "velocita, 100, 1277"},
       speed,
       {{1, 2}, {1, 3}, {793, 255}, {3, 0}}},
      {"the key found through \"velocit\" with an accented last letter",
       {"velocit\xE0, 0, 50"},
       speed,
       {{795, 10}, {3, 0}}},
      {"the same in capitals", {"VELOCIT\xC0, 0, 50"}, speed, {{795, 10}, {3, 0}}},
      {"the written adhesion start",
       {"aderenza,   0,    100", "aderenza,     400,    70"},
       adhesion,
       {{8, 100}, {787, 70}, {3, 0}}},
      {"adhesion stored modulo 256", {"aderenza, 0, 300"}, adhesion, {{795, 44}, {3, 0}}},
      {"each repeated line writes one more cell: the fill stops at the last cell, the completion writes it",
       repeated("velocita, 0, 100", "velocita, 50, 100", 800),
       speed,
       {{798, 20}}},
      {"the adhesion fill stops there too",
       repeated("aderenza, 0, 90", "aderenza, 50, 90", 800),
       adhesion,
       {{798, 90}}},
      {"a repeated adhesion position",
       {"aderenza, 0, 90", "aderenza, 100, 80", "aderenza, 100, 70"},
       adhesion,
       {{2, 90}, {1, 80}, {792, 70}, {3, 0}}},
  };
  for (const ProfileCase& k : cases) {
    SCOPED_TRACE(k.what);
    Compile c(trainRun(k.lines));
    EXPECT_EQ(c.model.errorCode, 0);
    EXPECT_EQ(column(c.model, k.field), runs(k.cells));
  }
}

TEST(TrainRunProfiles, ALineBeyondTheTrackEndsTheReadingButTheProfilesAreCompleted) {
  // 39750 + 100 is the last position the 797 cells allow.
  Compile c(trainRun({"velocita, 0, 100", "aderenza, 0, 90", "velocita, 39751, 70", "sabbia, 5"}));
  EXPECT_EQ(c.model.errorCode, 15);
  EXPECT_EQ(c.model.errorPosition, 39751);
  EXPECT_EQ(c.row(kRowRun).param1, 0);  // read no more
  EXPECT_EQ(column(c.model, &TrackCell::speedLimit), runs({{795, 20}, {3, 0}}));
  EXPECT_EQ(column(c.model, &TrackCell::adhesion), runs({{795, 90}, {3, 0}}));
  expectTrainRunDeletedOnce(c);
}

// ---------------------------------------------------------------------------------------------------
// Signals, slow-downs and code points

struct LineCase {
  const char* what;
  std::vector<std::string> lines;
  CellList cells;  // every cell holding a feature afterwards, in cell order
  std::int32_t code = 0;
  std::int32_t position = kUntouched;
};

void expectLines(const LineCase& k) {
  SCOPED_TRACE(k.what);
  Compile c(trainRun(k.lines));
  EXPECT_EQ(c.model.errorCode, k.code);
  EXPECT_EQ(c.model.errorPosition, k.position);
  EXPECT_EQ(featureCells(c.model), featureCells(k.cells));
  expectTrainRunDeletedOnce(c);
}

TEST(TrainRunSignals, PackTheirValuesAndMarkFourCellsBefore) {
  const LineCase cases[] = {
      {"the written warning signal at 5450",
       {"segnale,    5450,   1, 4, 0,  0, 0,    0,  0,0,0, 0"},
       signalCells(110, 3, {.kind = kSignal, .value1 = 40, .value4 = 3})},
      {"the written protection signal at 27950",
       {"segnale,   27950,   2, 3, 1,  0, 0,    0,  0,0,0, 245"},
       signalCells(560, 6, {.kind = kSignal, .value1 = 30, .value2 = 10, .value4 = 6, .signalTime = 245})},
      {"a right-hand signal with every digit and rapp",
       {"segnale, 1000, 0, 0, 0, 0, 3, 2, 1, 2, 3, 50"},
       signalCells(21, 2, {.kind = kSignal, .value1 = 1, .value2 = 2, .value3 = 3, .value4 = 32})},
      {"packed values wrap on 16 bits",
       {"segnale, 5450, 1, 4000, 0, 0, 0, 0, 0, 0, 0, 0"},
       signalCells(110, 3, {.kind = kSignal, .value1 = -25536, .value4 = 3})},
      {"the lowest signal: cell 8, its last mark on cell 0",
       {"segnale, 325, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"},
       signalCells(8, 3, {.kind = kSignal, .value1 = 40, .value4 = 3})},
      {"marks would fall below cell 0", {"segnale, 324, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"}, {}, 15, 324},
      {"a negative position", {"segnale, -50, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"}, {}, 15, -50},
      {"the last position the track allows",
       {"segnale, 39750, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"},
       signalCells(796, 3, {.kind = kSignal, .value1 = 40, .value4 = 3})},
      {"one metre further", {"segnale, 39751, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"}, {}, 15, 39751},
      {"a signal 100 m before a platform end lands on the stop point: refused",
       {"stazione, 5000, 12, 600, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, VALLE",
        "segnale, 5200, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"},
       {{101, mark(84)}, {102, mark(83)}, {103, mark(82)}, {104, mark(81)}, {105, stop(1)}},
       16,
       5200},
      {"the same signal before the station: the stop point and marks are written over it",
       {"segnale, 5200, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0",
        "stazione, 5000, 12, 600, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, VALLE"},
       {{97, mark(34)},
        {99, mark(33)},
        {101, mark(84)},
        {102, mark(83)},
        {103, mark(82)},
        {104, mark(81)},
        {105, {.kind = kStopPoint, .value1 = 1, .value4 = 3}}}},
      {"two signals on one cell",
       {"segnale, 5450, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0", "segnale, 5460, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0"},
       signalCells(110, 3, {.kind = kSignal, .value1 = 40, .value4 = 3}),
       16,
       5460},
  };
  for (const LineCase& k : cases) expectLines(k);
}

struct TimeCase {
  std::int32_t sx, tempo;
  std::uint8_t signalTime;
};

TEST(TrainRunSignals, KeepATimeOnlyForALeftProtectionSignal) {
  const TimeCase cases[] = {
      {2, 0, 0},     {2, 1, 101},  {2, 50, 101}, {2, 100, 101}, {2, 101, 101},
      {2, 245, 245}, {2, 300, 44}, {2, -5, 251}, {1, 245, 0},   {0, 50, 0},
  };
  for (const TimeCase& k : cases) {
    SCOPED_TRACE(testing::Message() << "sx " << k.sx << ", tempo " << k.tempo);
    Compile c(trainRun(
        {"segnale, 5450, " + std::to_string(k.sx) + ", 4, 0, 0, 0, 0, 0, 0, 0, " + std::to_string(k.tempo)}));
    EXPECT_EQ(c.model.errorCode, 0);
    EXPECT_EQ(c.model.trackCells[110].kind, kSignal);
    EXPECT_EQ(c.model.trackCells[110].signalTime, k.signalTime);
  }
}

TEST(TrainRunSlowDowns, PlaceWarningStartEndAndApproach) {
  const TrackCell warning60{.kind = kSlowDownWarning, .value1 = 60};
  const TrackCell start60{.kind = kSlowDownStart, .value1 = 60};
  const TrackCell end60{.kind = kSlowDownEnd, .value1 = 60};
  const LineCase cases[] = {
      {"at 1500 m: no warning point and no approach cells, even with f_ta set",
       {"rallentamento, 1500, 60, 1000, 7, 1, 0"},
       {{31, {.kind = kSlowDownStart, .value1 = 60, .value3 = 7}},
        {51, {.kind = kSlowDownEnd, .value1 = 60, .value3 = 7}}}},
      {"at 1550 m: the warning point in cell 8, approach cells 7 to 4, d_v everywhere",
       {"rallentamento, 1550, 60, 500, 2, 1, 9"},
       {{4, {.kind = kSlowDownApproach, .value1 = 4, .value2 = 4}},
        {5, {.kind = kSlowDownApproach, .value1 = 3, .value2 = 3}},
        {6, {.kind = kSlowDownApproach, .value1 = 2, .value2 = 2}},
        {7, {.kind = kSlowDownApproach, .value1 = 1, .value2 = 1}},
        {8, {.kind = kSlowDownWarning, .value1 = 60, .value2 = 9}},
        {32, {.kind = kSlowDownStart, .value1 = 60, .value2 = 9, .value3 = 2}},
        {42, {.kind = kSlowDownEnd, .value1 = 60, .value2 = 9, .value3 = 2}}}},
      {"without f_ta and d_v",
       {"rallentamento, 1550, 60, 500, 2, 0, 0"},
       {{8, warning60},
        {32, {.kind = kSlowDownStart, .value1 = 60, .value3 = 2}},
        {42, {.kind = kSlowDownEnd, .value1 = 60, .value3 = 2}}}},
      {"halves round to even: warning 7.5 -> 8, start 31.5 -> 32, approach from 6.5 -> 6",
       {"rallentamento, 1525, 60, 0, 0, 1, 0"},
       {{3, {.kind = kSlowDownApproach, .value1 = 4}},
        {4, {.kind = kSlowDownApproach, .value1 = 3}},
        {5, {.kind = kSlowDownApproach, .value1 = 2}},
        {6, {.kind = kSlowDownApproach, .value1 = 1}},
        {8, warning60},
        {32, start60}}},
      {"start and end on one cell: it stays a start",
       {"rallentamento, 3000, 30, 0, 1, 0, 0"},
       {{37, {.kind = kSlowDownWarning, .value1 = 30}},
        {61, {.kind = kSlowDownStart, .value1 = 30, .value3 = 1}}}},
      {"values wrap on 16 bits",
       {"rallentamento, 3000, 70000, 40, 65537, 0, -1"},
       {{37, {.kind = kSlowDownWarning, .value1 = 4464, .value2 = -1}},
        {61, {.kind = kSlowDownStart, .value1 = 4464, .value2 = -1, .value3 = 1}},
        {62, {.kind = kSlowDownEnd, .value1 = 4464, .value2 = -1, .value3 = 1}}}},
      {"an end cell on the last cell",
       {"rallentamento, 39000, 60, 800, 0, 0, 0"},
       {{757, warning60}, {781, start60}, {797, end60}}},
      {"an end cell beyond the last cell", {"rallentamento, 39000, 60, 850, 0, 0, 0"}, {}, 15, 39000},
      {"an end cell before cell 0", {"rallentamento, 1000, 60, -1100, 0, 0, 0"}, {}, 15, 1000},
      {"a negative start", {"rallentamento, -50, 60, 100, 0, 0, 0"}, {}, 15, -50},
      {"the warning cell taken: 17",
       {"abbattimento, 3850, 0", "rallentamento, 5000, 60, 1000, 0, 1, 0"},
       {{77, bareCodePoint()}},
       17,
       5000},
      {"the start cell taken: 18",
       {"abbattimento, 5050, 0", "rallentamento, 5000, 60, 1000, 0, 1, 0"},
       {{101, bareCodePoint()}},
       18,
       5000},
      {"the end cell taken: 19",
       {"abbattimento, 6050, 0", "rallentamento, 5000, 60, 1000, 0, 1, 0"},
       {{121, bareCodePoint()}},
       19,
       5000},
      {"an approach cell taken: 20, and the other points stay written",
       {"abbattimento, 3700, 0", "rallentamento, 5000, 60, 1000, 0, 1, 0"},
       {{74, bareCodePoint()}, {77, warning60}, {101, start60}, {121, end60}},
       20,
       5000},
      {"warning and start both taken: the warning is tested first",
       {"abbattimento, 3850, 0", "abbattimento, 5050, 0", "rallentamento, 5000, 60, 1000, 0, 1, 0"},
       {{77, bareCodePoint()}, {101, bareCodePoint()}},
       17,
       5000},
      {"start and end both taken: the start is tested first",
       {"abbattimento, 5050, 0", "abbattimento, 6050, 0", "rallentamento, 5000, 60, 1000, 0, 1, 0"},
       {{101, bareCodePoint()}, {121, bareCodePoint()}},
       18,
       5000},
      {"approach cells are tested only with f_ta",
       {"abbattimento, 3700, 0", "rallentamento, 5000, 60, 1000, 0, 0, 0"},
       {{74, bareCodePoint()}, {77, warning60}, {101, start60}, {121, end60}}},
  };
  for (const LineCase& k : cases) expectLines(k);
}

TEST(TrainRunCodePoints, StandInTheCellOfTheirPosition) {
  const LineCase cases[] = {
      {"a code of 180", {"abbattimento, 1000, 180"}, {{20, codePoint(180)}}},
      {"a code of 0 places a point without a code", {"abbattimento, 1000, 0"}, {{20, bareCodePoint()}}},
      {"so does a negative code", {"abbattimento, 1025, -4"}, {{20, bareCodePoint()}}},
      {"1075 m rounds to cell 22", {"abbattimento, 1075, 1"}, {{22, codePoint(1)}}},
      {"the code wraps on 16 bits", {"abbattimento, 1000, 70000"}, {{20, codePoint(4464)}}},
      {"cell 0", {"abbattimento, 0, 7"}, {{0, codePoint(7)}}},
      {"a taken cell: 7", {"abbattimento, 1000, 5", "abbattimento, 1010, 6"}, {{20, codePoint(5)}}, 7, 1010},
      {"a negative position", {"abbattimento, -1, 5"}, {}, 15, -1},
      {"beyond the track", {"abbattimento, 39751, 5"}, {}, 15, 39751},
  };
  for (const LineCase& k : cases) expectLines(k);
}

// ---------------------------------------------------------------------------------------------------
// Stations

// The written first terminus, and a station line with every attribute zero.
const std::string kFirstTerminus =
    "stazione,       0, 12,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  16,57, 0, BORGOROSSO";
std::string plainStation(const std::string& position, const std::string& type, const std::string& platform,
                         const std::string& flags = "0, 0, 0") {
  return "stazione, " + position + ", " + type + ", " + platform + ", " + flags +
         ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NOME";
}

ScenarioRecord firstTerminusRow() {
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

ScenarioRecord plainRow(std::uint8_t type, std::int32_t a, std::int32_t b, std::int32_t s,
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

ScenarioRecord positionOnly(std::int32_t s, std::uint8_t type = 0) {
  ScenarioRecord r;
  r.numberC = s;
  r.kind = type;
  return r;
}

const CellList kFirstTerminusCells = {{2, mark(83)}, {3, mark(82)}, {4, mark(81)}, {5, stop(1)}};

CellList withFirstTerminus(CellList more) {
  more.insert(more.begin(), kFirstTerminusCells.begin(), kFirstTerminusCells.end());
  return more;
}

struct StationCase {
  const char* what;
  std::vector<std::string> lines;
  std::vector<ScenarioRecord> rows;  // rows 1 upward; the row after them stays empty
  CellList cells;
  std::int32_t code = 0;
  std::int32_t position = kUntouched;
};

TEST(TrainRunStations, FillTheirRowsMarksAndStopPoints) {
  ScenarioRecord sassocandido = plainRow(22, 9600, 9950, 9750, 1, 0);
  sassocandido.param3 = 4;
  sassocandido.param4 = 1;
  sassocandido.param5 = 1;
  sassocandido.text = "SASSOCANDIDO";
  ScenarioRecord wrapped = plainRow(30, 5000, 5000, 5000);
  wrapped.numberD = 2160000000 - 4294967296;  // (600000 x 60 + 0) x 60 wraps on 32 bits
  ScenarioRecord cutName = firstTerminusRow();
  cutName.text = "BORGO";
  ScenarioRecord withExtension = firstTerminusRow();
  withExtension.numberB = 350;  // the first station's flags are cleared only after the platform is laid

  const StationCase cases[] = {
      {"the written first terminus: marks 81 to 83 in cells 4 to 2, the stop point in cell 5",
       {kFirstTerminus},
       {firstTerminusRow()},
       kFirstTerminusCells},
      {"a station in capitals",
       {"STAZIONE,       0, 12,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  16,57, 0, BORGOROSSO"},
       {firstTerminusRow()},
       kFirstTerminusCells},
      {"the first station's extension flag still lengthens its platform",
       {"stazione, 0, 12, 600, 1, 1, 1, 4,1,0, 2,1,1, 1, 16,57,0, BORGOROSSO"},
       {withExtension},
       {{2, mark(84)}, {3, mark(83)}, {4, mark(82)}, {5, mark(81)}, {6, stop(1)}}},
      {"a 300 m platform at 9750 with the extension flag: 9600 to 9950, attribute B cleared",
       {kFirstTerminus,
        "stazione,    9750, 22,  300,  0, 1, 1,  0,0,0,  4,1,1,    0,   0, 0, 0, SASSOCANDIDO"},
       {firstTerminusRow(), sassocandido},
       withFirstTerminus(
           {{194, mark(84)}, {195, mark(83)}, {196, mark(82)}, {197, mark(81)}, {198, stop(2)}})},
      {"attribute B kept from 600 m on, after the first station",
       {kFirstTerminus, plainStation("5000", "22", "600", "0, 1, 1")},
       {firstTerminusRow(), plainRow(22, 4700, 5350, 5000, 1, 1)},
       withFirstTerminus(
           {{102, mark(84)}, {103, mark(83)}, {104, mark(82)}, {105, mark(81)}, {106, stop(2)}})},
      {"types 5 and 6 run from S - Lp to S + 150, with a stop point but no marks",
       {kFirstTerminus, plainStation("5000", "5", "400", "0, 1, 1"), plainStation("9000", "6", "400")},
       {firstTerminusRow(), plainRow(5, 4600, 5150, 5000), plainRow(6, 8600, 9150, 9000)},
       withFirstTerminus({{102, stop(2)}, {182, stop(3)}})},
      {"types 7 and 8 run from S - Lp to S + Lp",
       {kFirstTerminus, plainStation("5000", "7", "400", "0, 0, 1"), plainStation("9000", "8", "400")},
       {firstTerminusRow(), plainRow(7, 4600, 5400, 5000), plainRow(8, 8600, 9400, 9000)},
       withFirstTerminus({{103, mark(84)},
                          {104, mark(83)},
                          {105, mark(82)},
                          {106, mark(81)},
                          {107, stop(2)},
                          {183, mark(84)},
                          {184, mark(83)},
                          {185, mark(82)},
                          {186, mark(81)},
                          {187, stop(3)}})},
      {"type 24 is laid on the track, type 25 only in the table",
       {kFirstTerminus, plainStation("5000", "24", "200"), plainStation("9000", "25", "200", "0, 0, 1")},
       {firstTerminusRow(), plainRow(24, 4900, 5100, 5000), plainRow(25, 8900, 9150, 9000, 1)},
       withFirstTerminus({{97, mark(84)}, {98, mark(83)}, {99, mark(82)}, {100, mark(81)}, {101, stop(2)}})},
      {"the scheduled time wraps on 32 bits",
       {"stazione, 5000, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, 600000,0,0, NOME"},
       {wrapped},
       {}},
      {"a name with a comma keeps the text before it; the rest is a key field",
       {"stazione, 0, 12, 600, 1, 0, 0, 4,1,0, 2,1,1, 1, 16,57, 0, BORGO, ROSSO", "sabbia, 3"},
       {cutName},
       kFirstTerminusCells},
      {"platforms 350 m apart are accepted",
       {kFirstTerminus, plainStation("800", "30", "300")},
       {firstTerminusRow(), plainRow(30, 650, 950, 800)},
       kFirstTerminusCells},

      {"beyond the track: 15, after only the position was stored",
       {plainStation("39100", "12", "600")},
       {positionOnly(39100)},
       {},
       15,
       39100},
      {"the last position the track allows",
       {plainStation("39050", "30", "600")},
       {plainRow(30, 38750, 39350, 39050)},
       {}},
      {"a negative position", {plainStation("-50", "30", "0")}, {positionOnly(-50)}, {}, 15, -50},
      {"a stop point beyond the last cell: 15, before any mark is written",
       {plainStation("39000", "12", "2000")},
       {plainRow(12, 38000, 40000, 39000)},
       {},
       15,
       39000},
      {"a position off the 50 m grid: 8",
       {plainStation("125", "12", "600")},
       {positionOnly(125)},
       {},
       8,
       125},
      {"a platform length off the 100 m grid: 9",
       {plainStation("1000", "12", "250")},
       {positionOnly(1000, 12)},
       {},
       9,
       1000},
      {"a platform end not beyond 100 m: 24, no position",
       {plainStation("100", "12", "0")},
       {plainRow(12, 100, 100, 100)},
       {},
       24},
      {"a platform end at 150 m is enough",
       {plainStation("150", "12", "0")},
       {plainRow(12, 150, 150, 150)},
       {{2, stop(1)}}},
      {"too close to the previous platform: 22, after its own marks and stop point",
       {kFirstTerminus, plainStation("750", "22", "300")},
       {firstTerminusRow(), plainRow(22, 600, 900, 750)},
       withFirstTerminus({{13, mark(84)}, {14, mark(83)}, {15, mark(82)}, {16, mark(81)}, {17, stop(2)}}),
       22,
       750},

      {"order: 15 before 8 and 9",
       {plainStation("39125", "12", "650")},
       {positionOnly(39125)},
       {},
       15,
       39125},
      {"order: 8 before 9", {plainStation("125", "12", "650")}, {positionOnly(125)}, {}, 8, 125},
      {"order: 9 before 24", {plainStation("0", "12", "50")}, {positionOnly(0, 12)}, {}, 9, 0},
      {"order: 24 before 22",
       {kFirstTerminus, plainStation("0", "12", "0")},
       {firstTerminusRow(), plainRow(12, 0, 0, 0)},
       kFirstTerminusCells,
       24},
  };
  for (const StationCase& k : cases) {
    SCOPED_TRACE(k.what);
    Compile c(trainRun(k.lines));
    EXPECT_EQ(c.model.errorCode, k.code);
    EXPECT_EQ(c.model.errorPosition, k.position);
    for (std::size_t i = 0; i <= k.rows.size(); ++i) {
      const ScenarioRecord expected = i < k.rows.size() ? k.rows[i] : ScenarioRecord{};
      EXPECT_EQ(describe(c.row(static_cast<int>(i) + 1)), describe(expected)) << "row " << i + 1;
    }
    EXPECT_EQ(featureCells(c.model), featureCells(k.cells));
    expectTrainRunDeletedOnce(c);
  }
}

// The text boards of the route take rows from 80 downward; the stations stop below the lowest of them.
TEST(TrainRunStations, TheStationAtTheBoardsRowIsRecordedAndRefused) {
  std::vector<std::string> boards;
  for (int k = 0; k < 27; ++k)
    boards.push_back("cartello_indicatore, " + std::to_string(1000 + 100 * k) + ", (F)");
  for (int stations : {51, 52}) {
    SCOPED_TRACE(stations);
    std::vector<std::string> lines;
    for (int k = 0; k < stations; ++k) lines.push_back(plainStation(std::to_string(400 * k), "30", "0"));
    lines.push_back("sabbia, 5");
    Compile c(trainRun(lines), route({}, boards));
    EXPECT_EQ(c.row(54).text, "(F)");  // the lowest board row
    EXPECT_EQ(c.row(53).text, "");
    EXPECT_EQ(c.row(stations).numberC, 400 * (stations - 1));
    EXPECT_EQ(c.row(stations).text, "NOME");
    if (stations == 51) {
      EXPECT_EQ(c.model.errorCode, 0);
      EXPECT_EQ(c.row(kRowRun).param1, 5);
    } else {
      EXPECT_EQ(c.model.errorCode, 10);
      EXPECT_EQ(c.model.errorPosition, kUntouched);
      EXPECT_EQ(c.row(kRowRun).param1, 0);
    }
    expectTrainRunDeletedOnce(c);
  }
}

// ---------------------------------------------------------------------------------------------------
// Errors the route left, and the kilometre-post check

TEST(TrainRunAfterTheRoute, ARouteThatEndedBeyondTheTrackDoesNotFailTheRecorders) {
  Compile c(trainRun({"segnale, 5450, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0", "rallentamento, 3000, 30, 0, 0, 0, 0",
                      "sabbia, 4"}),
            route({}, {"pendenza, 39751, 1"}));
  EXPECT_EQ(c.model.errorCode, 15);
  EXPECT_EQ(c.model.errorPosition, 39751);
  EXPECT_EQ(c.model.trackCells[110].kind, kSignal);
  EXPECT_EQ(c.model.trackCells[61].kind, kSlowDownStart);
  EXPECT_EQ(c.row(kRowRun).param1, 4);
  expectTrainRunDeletedOnce(c);
}

struct KilometreCase {
  const char* what;
  std::vector<std::string> lines;
  std::int32_t code;
  std::int32_t position;
};

TEST(TrainRunAfterTheRoute, KilometrePostsOffTheGridGiveCode2AfterTheWholeReading) {
  const KilometreCase cases[] = {
      {"a full reading ends with 2, the profiles completed",
       {"velocita, 0, 100", "sabbia, 7"},
       2,
       kUntouched},
      {"2 replaces 15 and keeps its position",
       {"velocita, 0, 100", "velocita, 39751, 5", "sabbia, 7"},
       2,
       39751},
      {"a failure exit skips the check",
       {"velocita, 0, 100", "abbattimento, 1000, 1", "abbattimento, 1000, 1", "sabbia, 7"},
       7,
       1000},
  };
  for (const KilometreCase& k : cases) {
    SCOPED_TRACE(k.what);
    Compile c(trainRun(k.lines), route({"progressiva chilometrica uno, 0, 160925, 0"}));
    EXPECT_EQ(c.row(kRowKilometreTre).numberB, 160925);
    EXPECT_EQ(c.model.errorCode, k.code);
    EXPECT_EQ(c.model.errorPosition, k.position);
    const bool endStepsRan = k.code != 7;
    EXPECT_EQ(c.model.trackCells[794].speedLimit, endStepsRan ? 20 : 0);
    EXPECT_EQ(c.row(kRowRun).param1, k.code == 2 && k.position == kUntouched ? 7 : 0);
    expectTrainRunDeletedOnce(c);
  }
}

// ---------------------------------------------------------------------------------------------------
// Run-time failures and the file system

struct FailureCase {
  const char* what;
  std::string source;
};

TEST(TrainRunFailures, EndAsCode25WithBothSourcesDeleted) {
  const FailureCase cases[] = {
      {"the end of the file inside a line's values", crlf({"[generale]", "segnale, 5450, 1"})},
      {"a station type above 255", trainRun({plainStation("0", "256", "600")})},
      {"a negative 8-bit attribute", trainRun({plainStation("0", "12", "600", "-1, 0, 0")})},
      {"sand beyond 16 bits", trainRun({"sabbia, 40000"})},
      {"a clock value beyond 16 bits", trainRun({"orologio, 16 56 70000"})},
      {"a count beyond 32 bits", trainRun({"numero vetture, 3000000000"})},
      {"a value that is no number", trainRun({"numero vetture, otto"})},
      {"a speed whose fifth rounds above 255", trainRun({"velocita, 0, 1278"})},
      {"a speed whose fifth rounds below 0", trainRun({"velocita, 0, -3"})},
      {"a station name longer than its 16-bit count",
       trainRun({"stazione, 5000, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, " + std::string(65536, 'N')})},
      {"a slow-down end that overflows", trainRun({"rallentamento, 1000, 60, 2147483647, 0, 0, 0"})},
  };
  for (const FailureCase& k : cases) {
    SCOPED_TRACE(k.what);
    Compile c(k.source);
    EXPECT_EQ(c.model.errorCode, 25);
    EXPECT_EQ(c.model.errorPosition, kUntouched);
    EXPECT_EQ(c.row(1).text, "");  // a name the compiled table cannot hold is never stored
    expectTrainRunDeletedOnce(c);
  }
}

// The driver writes the compiled files whatever the reader's code: nothing refused may stay behind in a
// form the files cannot hold.
TEST(TrainRunFailures, ARefusedLongNameStillLetsTheCompiledFilesBeWritten) {
  FakePlatform platform;
  Form1 form(platform, platform, platform.folder);
  form.model.scenarioName = "Prova";
  form.model.trainNumber = "9";
  ScenarioNames names{form.model.scenarioName, form.model.trainNumber};
  platform.fs.files[platform.join(platform.folder, routeSourceName(names))] = route();
  platform.fs.files[platform.join(platform.folder, trainRunSourceName(names))] =
      trainRun({"stazione, 5000, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, " + std::string(70000, 'N')});
  std::int32_t option = 0;
  form.memorizza_percorso(option);
  EXPECT_EQ(form.model.errorCode, 25);
  EXPECT_EQ(form.writtenFiles.size(), 2u);  // the table and the cells; no plan without the option
}

TEST(TrainRunFailures, ANameOf65535BytesIsAccepted) {
  Compile c(trainRun({"stazione, 5000, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, " + std::string(65535, 'N')}));
  EXPECT_EQ(c.model.errorCode, 0);
  EXPECT_EQ(c.row(1).text.size(), 65535u);
}

TEST(TrainRunFailures, AMissingSourceIsCode25) {
  Compile c(std::nullopt);
  EXPECT_EQ(c.model.errorCode, 25);
  EXPECT_EQ(c.model.errorPosition, kUntouched);
  EXPECT_EQ(c.removals(kRoutePath), 1u);
  EXPECT_TRUE(c.fs.removed.size() == 1);
}

TEST(TrainRunFailures, AnUnreadableSourceIsAFileSystemFailure) {
  MemoryFileSystem fs;
  fs.files[kRoutePath] = route();
  fs.files[kTrainRunPath] = trainRun({});
  fs.unreadable.insert(kTrainRunPath);
  Model model;
  SourceAccess sources{fs, kRoutePath, kTrainRunPath};
  EXPECT_THROW(memorizza_dati(model, sources), IoError);
}

TEST(TrainRunFailures, SourcesAreKeptWhenTheCallerAsks) {
  for (const std::string& source : {trainRun({"sabbia, 5"}), trainRun({"sabbia, 99999"}),
                                    trainRun({"abbattimento, 0, 1", "abbattimento, 0, 1"})}) {
    Compile c(source, route(), /*deleteSources=*/false);
    EXPECT_TRUE(c.fs.files.count(kTrainRunPath));
    EXPECT_TRUE(c.fs.removed.empty());
  }
}

struct WhereCase {
  const char* what;
  std::vector<std::string> lines;
  std::string route;
  std::int32_t code;
  SourceKind source;
  std::size_t line;
};

TEST(TrainRunFailures, RecordedErrorsNameTheSourceAndLine) {
  const WhereCase cases[] = {
      {"a refused line",
       {"sabbia, 1", "abbattimento, 0, 1", "abbattimento, 0, 1"},
       route(),
       7,
       SourceKind::kTrainRun,
       4},
      {"a run-time failure", {"sabbia, 1", "numero vetture, otto"}, route(), 25, SourceKind::kTrainRun, 3},
      {"a position beyond the track", {"velocita, 99999, 1"}, route(), 15, SourceKind::kTrainRun, 2},
      // An entry is reported at its key's line, wherever its values continue.
      {"values continued on the next line",
       {"sabbia, 1", "segnale, 2000000", "1, 4, 0, 0, 0", "0, 0, 0, 0, 0"},
       route(),
       15,
       SourceKind::kTrainRun,
       3},
      {"a bad value on a continuation line", {"numero vetture", "otto"}, route(), 25, SourceKind::kTrainRun, 2},
      {"a key after comment fields", {"- a note -, --, sabbia, 1", "velocita, 99999, 1"}, route(), 15,
       SourceKind::kTrainRun, 3},
      {"the kilometre posts belong to the route",
       {"sabbia, 1"},
       route({"progressiva chilometrica uno, 0, 10, 0"}),
       2,
       SourceKind::kRoute,
       0},
  };
  for (const WhereCase& k : cases) {
    SCOPED_TRACE(k.what);
    Compile c(trainRun(k.lines), k.route);
    EXPECT_EQ(c.model.errorCode, k.code);
    EXPECT_EQ(c.sources.errorSource, k.source);
    EXPECT_EQ(c.sources.errorLine, k.line);
  }
}

// ---------------------------------------------------------------------------------------------------
// The embedded scenario

std::string embedded(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text += utf8ToCp1252(line) + "\r\n";
  return text;
}

TEST(TrainRunEmbedded, CompilesWithoutErrorAfterTheEmbeddedRoute) {
  MemoryFileSystem fs;
  fs.files[kRoutePath] = embedded(routeLines());
  fs.files[kTrainRunPath] = embedded(trainRunLines());
  Model model;
  model.scenarioName = "Borgorosso_MontegranoC";
  model.trainNumber = "517";
  model.buildPlan = 1;
  SourceAccess sources{fs, kRoutePath, kTrainRunPath};
  memorizza_dati(model, sources);

  EXPECT_EQ(model.errorCode, 0);
  EXPECT_TRUE(fs.files.empty());  // both sources deleted
  ASSERT_EQ(model.cellCount, 797);

  const auto& table = model.scenarioTable;
  EXPECT_EQ(describe(table[1]), describe(firstTerminusRow()));
  EXPECT_EQ(table[2].numberA, 9600);
  EXPECT_EQ(table[2].numberB, 9950);
  EXPECT_EQ(table[3].numberC, 22100);
  EXPECT_EQ(table[4].numberC, 28750);
  EXPECT_EQ(table[4].text, "MONTEGRANO C.");
  EXPECT_EQ(table[4].numberD, (17 * 60 + 27) * 60);
  EXPECT_EQ(describe(table[5]), describe(ScenarioRecord{}));
  EXPECT_EQ(table[kRowTrain].numberA, 105);
  EXPECT_EQ(table[kRowTrain].numberC, 8);
  EXPECT_EQ(table[kRowRun].param1, 180);
  EXPECT_EQ(table[kRowRun].param3, 16);
  EXPECT_EQ(table[kRowRun].param4, 56);

  std::vector<std::int32_t> signals, stops;
  for (std::size_t i = 0; i < model.trackCells.size(); ++i) {
    if (model.trackCells[i].kind == kSignal) signals.push_back(static_cast<std::int32_t>(i));
    if (model.trackCells[i].kind == kStopPoint) stops.push_back(static_cast<std::int32_t>(i));
  }
  EXPECT_EQ(signals, (std::vector<std::int32_t>{110, 138, 165, 185, 405, 435, 539, 560}));
  EXPECT_EQ(stops, (std::vector<std::int32_t>{5, 198, 445, 580}));
  EXPECT_EQ(
      test::describeFeature(model.trackCells[560]),
      test::describeFeature({.kind = kSignal, .value1 = 30, .value2 = 10, .value4 = 6, .signalTime = 245}));

  EXPECT_EQ(column(model, &TrackCell::speedLimit), runs({{341, 15}, {24, 13}, {86, 15}, {344, 12}, {3, 0}}));
  const std::vector<std::uint8_t> adhesion = column(model, &TrackCell::adhesion);
  EXPECT_EQ(*std::min_element(adhesion.begin(), adhesion.end() - 3), 70);
  EXPECT_EQ(*std::max_element(adhesion.begin(), adhesion.end() - 3), 100);
  EXPECT_EQ(adhesion.back(), 0);
}

}  // namespace
}  // namespace pack
