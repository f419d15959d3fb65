// The route half of the source reader, run through memorizza_dati on sources held in memory.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "compiler/error_codes.h"
#include "compiler/reader_context.h"
#include "compiler/runtime_failure.h"
#include "compiler/source_reader.h"
#include "formats/cp1252.h"
#include "platform/memory_file_system.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

const std::string kRoutePath = "/pack/route_linea.txt";
const std::string kTrainRunPath = "/pack/route_1-.txt";
constexpr std::string_view kTinyTrainRun = "[generale]\r\n[fine]\r\n";

// Lines as the writers write them: CR LF after every line, the last included.
std::string lines(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& text : texts) out += text + "\r\n";
  return out;
}

// A route of `length` metres with nothing but its length in the general part, then `features`.
// With the default length the track model has cells 0 to 200 and the plan metres 0 to 10000.
std::string route(const std::vector<std::string>& features, std::int32_t length = 3000) {
  return lines({"[generale]", "lunghezza percorso,    " + std::to_string(length), "[curve]"}) + lines(features) +
         lines({"[fine]"});
}

// One whole reading (both halves and the failure handler) of a route source and a tiny train run source.
struct Compile {
  explicit Compile(std::optional<std::string> routeSource, std::int32_t buildPlan = 1) {
    if (routeSource) fs.files[kRoutePath] = *routeSource;
    fs.files[kTrainRunPath] = std::string(kTinyTrainRun);
    model.buildPlan = buildPlan;
    memorizza_dati(model, sources);
  }

  bool routeLeft() { return fs.exists(kRoutePath); }
  bool trainRunLeft() { return fs.exists(kTrainRunPath); }
  const TrackCell& cell(std::int32_t i) const { return model.trackCells.at(static_cast<std::size_t>(i)); }
  // The plan's points are computed once, when the first is asked for.
  const PlanPoint& point(std::int32_t m) const {
    if (points_.empty()) points_ = model.trackPlan.points();
    return points_.at(static_cast<std::size_t>(m));
  }
  const ScenarioRecord& row(int r) const { return model.scenarioTable.at(static_cast<std::size_t>(r)); }

  MemoryFileSystem fs;
  SourceAccess sources{fs, kRoutePath, kTrainRunPath};
  Model model;

 private:
  mutable std::vector<PlanPoint> points_;
};

// The route half alone, to see whether the train run would be read next.
struct RouteOnly {
  explicit RouteOnly(const std::string& routeSource, std::int32_t buildPlan = 1) {
    fs.files[kRoutePath] = routeSource;
    model.buildPlan = buildPlan;
    ReaderContext ctx{model, sources};
    try {
      outcome = readRouteSource(ctx);
    } catch (const RuntimeFailure&) {
      failed = true;
    }
  }

  MemoryFileSystem fs;
  SourceAccess sources{fs, kRoutePath, kTrainRunPath};
  Model model;
  RouteOutcome outcome;
  bool failed = false;
};

// Cells from..to (inclusive) hold `value` in the given field.
struct CellRun {
  std::int32_t from, to, value;
};

void expectGradients(const Compile& c, const std::vector<CellRun>& runs, const std::string& what) {
  for (const CellRun& run : runs) {
    for (std::int32_t i = run.from; i <= run.to; ++i) {
      ASSERT_EQ(c.cell(i).gradient, run.value) << what << ": cell " << i;
    }
  }
}

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

// ---- Gradients ----

