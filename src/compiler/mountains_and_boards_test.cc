// Mountain stretches, speed-indicator boards and text boards, through whole readings of route sources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/cp1252.h"

#include "compiler/error_codes.h"
#include "compiler/route_test_support.h"
#include "compiler/runtime_failure.h"

namespace pack {
namespace {

using namespace route_test;

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

}  // namespace
}  // namespace pack
