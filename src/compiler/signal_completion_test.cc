#include "compiler/signal_completion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace pack {
namespace {

// One feature standing in a cell before the pass.
struct Feature {
  std::int32_t cell;
  std::uint8_t kind;
  std::int16_t value1 = 0;
};

Feature signalAt(std::int32_t cell) { return {cell, kSignal}; }
Feature warningAt(std::int32_t cell) { return {cell, kSlowDownWarning}; }
Feature startAt(std::int32_t cell, std::int16_t speed) { return {cell, kSlowDownStart, speed}; }
Feature endAt(std::int32_t cell) { return {cell, kSlowDownEnd}; }
Feature stopAt(std::int32_t cell) { return {cell, kStopPoint, 1}; }
Feature codeAt(std::int32_t cell, std::int16_t code) { return {cell, kCodePoint, code}; }
Feature mountainAt(std::int32_t cell) { return {cell, kMountainMark}; }

// Cells 0 to cellCount, every one free.
Model track(std::int32_t cellCount) {
  Model model;
  model.cellCount = cellCount;
  model.trackCells.assign(static_cast<std::size_t>(cellCount) + 1, TrackCell{});
  return model;
}

Model trackWith(std::int32_t cellCount, const std::vector<Feature>& features) {
  Model model = track(cellCount);
  for (const Feature& f : features) {
    TrackCell& cell = model.trackCells.at(static_cast<std::size_t>(f.cell));
    cell.kind = f.kind;
    cell.value1 = f.value1;
  }
  return model;
}

// The cells holding a code point with the automatic code, in increasing order.
std::vector<std::int32_t> markerCells(const Model& model) {
  std::vector<std::int32_t> cells;
  for (std::size_t c = 0; c < model.trackCells.size(); ++c) {
    const TrackCell& cell = model.trackCells[c];
    if (cell.kind == kCodePoint && cell.value1 == kAutomaticCode)
      cells.push_back(static_cast<std::int32_t>(c));
  }
  return cells;
}

struct CompletionCase {
  const char* what;
  std::int32_t cellCount;
  std::vector<Feature> features;
  std::vector<std::int32_t> markers;  // every cell with an automatic code point afterwards
  std::int32_t errorCode = 0;
  std::int32_t errorPosition = 0;
};

void PrintTo(const CompletionCase& c, std::ostream* os) { *os << c.what; }

class Completion : public testing::TestWithParam<CompletionCase> {};

TEST_P(Completion, PlacesExactlyTheExpectedMarkers) {
  const CompletionCase& c = GetParam();
  Model model = trackWith(c.cellCount, c.features);
  completeSignalCodes(model);
  EXPECT_EQ(markerCells(model), c.markers);
  EXPECT_EQ(model.errorCode, c.errorCode);
  EXPECT_EQ(model.errorPosition, c.errorPosition);
  // Markers go only on free cells: every feature that is not free stands as it was.
  for (const Feature& f : c.features) {
    if (TrackCell{.kind = f.kind}.isFree()) continue;
    EXPECT_EQ(model.trackCells[f.cell].kind, f.kind) << "cell " << f.cell;
    if (f.kind != kCodePoint) {
      EXPECT_EQ(model.trackCells[f.cell].value1, f.value1) << "cell " << f.cell;
    }
  }
}

std::string caseName(const testing::TestParamInfo<CompletionCase>& info) { return info.param.what; }

// A: the signals in the 20 cells before a warning point get a code point in one of their two cells before.
INSTANTIATE_TEST_SUITE_P(
    BeforeWarningPoints, Completion,
    testing::Values(
        CompletionCase{"SignalsAt25And15", 200, {warningAt(30), signalAt(25), signalAt(15)}, {14, 24}},
        CompletionCase{"LookBackReachesTwentyCells", 200, {warningAt(30), signalAt(10)}, {9}},
        CompletionCase{"LookBackEndsAfterTwentyCells", 200, {warningAt(30), signalAt(9)}, {}},
        CompletionCase{"LookBackReachesCell3", 200, {warningAt(5), signalAt(3)}, {2}},
        CompletionCase{"LookBackNeverBelowCell3", 200, {warningAt(4), signalAt(2)}, {}},
        CompletionCase{"SecondCellWhenTheFirstIsTaken", 200, {warningAt(30), signalAt(25), stopAt(24)}, {23}},
        CompletionCase{"MountainMarkCountsAsFree", 200, {warningAt(30), signalAt(25), mountainAt(24)}, {24}},
        CompletionCase{"NoFreeCellBeforeTheSignal",
                       200,
                       {warningAt(30), signalAt(25), stopAt(24), stopAt(23)},
                       {},
                       11,
                       1250},
        CompletionCase{"ErrorDoesNotEndTheLookBack",
                       200,
                       {warningAt(30), signalAt(25), stopAt(24), stopAt(23), signalAt(15)},
                       {14},
                       11,
                       1250},
        CompletionCase{
            "LastErrorRecordedWins",
            200,
            {warningAt(30), signalAt(25), stopAt(24), stopAt(23), signalAt(15), stopAt(14), stopAt(13)},
            {},
            11,
            750},
        // The marker before signal 25 takes cell 23, so signal 24 sees 23 as taken and gets 22.
        CompletionCase{
            "AdjacentSignalsSeeEachOthersMarker", 200, {warningAt(30), signalAt(25), signalAt(24)}, {22, 23}},
        // The second warning point sees the first one's marker in 24 as taken and adds one in 23.
        CompletionCase{
            "SignalSeenFromTwoWarningPoints", 200, {warningAt(30), warningAt(35), signalAt(25)}, {23, 24}},
        CompletionCase{"WarningPointInTheLastTwoCellsIsPassedOver", 40, {warningAt(39), signalAt(35)}, {}},
        CompletionCase{"WarningPointTwoCellsBeforeTheLast", 40, {warningAt(38), signalAt(35)}, {34}}),
    caseName);

// B1 to B3: one marker in each window of three cells before a slow-down start (speed 110: no walk).
INSTANTIATE_TEST_SUITE_P(
    StartWindows, Completion,
    testing::Values(
        CompletionCase{"StartAtCell7HasNoWindow", 200, {startAt(7, 110)}, {}},
        CompletionCase{"StartAtCell8", 200, {startAt(8, 110)}, {3}},
        CompletionCase{"StartAtCell13", 200, {startAt(13, 110)}, {8}},
        CompletionCase{"StartAtCell14", 200, {startAt(14, 110)}, {3, 9}},
        CompletionCase{"StartAtCell20", 200, {startAt(20, 110)}, {9, 15}},
        CompletionCase{"StartAtCell21", 200, {startAt(21, 110)}, {3, 10, 16}},
        CompletionCase{"WindowTakesItsNextCell", 200, {startAt(40, 110), stopAt(35)}, {22, 29, 34}},
        CompletionCase{
            "WindowTakesItsFarthestCell", 200, {startAt(40, 110), stopAt(35), stopAt(34)}, {22, 29, 33}},
        CompletionCase{"CodePointsInAWindowDoNotCount",
                       200,
                       {startAt(40, 110), codeAt(35, 120), codeAt(34, 120), codeAt(33, 120)},
                       {22, 29},
                       12,
                       2000},
        CompletionCase{"StartInTheLastTwoCellsIsPassedOver", 30, {startAt(29, 50)}, {}},
        CompletionCase{"StartTwoCellsBeforeTheLast", 30, {startAt(28, 50)}, {10, 17, 23}}),
    caseName);

// B4 and B5: the walk every 8 cells along a slow-down below 110 and the signal after its end.
INSTANTIATE_TEST_SUITE_P(
    SlowDownWalk, Completion,
    testing::Values(
        CompletionCase{"Speed100From100To120", 200, {startAt(100, 100), endAt(120)}, {82, 89, 95, 108, 116}},
        CompletionCase{"SignalAfterTheEnd",
                       200,
                       {startAt(100, 100), endAt(120), signalAt(125)},
                       {82, 89, 95, 108, 116, 124}},
        CompletionCase{"Speed110HasNoWalkAndNoSearch",
                       200,
                       {startAt(100, 110), endAt(120), signalAt(125)},
                       {82, 89, 95}},
        CompletionCase{"Speed109Walks", 200, {startAt(100, 109), endAt(120)}, {82, 89, 95, 108, 116}},
        CompletionCase{"SpeedComparedSigned", 200, {startAt(100, -5), endAt(120)}, {82, 89, 95, 108, 116}},
        CompletionCase{"MarkerOneEarlyMakesTheNextDue7Later",
                       200,
                       {startAt(100, 100), endAt(120), stopAt(108)},
                       {82, 89, 95, 107, 115}},
        CompletionCase{"MarkerOneLateMakesTheNextDue9Later",
                       200,
                       {startAt(100, 100), endAt(120), stopAt(107), stopAt(108)},
                       {82, 89, 95, 109, 117}},
        CompletionCase{"NoCellForAMarkerEndsTheWalksMarkers",
                       200,
                       {startAt(100, 100), endAt(120), stopAt(107), stopAt(108), stopAt(109), signalAt(125)},
                       {82, 89, 95, 124},
                       13,
                       5400},
        CompletionCase{"EndOnTheDueCell", 200, {startAt(100, 100), endAt(108)}, {82, 89, 95, 107}},
        CompletionCase{
            "MarkerJustAfterTheEnd", 200, {startAt(100, 100), endAt(108), stopAt(107)}, {82, 89, 95, 109}},
        CompletionCase{"SignalAtTheSearchLimit",
                       200,
                       {startAt(100, 100), endAt(120), signalAt(132)},
                       {82, 89, 95, 108, 116, 131}},
        CompletionCase{"SignalBeyondTheSearch",
                       200,
                       {startAt(100, 100), endAt(120), signalAt(133)},
                       {82, 89, 95, 108, 116}},
        CompletionCase{"OnlyTheNearestSignalAfterTheEnd",
                       200,
                       {startAt(100, 100), endAt(120), signalAt(123), signalAt(127)},
                       {82, 89, 95, 108, 116, 122}},
        CompletionCase{"SecondCellBeforeTheSignalAfterTheEnd",
                       200,
                       {startAt(100, 100), endAt(120), signalAt(125), stopAt(124)},
                       {82, 89, 95, 108, 116, 123}},
        // The cell before the signal is the end itself, so the marker goes one further back.
        CompletionCase{"SignalRightAfterTheEnd",
                       200,
                       {startAt(100, 100), endAt(120), signalAt(121)},
                       {82, 89, 95, 108, 116, 119}},
        CompletionCase{"NoCellBeforeTheSignalAfterTheEnd",
                       200,
                       {startAt(100, 100), endAt(120), signalAt(125), stopAt(124), stopAt(123)},
                       {82, 89, 95, 108, 116},
                       13,
                       6000},
        CompletionCase{"NoCellBeforeTheSignalRightAfterTheEnd",
                       200,
                       {startAt(100, 100), endAt(120), signalAt(121), stopAt(119)},
                       {82, 89, 95, 108, 116},
                       13,
                       6000},
        // The second start's first window finds the walk's marker in 116 taken.
        CompletionCase{"WindowSeesTheEarlierWalksMarker",
                       200,
                       {startAt(100, 100), endAt(120), startAt(121, 110)},
                       {82, 89, 95, 103, 108, 110, 115, 116}}),
    caseName);

// A slow-down with no end: the walk stops at the last cell and the search looks no further.
INSTANTIATE_TEST_SUITE_P(
    NearTheLastCell, Completion,
    testing::Values(
        CompletionCase{"WalkStopsAtTheLastCell", 30, {startAt(20, 50)}, {9, 15, 28}},
        CompletionCase{"MarkerDueOnTheLastCell", 30, {startAt(22, 50)}, {4, 11, 17, 30}},
        CompletionCase{"LastCellTakenMarkerOneEarly", 30, {startAt(22, 50), stopAt(30)}, {4, 11, 17, 29}},
        CompletionCase{
            "NoCellBeyondTheLast", 30, {startAt(22, 50), stopAt(30), stopAt(29)}, {4, 11, 17}, 13, 1500},
        CompletionCase{"SignalOnTheLastCell", 30, {startAt(22, 50), signalAt(30)}, {4, 11, 17, 28, 29}}),
    caseName);

struct CodePointRuleCase {
  const char* what;
  Feature first;   // the cell just before the signal in 25
  Feature second;  // the cell before that
  std::uint8_t firstKind;
  std::int16_t firstValue;
  std::uint8_t secondKind;
  std::int16_t secondValue;
  std::int32_t errorCode = 0;
};

void PrintTo(const CodePointRuleCase& c, std::ostream* os) { *os << c.what; }

class CodePointBeforeSignal : public testing::TestWithParam<CodePointRuleCase> {};

TEST_P(CodePointBeforeSignal, FollowsTheFirstRuleThatFits) {
  const CodePointRuleCase& c = GetParam();
  Model model = trackWith(200, {warningAt(30), signalAt(25), c.first, c.second});
  completeSignalCodes(model);
  EXPECT_EQ(model.trackCells[24].kind, c.firstKind);
  EXPECT_EQ(model.trackCells[24].value1, c.firstValue);
  EXPECT_EQ(model.trackCells[23].kind, c.secondKind);
  EXPECT_EQ(model.trackCells[23].value1, c.secondValue);
  EXPECT_EQ(model.errorCode, c.errorCode);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CodePointBeforeSignal,
    testing::Values(
        CodePointRuleCase{"LowerCodeIsKept", codeAt(24, 120), stopAt(23), kCodePoint, 120, kStopPoint, 1},
        CodePointRuleCase{"HigherCodeIsLowered", codeAt(24, 250), stopAt(23), kCodePoint, 180, kStopPoint, 1},
        CodePointRuleCase{"NegativeCodeIsKept", codeAt(24, -5), stopAt(23), kCodePoint, -5, kStopPoint, 1},
        CodePointRuleCase{"SecondCellLowered", stopAt(24), codeAt(23, 250), kStopPoint, 1, kCodePoint, 180},
        CodePointRuleCase{"SecondCellLowerCodeKept", stopAt(24), codeAt(23, 120), kStopPoint, 1, kCodePoint,
                          120},
        // A free cell comes before any code point: the code point in the nearer cell is not touched.
        CodePointRuleCase{
            "FreeSecondCellBeforeCodePoint", codeAt(24, 250), {23, kFree}, kCodePoint, 250, kCodePoint, 180},
        CodePointRuleCase{"OnlyTheNearerCodePointChanges", codeAt(24, 250), codeAt(23, 250), kCodePoint, 180,
                          kCodePoint, 250},
        CodePointRuleCase{"CodePointWithoutCodeIsNoCodePoint",
                          {24, kCodePointNoValue, 250},
                          stopAt(23),
                          kCodePointNoValue,
                          250,
                          kStopPoint,
                          1,
                          11}),
    [](const testing::TestParamInfo<CodePointRuleCase>& info) { return std::string(info.param.what); });

TEST(CompletionWorkingVariables, HoldTheWalksEndTheCellFoundAndTheSearchPosition) {
  Model model = trackWith(200, {startAt(100, 100), endAt(120), signalAt(125)});
  completeSignalCodes(model);
  EXPECT_EQ(model.stepIndex, 120);
  EXPECT_EQ(model.markerCounter, 124);
  EXPECT_EQ(model.scanIndex, 125);
}

TEST(CompletionErrors, AnEarlierErrorStaysWhenThePassRecordsNone) {
  Model model = trackWith(200, {warningAt(30), signalAt(25)});
  model.errorCode = 15;
  model.errorPosition = 9000;
  completeSignalCodes(model);
  EXPECT_EQ(model.errorCode, 15);
  EXPECT_EQ(model.errorPosition, 9000);
}

TEST(CompletionBounds, CellCountBeyondTheCellsHeldStopsAtTheLastCellHeld) {
  Model model = trackWith(30, {startAt(22, 50)});
  model.cellCount = 1000;
  completeSignalCodes(model);
  EXPECT_EQ(markerCells(model), (std::vector<std::int32_t>{4, 11, 17, 30}));
}

TEST(CompletionBounds, NoCellsOrANegativeCellCountIsLeftAlone) {
  Model empty;
  empty.cellCount = 50;
  completeSignalCodes(empty);
  EXPECT_TRUE(empty.trackCells.empty());

  Model negative = trackWith(30, {startAt(22, 50)});
  negative.cellCount = -5;
  completeSignalCodes(negative);
  EXPECT_TRUE(markerCells(negative).empty());
}

bool sameBesidesKindAndCode(const TrackCell& a, const TrackCell& b) {
  return a.value2 == b.value2 && a.value3 == b.value3 && a.value4 == b.value4 &&
         a.signalTime == b.signalTime && a.approachMark == b.approachMark &&
         a.mountainKind == b.mountainKind && a.speedLimit == b.speedLimit && a.gradient == b.gradient &&
         a.adhesion == b.adhesion;
}

// The only changes the pass may make to a cell: a marker on a free cell, or a code point's code lowered.
::testing::AssertionResult allowedChange(const TrackCell& before, const TrackCell& after) {
  if (before.kind == after.kind && before.value1 == after.value1 && sameBesidesKindAndCode(before, after)) {
    return testing::AssertionSuccess();
  }
  if (!sameBesidesKindAndCode(before, after))
    return testing::AssertionFailure() << "a field besides the code";
  if (after.kind != kCodePoint) return testing::AssertionFailure() << "kind " << int{after.kind};
  if (before.isFree() && after.value1 == kAutomaticCode) return testing::AssertionSuccess();
  if (before.kind == kCodePoint && after.value1 == std::min(kAutomaticCode, before.value1)) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "kind " << int{before.kind} << " value1 " << before.value1
                                     << " became " << after.value1;
}

// Small tracks of every length from one cell up, filled at random with every kind: the pass stays inside
// the cells (the sanitizer build checks every access) and changes only what it may.
TEST(CompletionBounds, RandomSmallTracksChangeOnlyWhatThePassMayChange) {
  const std::uint8_t kinds[] = {kFree,
                                kFree,
                                kFree,
                                kSignal,
                                kSlowDownEnd,
                                kSlowDownStart,
                                kSlowDownWarning,
                                kSlowDownApproach,
                                kStopPoint,
                                kMountainMark,
                                kCodePoint,
                                kCodePointNoValue};
  const std::int16_t codes[] = {-5, 0, 50, 109, 110, 120, 180, 250};
  std::minstd_rand random(20240611);
  for (int trial = 0; trial < 3000; ++trial) {
    std::int32_t cellCount = static_cast<std::int32_t>(random() % 40);
    Model model = track(cellCount);
    for (TrackCell& cell : model.trackCells) {
      cell.kind = kinds[random() % std::size(kinds)];
      cell.value1 = codes[random() % std::size(codes)];
      cell.speedLimit = static_cast<std::uint8_t>(random() % 256);
    }
    // Now and then the cell count disagrees with the cells held, either way.
    if (trial % 5 == 1) model.cellCount = cellCount + static_cast<std::int32_t>(random() % 30);
    if (trial % 5 == 2) model.cellCount = cellCount - static_cast<std::int32_t>(random() % 5);
    const std::vector<TrackCell> before = model.trackCells;

    completeSignalCodes(model);

    ASSERT_EQ(model.trackCells.size(), before.size());
    for (std::size_t c = 0; c < before.size(); ++c) {
      ASSERT_TRUE(allowedChange(before[c], model.trackCells[c])) << "trial " << trial << " cell " << c;
      if (static_cast<std::int64_t>(c) > model.cellCount) {
        ASSERT_EQ(model.trackCells[c].value1, before[c].value1) << "beyond cellCount, trial " << trial;
      }
    }
    ASSERT_TRUE(model.errorCode == 0 || model.errorCode == 11 || model.errorCode == 12 ||
                model.errorCode == 13);
    if (model.errorCode != 0) {
      ASSERT_EQ(model.errorPosition % kCellLength, 0);
      ASSERT_LT(model.errorPosition / kCellLength, static_cast<std::int32_t>(before.size()));
    }
  }
}

struct ReservedCase {
  const char* what;
  std::int16_t tableParam;  // row 85 param1
  std::int32_t tableCode;   // row 85 numberD
  std::int16_t cellValue1;  // cell 1
  std::int16_t cellValue2;
  std::int32_t result;
  std::int16_t tableParamAfter;
  std::int16_t cellValue1After;
};

void PrintTo(const ReservedCase& c, std::ostream* os) { *os << c.what; }

class ReservedSlots : public testing::TestWithParam<ReservedCase> {};

TEST_P(ReservedSlots, AreCheckedAndFilledInOrder) {
  const ReservedCase& c = GetParam();
  Model model = track(20);
  model.scenarioTable[kRowScenario].param1 = c.tableParam;
  model.scenarioTable[kRowScenario].numberD = c.tableCode;
  model.trackCells[1].value1 = c.cellValue1;
  model.trackCells[1].value2 = c.cellValue2;
  EXPECT_EQ(checkReservedSlots(model), c.result);
  EXPECT_EQ(model.scenarioTable[kRowScenario].param1, c.tableParamAfter);
  EXPECT_EQ(model.trackCells[1].value1, c.cellValue1After);
  // The code slots are only checked, never filled here.
  EXPECT_EQ(model.scenarioTable[kRowScenario].numberD, c.tableCode);
  EXPECT_EQ(model.trackCells[1].value2, c.cellValue2);
}

INSTANTIATE_TEST_SUITE_P(Checks, ReservedSlots,
                         testing::Values(ReservedCase{"AllEmpty", 0, 0, 0, 0, 0, 610, 5121},
                                         ReservedCase{"TableValueTaken", 7, 0, 0, 0, 1250, 7, 0},
                                         ReservedCase{"CellValueTaken", 0, 0, 40, 0, 1250, 0, 40},
                                         ReservedCase{"NegativeCellValueTaken", 0, 0, -1, 0, 1250, 0, -1},
                                         // The fixed values are stored before the code slots are checked.
                                         ReservedCase{"TableCodeTaken", 0, 99, 0, 0, 1251, 610, 5121},
                                         ReservedCase{"CellCodeTaken", 0, 0, 0, 3, 1251, 610, 5121},
                                         ReservedCase{"FirstCheckComesFirst", 7, 99, 40, 3, 1250, 7, 40}),
                         [](const testing::TestParamInfo<ReservedCase>& info) {
                           return std::string(info.param.what);
                         });

TEST(ReservedSlotsBounds, TheSmallestTrackHasItsCell1) {
  Model model = track(1);
  EXPECT_EQ(checkReservedSlots(model), 0);
  EXPECT_EQ(model.trackCells[1].value1, 5121);
}

TEST(ReservedSlotsBounds, WithoutCell1TheSlotsCannotBeFilled) {
  Model model = track(0);
  EXPECT_EQ(checkReservedSlots(model), 1250);
  EXPECT_EQ(model.scenarioTable[kRowScenario].param1, 0);
  ASSERT_EQ(model.trackCells.size(), 1u);
  EXPECT_EQ(model.trackCells[0].value1, 0);
}

// A feature at the very start of the line lands in cell 1, the reserved cell.
TEST(ReservedSlotsAfterCompletion, SignalInCell1WithANonzeroFirstPairStops) {
  Model model = trackWith(200, {{1, kSignal, 40}});
  completeSignalCodes(model);
  EXPECT_EQ(checkReservedSlots(model), 1250);
}

TEST(ReservedSlotsAfterCompletion, SignalInCell1WithZeroPairsPassesAndGetsTheFixedValue) {
  Model model = trackWith(200, {signalAt(1)});
  completeSignalCodes(model);
  EXPECT_EQ(checkReservedSlots(model), 0);
  EXPECT_EQ(model.trackCells[1].kind, kSignal);
  EXPECT_EQ(model.trackCells[1].value1, 5121);
}

TEST(ReservedSlotsAfterCompletion, AMarkerPlacedInCell1Stops) {
  // The signal in 3 has cell 2 taken, so its marker goes into cell 1.
  Model model = trackWith(200, {warningAt(8), signalAt(3), stopAt(2)});
  completeSignalCodes(model);
  ASSERT_EQ(markerCells(model), std::vector<std::int32_t>{1});
  EXPECT_EQ(checkReservedSlots(model), 1250);
}

}  // namespace
}  // namespace pack