TEST(RouteReaderGradients, FillIndexAndAtLeastOnceWrites) {
  struct Case {
    const char* what;
    std::vector<std::string> features;
    std::vector<CellRun> cells;
  } cases[] = {
      {"no gradient", {}, {{0, 197, 100}, {198, 200, 0}}},
      {"stored route's first rows", {"pendenza,  0,   -1", "pendenza,  300,   0"}, {{0, 5, 99}, {6, 197, 100}}},
      {"-21 and +24", {"pendenza, 0, -21", "pendenza, 50, 24"}, {{0, 0, 79}, {1, 197, 124}}},
      {"25 m rounds to cell 0: no write", {"pendenza, 25, 7", "pendenza, 100, 3"}, {{0, 1, 107}, {2, 197, 103}}},
      {"75 m rounds to cell 2", {"pendenza, 75, 7"}, {{0, 1, 100}, {2, 197, 107}}},
      {"same position twice writes one cell", {"pendenza, 100, 5", "pendenza, 100, 8"},
       {{0, 1, 100}, {2, 2, 105}, {3, 197, 108}}},
      {"same position 0 twice", {"pendenza, 0, 5", "pendenza, 0, 8"}, {{0, 197, 108}}},
      {"a position behind the fill", {"pendenza, 500, 5", "pendenza, 200, 8"},
       {{0, 9, 100}, {10, 10, 105}, {11, 197, 108}}},
      {"modulo 256", {"pendenza, 0, -101"}, {{0, 197, 255}}},
      {"modulo 256 of the largest value", {"pendenza, 0, 2147483647"}, {{0, 197, 99}}},
      {"last accepted position: one more cell at the end", {"pendenza, 9900, 1"},
       {{0, 197, 100}, {198, 198, 101}, {199, 200, 0}}},
      {"writes past the last cell are dropped",
       {"pendenza, 9900, 1", "pendenza, 9900, 2", "pendenza, 9900, 3", "pendenza, 9900, 4", "pendenza, 9900, 5"},
       {{0, 197, 100}, {198, 198, 101}, {199, 199, 102}, {200, 200, 103}}},
  };
  for (const Case& c : cases) {
    Compile run(route(c.features));
    EXPECT_EQ(run.model.errorCode, 0) << c.what;
    expectGradients(run, c.cells, c.what);
  }
}

// ---- Curves and the plan ----

TEST(RouteReaderPlan, AFeaturePartWithoutCurvesIsAStraightLine) {
  Compile run(route({}));
  ASSERT_EQ(run.model.trackPlan.size(), 10001u);
  EXPECT_EQ(run.point(0).x.tag, PlanTag::kInt16);
  EXPECT_EQ(run.point(1).y.tag, PlanTag::kInt16);
  EXPECT_EQ(run.point(1).y.value, 1.0);
  for (std::int32_t m = 2; m <= 9998; ++m) {
    ASSERT_EQ(run.point(m).x.tag, PlanTag::kDouble) << m;
    ASSERT_EQ(run.point(m).x.value, 0.0) << m;
    ASSERT_EQ(run.point(m).y.value, static_cast<double>(m)) << m;
  }
  EXPECT_EQ(run.point(9999).x.tag, PlanTag::kEmpty);
  EXPECT_EQ(run.point(10000).y.tag, PlanTag::kEmpty);
}

TEST(RouteReaderPlan, CurvePointsToTheLastDigit) {
  struct Point {
    double x, y;
  };
  // Each step part rounded to a double before it is added; never a fused multiply-add.
  const Point right[] = {{0, 2}, {0x1.0624dd2f1a9fcp-10, 3}, {0x1.89374bc6a7efap-9, 0x1.fffff79c842fap+1},
                         {0x1.47ae147ae147bp-8, 0x1.3ffff79c842fap+2}};
  static_assert(0x1.0624dd2f1a9fcp-10 == 0.001 && 0x1.89374bc6a7efap-9 == 0.003);
  static_assert(0x1.fffff79c842fap+1 == 3.999999 && 0x1.3ffff79c842fap+2 == 4.999998);

  for (const char* key : {"curvad4", "curvas4"}) {
    Compile run(route({std::string(key) + ", 2, 2"}));
    double side = key[5] == 's' ? -1.0 : 1.0;
    for (std::int32_t m = 2; m <= 5; ++m) {
      EXPECT_EQ(run.point(m).x.value, side * right[m - 2].x) << key << " point " << m;
      EXPECT_EQ(run.point(m).y.value, right[m - 2].y) << key << " point " << m;
    }
  }

  // A curve starting behind the plan is curved from the next metre on.
  Compile overlap(route({"curvad4, 2, 2", "curvad4, 3, 2"}));
  EXPECT_EQ(overlap.point(5).x.value, 0x1.8937477b24f59p-8);
  EXPECT_EQ(overlap.point(5).y.value, 0x1.3fffef39085f4p+2);
  EXPECT_EQ(overlap.point(6).x.value, 0x1.26e974897af9ap-7);
  EXPECT_EQ(overlap.point(6).y.value, 0x1.7fffe2a3cea6bp+2);
}

