// The train run half of the source reader, run through memorizza_dati on sources held in memory: tables
// of train run snippets against the cells, rows, error code, error position and deletions they give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "compiler/reader_context.h"
#include "output/compiled_files.h"
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

using namespace test;

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
  ScenarioNames names{"Prova", "9"};
  platform.fs.files[platform.join(platform.folder, routeSourceName(names))] = route();
  platform.fs.files[platform.join(platform.folder, trainRunSourceName(names))] =
      trainRun({"stazione, 5000, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, " + std::string(70000, 'N')});
  Model model;
  const CompileReport report = compileAndWrite(platform, {"Prova", "9", platform.folder, false, true}, platform.folder, model);
  EXPECT_EQ(report.error.code, 25);
  EXPECT_EQ(report.written.size(), 2u);  // the table and the cells; no plan without the option
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
