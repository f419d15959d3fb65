// The route half of the source reader, run through memorizza_dati on sources held in memory.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "compiler/error_codes.h"
#include "compiler/reader_context.h"
#include "compiler/route_test_support.h"
#include "compiler/runtime_failure.h"
#include "compiler/source_reader.h"
#include "formats/cp1252.h"
#include "platform/memory_file_system.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

using namespace route_test;

// ---- The general part ----

struct GeneralFields {
  std::int32_t errorCode = 0;
  std::int32_t length = 0;                       // row 84 numberB
  std::array<std::int32_t, 3> backgrounds{};     // row 85 numberA, numberB, numberC
  std::array<std::int32_t, 3> repetition{};      // row 86 numberA, numberB, numberC
};

TEST(RouteReaderGeneral, EntriesFillTheirRows) {
  struct Case {
    std::vector<std::string> general;  // between "[generale]" and "[curve]"
    GeneralFields expected;
  } cases[] = {
      {{"lunghezza percorso,    32850"}, {0, 32850}},
      {{"LUNGHEZZA PERCORSO, 32850"}, {0, 32850}},
      {{"lunghezza percorso, 5000", "lunghezza percorso, 32850"}, {0, 32850}},
      {{"lunghezza percorso, 3000", "sfondo uno,    4", "sfondo due,    5", "sfondo tre,    6"},
       {0, 3000, {4, 6, 5}}},
      // Words searched with exact case: the key is ignored and its value read as a key field.
      {{"lunghezza percorso, 3000", "Sfondo uno,    4"}, {0, 3000}},
      // Every entry whose words the key holds is handled, one after the other.
      {{"lunghezza percorso, 3000", "sfondo uno tre, 4, 6"}, {0, 3000, {4, 6, 0}}},
      {{"lunghezza percorso, 3000", "ripetizione segnali 4 codici,    0    ,0"}, {0, 3000}},
      {{"lunghezza percorso, 3000", "ripetizione segnali 49 codici, 100, 200"}, {0, 3000, {}, {100, 200, 4}}},
      {{"lunghezza percorso, 3000", "ripetizione segnali 9 codici, 100, 200"}, {0, 3000, {}, {100, 200, 9}}},
      {{"lunghezza percorso, 3000", "ripetizione segnali 9 codici, 100, 0"}, {0, 3000, {}, {100, 0, 0}}},
      {{"lunghezza percorso, 3000", "ripetizione segnali 4 codici, -150, 50"}, {0, 3000, {}, {-150, 50, 4}}},
      {{"lunghezza percorso, 3000", "RIPETIZIONE SEGNALI 4 CODICI, 100, 200"}, {0, 3000}},
      // Refusals keep the values stored before them.
      {{"lunghezza percorso, 3000", "ripetizione segnali, 100, 200"}, {kErrRepetitionCodes, 3000, {}, {100, 200, 0}}},
      {{"lunghezza percorso, 3000", "ripetizione segnali 4 codici, 120, 200"},
       {kErrRepetitionFirst, 3000, {}, {120, 200, 0}}},
      {{"lunghezza percorso, 3000", "ripetizione segnali 4 codici, 100, 210"},
       {kErrRepetitionSecond, 3000, {}, {100, 210, 0}}},
      {{"lunghezza percorso, 3000", "ripetizione segnali, 120, 210"}, {kErrRepetitionFirst, 3000, {}, {120, 210, 0}}},
      {{"sfondo uno, 4", "lunghezza percorso, 1000001", "sfondo due, 5"}, {kErrRouteTooLong, 1000001, {4, 0, 0}}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> source = {"[generale]"};
    source.insert(source.end(), c.general.begin(), c.general.end());
    source.insert(source.end(), {"[curve]", "[fine]"});
    Compile run(lines(source));
    const std::string what = c.general.back();

    EXPECT_EQ(run.model.errorCode, c.expected.errorCode) << what;
    EXPECT_EQ(run.row(kRowTrain).numberB, c.expected.length) << what;
    const ScenarioRecord& bg = run.row(kRowScenario);
    EXPECT_EQ((std::array{bg.numberA, bg.numberB, bg.numberC}), c.expected.backgrounds) << what;
    const ScenarioRecord& rep = run.row(kRowRun);
    EXPECT_EQ((std::array{rep.numberA, rep.numberB, rep.numberC}), c.expected.repetition) << what;
    EXPECT_FALSE(run.routeLeft()) << what;
    if (c.expected.errorCode != 0) {
      EXPECT_TRUE(run.trainRunLeft()) << what << ": a refused route stops the reading";
    }
  }
}

TEST(RouteReaderGeneral, LengthSizesTheTrackModel) {
  Compile stored(route({}, 32850));
  EXPECT_EQ(stored.model.extendedLength, 39850);
  EXPECT_EQ(stored.model.cellCount, 797);
  EXPECT_EQ(stored.model.trackCells.size(), 798u);
  EXPECT_EQ(stored.model.trackPlan.size(), 39851u);

  Compile longest(route({}, 1000000), 0);
  EXPECT_EQ(longest.model.errorCode, 0);
  EXPECT_EQ(longest.model.cellCount, 20140);
  EXPECT_TRUE(longest.model.trackPlan.empty()) << "no plan unless it is built";

  Compile tooLong(route({}, 1000001));
  EXPECT_EQ(tooLong.model.errorCode, kErrRouteTooLong);
  EXPECT_FALSE(tooLong.model.hasCells());

  // 39875 / 50 = 797.5 and 39925 / 50 = 798.5 both give 798.
  EXPECT_EQ(Compile(route({}, 32875)).model.cellCount, 798);
  EXPECT_EQ(Compile(route({}, 32925)).model.cellCount, 798);
}

TEST(RouteReaderGeneral, KilometrePostsAreOrderedBeforeTheFeatures) {
  Compile run(lines({"[generale]", "lunghezza percorso, 3000", "progressiva chilometrica uno,    0,    900,    0",
                     "progressiva chilometrica due,    600,    300,    0",
                     "progressiva chilometrica tre,    300,    600,    1", "[curve]", "[fine]"}));
  auto post = [&](int r) {
    return std::array{run.row(r).numberA, run.row(r).numberB, run.row(r).numberC};
  };
  EXPECT_EQ(post(kRowKilometreTre), (std::array{600, 300, 0}));
  EXPECT_EQ(post(kRowKilometreDue), (std::array{300, 700, 1}));
  EXPECT_EQ(post(kRowKilometreUno), (std::array{0, 900, 0}));

  Compile capitals(lines({"[generale]", "lunghezza percorso, 3000", "PROGRESSIVA CHILOMETRICA UNO, 0, 160850, 1",
                          "[curve]", "[fine]"}));
  EXPECT_EQ(capitals.model.errorCode, 0);
  EXPECT_EQ(capitals.row(kRowKilometreTre).numberB, 0) << "a key in capitals is not this entry";
}

TEST(RouteReaderGeneral, EachPartKnowsOnlyItsOwnKeys) {
  // A general entry after the header, a feature entry before it.
  Compile run(lines({"[generale]", "lunghezza percorso, 3000", "pendenza, 0, 5", "[curve]", "sfondo uno, 7",
                     "lunghezza percorso, 5000", "[fine]"}));
  EXPECT_EQ(run.model.errorCode, 0);
  EXPECT_EQ(run.row(kRowScenario).numberA, 0);
  EXPECT_EQ(run.model.cellCount, 200);
  expectGradients(run, {{0, 197, 100}}, "gradient in the general part");
}

// ---- Finding the general part, the end of the file, comment runs ----

struct LayoutCase {
  const char* what;
  std::optional<std::string> source;  // nothing: no route source on disk
  std::int32_t errorCode;
  bool routeLeft;
  bool trainRunLeft;
  bool cells;
};

TEST(RouteReaderLayout, HeaderEndOfFileAndRefusals) {
  const LayoutCase cases[] = {
      {"no route source", std::nullopt, kErrNoRouteSource, false, true, false},
      {"empty route source: the first read finds nothing", "", kErrRunTime, false, false, false},
      {"header alone, as the last field", lines({"[generale]"}), kErrNoGeneralSection, false, true, false},
      {"no header", lines({"lunghezza percorso, 3000", "[curve]", "[fine]"}), kErrNoGeneralSection, false,
       true, false},
      {"header in capitals after other text",
       lines({"Linea di prova", "[GENERALE]", "lunghezza percorso, 3000", "[curve]", "[fine]"}), 0, false,
       true, true},
      {"general part without a length", lines({"[generale]", "sfondo uno, 1", "[curve]", "[fine]"}), kErrRunTime,
       false, false, false},
      {"length key as the last field", lines({"[generale]", "lunghezza percorso"}), kErrRunTime, false, false,
       false},
      {"file ends in the general part", lines({"[generale]", "lunghezza percorso, 3000"}), 0, false, true, true},
      {"entry taking its value from the next line", lines({"[generale]", "lunghezza percorso, 3000",
                                                           "sfondo uno", "[curve]", "[fine]"}),
       kErrRunTime, false, false, true},
      {"key as the last field is dropped", lines({"[generale]", "lunghezza percorso, 3000", "sfondo uno"}), 0,
       false, true, true},
      {"not a whole number", lines({"[generale]", "lunghezza percorso, 3000.5", "[curve]", "[fine]"}),
       kErrRunTime, false, false, false},
      {"one trailing comment line", lines({"[generale]", "lunghezza percorso, 3000", "------"}), 0, false, true,
       true},
      {"two trailing comment lines read past the end",
       lines({"[generale]", "lunghezza percorso, 3000", "------", "------"}), kErrRunTime, false, false, true},
      {"two trailing comment lines in the feature part",
       lines({"[generale]", "lunghezza percorso, 3000", "[curve]", "------", "------"}), 0, false, true, true},
  };
  for (const LayoutCase& c : cases) {
    Compile run(c.source);
    EXPECT_EQ(run.model.errorCode, c.errorCode) << c.what;
    EXPECT_EQ(run.routeLeft(), c.routeLeft) << c.what;
    if (c.errorCode != 0) {
      EXPECT_EQ(run.trainRunLeft(), c.trainRunLeft) << c.what;
    }
    EXPECT_EQ(run.model.hasCells(), c.cells) << c.what;
  }
}

TEST(RouteReaderLayout, MissingSourceTouchesNothing) {
  Compile run(std::nullopt);
  EXPECT_EQ(run.model.errorCode, kErrNoRouteSource);
  EXPECT_TRUE(run.fs.removed.empty());
}

TEST(RouteReaderLayout, TenCommentFieldsReplaceAGeneralKey) {
  struct Case {
    const char* comment;
    int count;
    std::int32_t background;  // row 85 numberA after "sfondo uno, 5"
  } cases[] = {
      {"------", 10, 5},
      {"------", 11, 5},        // the eleventh is a key field that matches nothing
      {"nota [a] -", 10, 5},
      {"nota [a] -", 11, 0},    // the eleventh holds "[" and "]": it ends the general part
      {"-- [a] --", 11, 5},     // a field that begins with "-" never ends it
  };
  for (const Case& c : cases) {
    std::vector<std::string> source = {"[generale]", "lunghezza percorso, 3000"};
    source.insert(source.end(), static_cast<std::size_t>(c.count), c.comment);
    source.insert(source.end(), {"sfondo uno, 5", "[curve]", "[fine]"});
    Compile run(lines(source));
    EXPECT_EQ(run.model.errorCode, 0) << c.comment << " x" << c.count;
    EXPECT_EQ(run.row(kRowScenario).numberA, c.background) << c.comment << " x" << c.count;
  }
}

TEST(RouteReaderLayout, TwoCommentFieldsReplaceAFeatureKey) {
  struct Case {
    const char* what;
    std::vector<std::string> features;
    std::int32_t gradientFromCell10;
  } cases[] = {
      {"no comment", {"pendenza, 500, 7"}, 107},
      {"third comment in a row is a key", {"-- a", "-- b", "-- pendenza, 500, 7"}, 107},
      {"second comment is replaced by its value", {"-- a", "-- pendenza, 500, 7"}, 100},
      {"key after three comments", {"-- a", "-- b", "-- c", "pendenza, 500, 7"}, 107},
  };
  for (const Case& c : cases) {
    Compile run(route(c.features));
    EXPECT_EQ(run.model.errorCode, 0) << c.what;
    EXPECT_EQ(run.cell(10).gradient, c.gradientFromCell10) << c.what;
    EXPECT_EQ(run.cell(9).gradient, 100) << c.what;
  }
}

// ---- Positions beyond the track model (code 15) ----

TEST(RouteReaderBeyondTrack, EndsTheFeaturePartAndCompletesTheRest) {
  const std::string speeds = ", 60, 60, 60, 0, 0, 0, 0, 0";
  struct Case {
    std::string line;
    std::int32_t errorPosition;  // 0: accepted
  } cases[] = {
      {"pendenza, 9950, 1", 9950},
      {"pendenza, 9900, 1", 0},
      {"pendenza, -50, 1", -50},
      {"curvad4, 9950, 10", 9950},
      {"curvad4, -10, 50", -10},
      {"curvad4, 9000, 1001", 9000},   // would run past the plan's last metre
      {"curvad4, 9000, 1000", 0},
      {"montagna, 9950, 9999, 1", 9950},
      {"montagna, -50, 100, 1", -50},
      {"montagna, 100, 10100, 1", 100},  // its last cell would be 201
      {"montagna, 100, 10050, 1", 0},
      {"indicatori_vmax, 9950" + speeds, 9950},
      {"indicatori_vmax, 9900" + speeds, 0},
      {"indicatori_vmax, -50" + speeds, -50},
      {"cartello_indicatore, 9950, (X)", 9950},
      {"cartello_indicatore, 9900, (X)", 0},
      {"cartello_indicatore, -25, (X)", -25},
  };
  for (const Case& c : cases) {
    // The board after the tested line shows whether the reading went on.
    Compile run(route({"pendenza, 0, 5", c.line, "cartello_indicatore, 0, (after)"}));
    bool refused = c.errorPosition != 0;
    EXPECT_EQ(run.model.errorCode, refused ? kErrBeyondTrack : 0) << c.line;
    EXPECT_EQ(run.model.errorPosition, c.errorPosition) << c.line;
    EXPECT_EQ(run.cell(1).kind, refused ? kFree : kTextBoard) << c.line;
    EXPECT_FALSE(run.routeLeft()) << c.line;
    if (!refused) continue;
    expectGradients(run, {{0, 197, 105}, {198, 200, 0}}, c.line);
    EXPECT_EQ(run.point(9998).y.tag, PlanTag::kDouble) << c.line;
    EXPECT_EQ(run.point(9998).y.value, 9998.0) << c.line;
    EXPECT_EQ(run.point(9999).y.tag, PlanTag::kEmpty) << c.line;
    EXPECT_TRUE(RouteOnly(route({c.line})).outcome.readTrainRun) << c.line << ": the train run is still read";
  }
}

TEST(RouteReaderBeyondTrack, AnEightyFirstMountainOrBoardIsRefused) {
  std::vector<std::string> mountains;
  std::vector<std::string> boards;
  for (int i = 0; i < 81; ++i) {
    std::string at = std::to_string(i * 100);
    mountains.push_back("montagna, " + at + ", " + std::to_string(i * 100 + 50) + ", 1");
    boards.push_back("cartello_indicatore, " + at + ", (B" + std::to_string(i) + ")");
  }

  Compile mountainRun(route(mountains));
  EXPECT_EQ(mountainRun.model.errorCode, kErrBeyondTrack);
  EXPECT_EQ(mountainRun.model.errorPosition, 8000);
  EXPECT_EQ(mountainRun.model.mountainCount, 80);
  EXPECT_EQ(mountainRun.model.mountainStart[80], 7900);
  EXPECT_EQ(mountainRun.cell(160).mountainKind, 0);

  Compile boardRun(route(boards));
  EXPECT_EQ(boardRun.model.errorCode, kErrBeyondTrack);
  EXPECT_EQ(boardRun.model.errorPosition, 8000);
  EXPECT_EQ(boardRun.row(1).text, "(B79)");
  EXPECT_EQ(boardRun.row(0).text, "");
  EXPECT_EQ(boardRun.cell(161).kind, kFree);
  EXPECT_EQ(RouteOnly(route(boards)).outcome.nextBoardRow, 0);
}

// ---- How the route half ends ----

TEST(RouteReaderOutcome, TrainRunIsReadAfterTheEndOfFileOrCodeFifteenOnly) {
  struct Case {
    const char* what;
    std::string source;
    std::int32_t errorCode;
    bool readTrainRun;
  } cases[] = {
      {"end of file", route({"pendenza, 0, 1"}), 0, true},
      {"position beyond the track", route({"pendenza, 9950, 1"}), kErrBeyondTrack, true},
      {"no general part", lines({"[fine]", "[fine]"}), kErrNoGeneralSection, false},
      {"route too long", route({}, 1000001), kErrRouteTooLong, false},
      {"repetition codes", lines({"[generale]", "lunghezza percorso, 3000", "ripetizione segnali, 0, 0", "[fine]"}),
       kErrRepetitionCodes, false},
      {"curve", route({"curvad, 100, 50"}), kErrCurve, false},
      {"text board", route({"cartello_indicatore, 1000, (X)", "cartello_indicatore, 1000, (X)"}),
       kErrTextBoardOccupied, false},
  };
  for (const Case& c : cases) {
    RouteOnly run(c.source);
    EXPECT_FALSE(run.failed) << c.what;
    EXPECT_EQ(run.model.errorCode, c.errorCode) << c.what;
    EXPECT_EQ(run.outcome.readTrainRun, c.readTrainRun) << c.what;
  }
}

TEST(RouteReaderOutcome, ErrorsNameTheLineOfTheirEntry) {
  Compile board(lines({"[generale]", "lunghezza percorso, 3000", "[curve]", "cartello_indicatore, 1000, (X)",
                       "cartello_indicatore, 1000, (Y)", "[fine]"}));
  EXPECT_EQ(board.model.errorCode, kErrTextBoardOccupied);
  EXPECT_EQ(board.sources.errorSource, SourceKind::kRoute);
  EXPECT_EQ(board.sources.errorLine, 5u);

  // Values that continue on the next lines belong to the entry on the line of its key.
  Compile continued(lines({"[generale]", "lunghezza percorso, 3000", "[curve]", "indicatori_vmax, 1000, 1, 1",
                           "1, 0, 1, 1, 1, 0", "indicatori_vmax", "1000", "1, 1, 1, 0, 1, 1, 1, 0", "[fine]"}));
  EXPECT_EQ(continued.model.errorCode, kErrSpeedBoardOccupied);
  EXPECT_EQ(continued.sources.errorLine, 6u);

  // The failure handler runs after the route half has been left.
  Compile failure(lines({"[generale]", "sfondo uno, 1", "lunghezza percorso, 3x", "[fine]"}));
  EXPECT_EQ(failure.model.errorCode, kErrRunTime);
  EXPECT_EQ(failure.sources.errorSource, SourceKind::kRoute);
  EXPECT_EQ(failure.sources.errorLine, 3u);
}

TEST(RouteReaderOutcome, FileSystemFailuresAreNotParseErrors) {
  MemoryFileSystem fs;
  SourceAccess sources{fs, kRoutePath, kTrainRunPath};
  Model model;
  model.buildPlan = 1;
  fs.files[kRoutePath] = route({});
  fs.unreadable.insert(kRoutePath);
  EXPECT_THROW(memorizza_dati(model, sources), IoError);

  fs.unreadable.clear();
  fs.readOnly.insert(kRoutePath);
  EXPECT_THROW(memorizza_dati(model, sources), IoError);
}

TEST(RouteReaderOutcome, KeepingTheSourcesLeavesTheRouteOnDisk) {
  MemoryFileSystem fs;
  SourceAccess sources{fs, kRoutePath, kTrainRunPath, false};
  Model model;
  fs.files[kRoutePath] = route({"curvad, 100, 50"});
  fs.files[kTrainRunPath] = std::string(kTinyTrainRun);
  memorizza_dati(model, sources);
  EXPECT_EQ(model.errorCode, 0) << "without the plan a curve key is not recognised";
  EXPECT_TRUE(fs.exists(kRoutePath));
}

// ---- The stored route ----

TEST(RouteReaderEmbedded, TheStoredRouteCompilesWithoutError) {
  std::string source;
  for (std::string_view line : routeLines()) source += utf8ToCp1252(line) + "\r\n";
  RouteOnly run(source);
  const Model& m = run.model;
  ASSERT_FALSE(run.failed);
  ASSERT_EQ(m.errorCode, 0);
  EXPECT_TRUE(run.outcome.readTrainRun);
  EXPECT_FALSE(run.fs.exists(kRoutePath));

  EXPECT_EQ(m.extendedLength, 39850);
  EXPECT_EQ(m.cellCount, 797);
  EXPECT_EQ(m.trackCells.size(), 798u);
  EXPECT_EQ(m.scenarioTable[kRowTrain].numberB, 32850);
  EXPECT_EQ(m.scenarioTable[kRowKilometreTre].numberB, 160950);
  EXPECT_EQ(m.scenarioTable[kRowKilometreTre].numberC, 1);
  EXPECT_EQ(m.scenarioTable[kRowKilometreDue].numberB, 0);
  EXPECT_EQ(m.scenarioTable[kRowScenario].numberC, 1) << "sfondo due";
  EXPECT_EQ(m.scenarioTable[kRowRun].numberC, 0);

  // 27 text boards, rows 80 down to 54; the first at 700 m in cell 15.
  EXPECT_EQ(run.outcome.nextBoardRow, 53);
  for (int row = 54; row <= 80; ++row) EXPECT_FALSE(m.scenarioTable[row].text.empty()) << row;
  EXPECT_TRUE(m.scenarioTable[53].text.empty());
  EXPECT_EQ(m.scenarioTable[80].text, "(F)");
  EXPECT_EQ(m.trackCells[15].kind, kTextBoard);
  EXPECT_EQ(m.trackCells[15].value1, 80);

  for (int i = 0; i <= 5; ++i) EXPECT_EQ(m.trackCells[i].gradient, 99) << i;
  EXPECT_EQ(m.trackCells[6].gradient, 100);
  for (int i = 577; i <= 794; ++i) EXPECT_EQ(m.trackCells[i].gradient, 97) << i;
  for (int i = 795; i <= 797; ++i) EXPECT_EQ(m.trackCells[i].gradient, 0) << i;

  EXPECT_EQ(m.mountainCount, 5);
  EXPECT_EQ(m.trackCells[345].kind, kMountainMark);
  EXPECT_EQ(m.trackCells[348].mountainKind, 3);
  for (int cell : {320, 366, 432}) EXPECT_EQ(m.trackCells[cell].kind, kSpeedBoard) << cell;
  EXPECT_EQ(m.trackCells[320].value1, 1300);

  ASSERT_EQ(m.trackPlan.size(), 39851u);
  EXPECT_EQ(m.trackPlan[39848].x.tag, PlanTag::kDouble);
  EXPECT_EQ(m.trackPlan[39849].x.tag, PlanTag::kEmpty);
  EXPECT_EQ(m.trackPlan[39850].y.tag, PlanTag::kEmpty);
}

}  // namespace
}  // namespace pack