TEST(RouteReaderPlan, KeyGivesClassAndSide) {
  struct Case {
    const char* key;
    double curvature;  // x of point 3 after one curved metre from metre 2
  } cases[] = {
      {"curvad1", 0.0001}, {"curvad2", 0.0002}, {"curvad3", 0.0004}, {"curvad4", 0.001},
      {"curvad5", 0.002},  {"curvad6", 0.003},  {"curvaS3", -0.0004}, {"CURVAS6", -0.003},
      {"curvad17", 0.0001}, {"curvad52", 0.0002},
  };
  for (const Case& c : cases) {
    Compile run(route({std::string(c.key) + ", 2, 1"}));
    EXPECT_EQ(run.model.errorCode, 0) << c.key;
    EXPECT_EQ(run.point(3).x.value, c.curvature) << c.key;
  }
}

TEST(RouteReaderPlan, CurveWithoutClassIsRefused) {
  for (const char* key : {"curvad", "curvas", "curvad7"}) {
    Compile run(route({"pendenza, 0, 5", std::string(key) + ", 100, 50"}));
    EXPECT_EQ(run.model.errorCode, kErrCurve) << key;
    EXPECT_FALSE(run.routeLeft()) << key;
    EXPECT_TRUE(run.trainRunLeft()) << key;
    EXPECT_EQ(run.cell(0).gradient, 0) << key << ": nothing is completed after a refusal";
    EXPECT_EQ(run.point(2).x.tag, PlanTag::kEmpty) << key;
  }
}

TEST(RouteReaderPlan, CurvesStopBeforeMetreOneMillion) {
  Compile ending(route({"curvad4, 999979, 20"}, 1000000));
  EXPECT_EQ(ending.model.errorCode, 0);
  EXPECT_EQ(ending.point(1006998).y.tag, PlanTag::kDouble);
  EXPECT_EQ(ending.point(1006999).y.tag, PlanTag::kEmpty);

  Compile reaching(route({"curvad4, 999980, 20"}, 1000000));
  EXPECT_EQ(reaching.model.errorCode, kErrCurve);
  EXPECT_EQ(reaching.point(1000000).y.tag, PlanTag::kDouble);
  EXPECT_EQ(reaching.point(1000001).y.tag, PlanTag::kEmpty);
  EXPECT_TRUE(reaching.trainRunLeft());

  // The straight run up to a curve's start stops there too.
  Compile straight(route({"curvad4, 1000000, 10"}, 1000000));
  EXPECT_EQ(straight.model.errorCode, kErrCurve);
  EXPECT_EQ(straight.point(1000000).y.value, 1000000.0);
  EXPECT_EQ(straight.point(1000001).y.tag, PlanTag::kEmpty);
}

TEST(RouteReaderPlan, WithoutThePlanCurvesAreNotRecognisedAndCellsAreTheSame) {
  const std::vector<std::string> features = {
      "curvad4, 400, 200", "pendenza, 0, 3", "curvad, 700, 50", "montagna, 1000, 1500, 11",
      "indicatori_vmax, 2000, 60, 70, 80, 1, 0, 0, 0, 0", "cartello_indicatore, 2500, (X)", "pendenza, 3000, -4"};
  Compile withPlan(route({"curvad4, 400, 200", "pendenza, 0, 3", "montagna, 1000, 1500, 11",
                          "indicatori_vmax, 2000, 60, 70, 80, 1, 0, 0, 0, 0", "cartello_indicatore, 2500, (X)",
                          "pendenza, 3000, -4"}));
  Compile withoutPlan(route(features), 0);
  EXPECT_EQ(withoutPlan.model.errorCode, 0) << "a curve without class is not even looked at";
  EXPECT_TRUE(withoutPlan.model.trackPlan.empty());
  ASSERT_EQ(withoutPlan.model.trackCells.size(), withPlan.model.trackCells.size());
  for (std::size_t i = 0; i < withPlan.model.trackCells.size(); ++i) {
    const TrackCell& a = withPlan.model.trackCells[i];
    const TrackCell& b = withoutPlan.model.trackCells[i];
    ASSERT_TRUE(a.kind == b.kind && a.value1 == b.value1 && a.value2 == b.value2 && a.value3 == b.value3 &&
                a.value4 == b.value4 && a.mountainKind == b.mountainKind && a.gradient == b.gradient)
        << "cell " << i;
  }
}

// ---- Mountains, speed boards, text boards ----

TEST(RouteReaderMountains, StretchesMarkersAndJoinedStretches) {
  Compile run(route({"montagna,   17100,  17350,  11", "montagna,   17400,  17450,  12"}, 32850));
  EXPECT_EQ(run.model.mountainCount, 2);
  EXPECT_EQ(run.model.mountainStart[1], 17100);
  EXPECT_EQ(run.model.mountainEnd[2], 17450);
  for (std::int32_t i = 342; i <= 346; ++i) EXPECT_EQ(run.cell(i).mountainKind, 1) << i;
  EXPECT_EQ(run.cell(341).mountainKind, 0);
  EXPECT_EQ(run.cell(347).mountainKind, 0);
  EXPECT_EQ(run.cell(348).mountainKind, 3);
  EXPECT_EQ(run.cell(349).mountainKind, 0);
  for (std::int32_t i = 340; i <= 350; ++i) {
    EXPECT_EQ(run.cell(i).kind, i == 345 ? kMountainMark : kFree) << i;
  }
}

TEST(RouteReaderMountains, StretchesAreNumberedFromOneInEachReading) {
  MemoryFileSystem fs;
  SourceAccess sources{fs, kRoutePath, kTrainRunPath};
  Model model;
  model.mountainCount = kMaxMountains;  // left by an earlier compile
  fs.files[kRoutePath] = route({"montagna, 1000, 1100, 1"});
  fs.files[kTrainRunPath] = std::string(kTinyTrainRun);
  memorizza_dati(model, sources);
  EXPECT_EQ(model.errorCode, 0);
  EXPECT_EQ(model.mountainCount, 1);
  EXPECT_EQ(model.trackCells[20].mountainKind, 1);
}

TEST(RouteReaderMountains, TypesAndMarkers) {
  struct Case {
    const char* what;
    std::vector<std::string> features;
    std::vector<CellRun> mountainKinds;
    std::vector<std::int32_t> markers;
  } cases[] = {
      {"unmarked", {"montagna, 1000, 1500, 2"}, {{19, 19, 0}, {20, 29, 2}, {30, 30, 0}}, {}},
      {"marked every fourth cell", {"montagna, 1000, 1500, 12"}, {{20, 29, 2}}, {23, 27}},
      {"joined in reading order, not position", {"montagna, 5000, 5100, 1", "montagna, 1000, 1100, 2"},
       {{20, 21, 3}, {100, 101, 1}}, {}},
      {"150 m after the previous end", {"montagna, 1000, 1100, 1", "montagna, 1250, 1350, 2"},
       {{20, 21, 1}, {22, 24, 0}, {25, 26, 3}}, {}},
      {"151 m after the previous end", {"montagna, 1000, 1100, 1", "montagna, 1251, 1350, 2"},
       {{20, 21, 1}, {22, 24, 0}, {25, 26, 2}}, {}},
      {"an end before its start covers nothing", {"montagna, 1000, 950, 1"}, {{18, 22, 0}}, {}},
      {"low byte of the type", {"montagna, 1000, 1100, -255"}, {{20, 21, 1}}, {}},
      {"a marker never replaces a board",
       {"cartello_indicatore, 1100, (X)", "montagna, 1000, 1500, 12"}, {{20, 29, 2}}, {27}},
  };
  for (const Case& c : cases) {
    Compile run(route(c.features));
    EXPECT_EQ(run.model.errorCode, 0) << c.what;
    for (const CellRun& r : c.mountainKinds) {
      for (std::int32_t i = r.from; i <= r.to; ++i) EXPECT_EQ(run.cell(i).mountainKind, r.value) << c.what << " " << i;
    }
    std::vector<std::int32_t> markers;
    for (std::int32_t i = 0; i <= run.model.cellCount; ++i) {
      if (run.cell(i).kind == kMountainMark) markers.push_back(i);
    }
    EXPECT_EQ(markers, c.markers) << c.what;
  }
}

TEST(RouteReaderBoards, SpeedBoardsCombineTheirTwoSets) {
  struct Case {
    std::string line;
    std::int32_t cell;
    std::array<std::int16_t, 4> values;
  } cases[] = {
      {"indicatori_vmax,  15950,  65,  65,  65,  0,  ,  ,  ,  0", 320, {1300, 1300, 1300, 0}},
      {"indicatori_vmax, 1000, 60, 70, 80, 3, 25, 30, 35, 2", 21, {1205, 1406, 1607, 32}},
      {"indicatori_vmax, 1000, 60, 60, 60, 0, 12, 13, -3, 0", 21, {1202, 1203, 1199, 0}},
      {"indicatori_vmax, 1025, 60, 60, 60, 0, 0, 0, 0, 0", 22, {1200, 1200, 1200, 0}},  // 21.5 -> 22
      {"indicatori_vmax, 1075, 60, 60, 60, 0, 0, 0, 0, 0", 22, {1200, 1200, 1200, 0}},  // 22.5 -> 22
      {"indicatori_vmax, 1000, 60, 60, 60, 3277, 0, 0, 0, 0", 21, {1200, 1200, 1200, -32766}},
      {"indicatori_vmax, 1000, 60, 60, 60, 65537, 0, 0, 0, 65539", 21, {1200, 1200, 1200, 13}},
      {"indicatori_vmax, 1000, 1638, -1638, 0, 0, 35, -35, 0, 0", 21, {32767, -32767, 0, 0}},
  };
  for (const Case& c : cases) {
    Compile run(route({c.line}, 32850));
    EXPECT_EQ(run.model.errorCode, 0) << c.line;
    const TrackCell& cell = run.cell(c.cell);
    EXPECT_EQ(cell.kind, kSpeedBoard) << c.line;
    EXPECT_EQ((std::array{cell.value1, cell.value2, cell.value3, cell.value4}), c.values) << c.line;
  }
}

TEST(RouteReaderBoards, SpeedBoardOverflowKeepsWhatWasStored) {
  struct Case {
    std::string line;
    std::array<std::int16_t, 4> values;
  } cases[] = {
      {"indicatori_vmax, 1000, 2000, 60, 60, 0, 0, 0, 0, 0", {0, 0, 0, 0}},
      {"indicatori_vmax, 1000, 60, 2000, 60, 0, 0, 0, 0, 0", {1200, 0, 0, 0}},
      {"indicatori_vmax, 1000, 60, 60, 200000000, 0, 0, 0, 0, 0", {1200, 1200, 0, 0}},  // 20 x speed overflows
  };
  for (const Case& c : cases) {
    Compile run(route({c.line}));
    EXPECT_EQ(run.model.errorCode, kErrRunTime) << c.line;
    EXPECT_EQ(run.model.errorPosition, 0) << c.line;
    EXPECT_FALSE(run.routeLeft()) << c.line;
    EXPECT_FALSE(run.trainRunLeft()) << c.line;
    const TrackCell& cell = run.cell(21);
    EXPECT_EQ(cell.kind, kSpeedBoard) << c.line;
    EXPECT_EQ((std::array{cell.value1, cell.value2, cell.value3, cell.value4}), c.values) << c.line;
  }
}

TEST(RouteReaderBoards, TextBoardsTakeRowsFromEightyDown) {
  Compile run(route({"cartello_indicatore,  700,   (F)", "cartello_indicatore,  900,   (P.L.      )(Km 153+284)  ",
                     "cartello_indicatore,  2250,   (Citt\xE0), (rest)"}));
  EXPECT_EQ(run.model.errorCode, 0);
  EXPECT_EQ(run.row(80).text, "(F)");
  EXPECT_EQ(run.row(79).text, "(P.L.      )(Km 153+284)");
  EXPECT_EQ(run.row(78).text, "(Citt\xE0)") << "a comma cuts the text";
  EXPECT_EQ(run.row(77).text, "");
  EXPECT_EQ(run.cell(15).kind, kTextBoard);
  EXPECT_EQ(run.cell(15).value1, 80);
  EXPECT_EQ(run.cell(19).value1, 79);
  EXPECT_EQ(run.cell(46).value1, 78);
  EXPECT_EQ(RouteOnly(route({"cartello_indicatore, 700, (F)"})).outcome.nextBoardRow, 79);
}

TEST(RouteReaderBoards, BoardsOnOccupiedCells) {
  const std::string speedBoard = "indicatori_vmax, 1000, 60, 60, 60, 0, 0, 0, 0, 0";  // cell 21
  struct Case {
    const char* what;
    std::vector<std::string> features;
    std::int32_t errorCode;
    std::int32_t errorPosition;
    std::uint8_t kind21;
  } cases[] = {
      {"text board on a speed board", {speedBoard, "cartello_indicatore, 1010, (X)"}, kErrTextBoardOccupied, 1010,
       kSpeedBoard},
      {"text board on a text board", {"cartello_indicatore, 1000, (X)", "cartello_indicatore, 990, (Y)"},
       kErrTextBoardOccupied, 990, kTextBoard},
      {"speed board on a speed board", {speedBoard, "indicatori_vmax, 1010, 80, 80, 80, 0, 0, 0, 0, 0"},
       kErrSpeedBoardOccupied, 1010, kSpeedBoard},
      {"speed board on a text board", {"cartello_indicatore, 1000, (X)", speedBoard}, kErrSpeedBoardOccupied, 1000,
       kTextBoard},
      {"text board on a mountain marker", {"montagna, 900, 1100, 11", "cartello_indicatore, 1000, (X)"}, 0, 0,
       kTextBoard},
      {"speed board on a mountain marker", {"montagna, 900, 1100, 11", speedBoard}, 0, 0, kSpeedBoard},
  };
  for (const Case& c : cases) {
    Compile run(route(c.features));
    EXPECT_EQ(run.model.errorCode, c.errorCode) << c.what;
    EXPECT_EQ(run.model.errorPosition, c.errorPosition) << c.what;
    EXPECT_EQ(run.cell(21).kind, c.kind21) << c.what;
    EXPECT_EQ(run.cell(21).value1, c.kind21 == kSpeedBoard ? 1200 : 80) << c.what << ": the first stays";
    EXPECT_FALSE(run.routeLeft()) << c.what;
    if (c.errorCode != 0) {
      EXPECT_TRUE(run.trainRunLeft()) << c.what;
      EXPECT_EQ(run.cell(0).gradient, 0) << c.what << ": the gradients are not completed";
    }
  }
}

TEST(RouteReaderBoards, TextLongerThanSixteenBitsIsARunTimeFailure) {
  Compile longest(route({"cartello_indicatore, 1000, " + std::string(65535, 'x')}));
  EXPECT_EQ(longest.model.errorCode, 0);
  EXPECT_EQ(longest.row(80).text.size(), 65535u);

  Compile tooLong(route({"cartello_indicatore, 1000, " + std::string(65536, 'x')}));
  EXPECT_EQ(tooLong.model.errorCode, kErrRunTime);
  EXPECT_EQ(tooLong.row(80).text, "");
  EXPECT_FALSE(tooLong.trainRunLeft());
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
  EXPECT_EQ(m.trackPlan.at(39848).x.tag, PlanTag::kDouble);
  EXPECT_EQ(m.trackPlan.at(39849).x.tag, PlanTag::kEmpty);
  EXPECT_EQ(m.trackPlan.at(39850).y.tag, PlanTag::kEmpty);
}

}  // namespace
}  // namespace pack
