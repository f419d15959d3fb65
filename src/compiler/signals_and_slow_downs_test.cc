// Signals and slow-downs: through whole readings of train run sources, and the recorders on a bare
// track model for what the readings cannot set up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/error_codes.h"
#include "compiler/runtime_failure.h"
#include "compiler/signals_and_slow_downs.h"
#include "compiler/stations_and_code_points.h"
#include "compiler/train_run_test_support.h"

namespace pack {
namespace {

using namespace test;

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

Model track() {
  Model model;
  model.sizeTrack(32850);  // cells 0 to 797
  model.createTrack();
  return model;
}

struct MountainCase {
  const char* what;
  std::int32_t cell;  // the cell the feature takes, marked 11 beforehand
  EntryOutcome (*place)(Model&);
  std::uint8_t kind;
};

TEST(SignalAndSlowDownRecorders, AMountainMarkCountsAsAFreeCell) {
  const MountainCase cases[] = {
      {"signal", 110, [](Model& m) { return placeSignal(m, {5450, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0}); }, kSignal},
      {"slow-down warning point", 77, [](Model& m) { return placeSlowDown(m, {5000, 60, 1000, 0, 0, 0}); },
       kSlowDownWarning},
      {"slow-down approach cell", 74, [](Model& m) { return placeSlowDown(m, {5000, 60, 1000, 0, 1, 0}); },
       kSlowDownApproach},
      {"code point", 20, [](Model& m) { return placeCodePoint(m, 1000, 180); }, kCodePoint},
  };
  for (const MountainCase& k : cases) {
    SCOPED_TRACE(k.what);
    Model model = track();
    model.trackCells[static_cast<std::size_t>(k.cell)].kind = kMountainMark;
    EXPECT_FALSE(k.place(model));
    EXPECT_EQ(model.trackCells[static_cast<std::size_t>(k.cell)].kind, k.kind);
  }
}

TEST(SignalAndSlowDownRecorders, ARefusedSignalChangesNothing) {
  Model model = track();
  model.trackCells[110].kind = kCodePointNoValue;
  const std::vector<TrackCell> before = model.trackCells;
  const EntryOutcome refusal = memo_segnale(model, {5450, 2, 4, 0, 0, 0, 0, 0, 0, 0, 50});
  EXPECT_EQ(refusal.code, kErrSignalOccupied);
  EXPECT_EQ(refusal.position, 5450);
  EXPECT_TRUE(model.trackCells == before);
  EXPECT_EQ(model.errorCode, 0);  // the reader records the refusal, not the recorder
}

// The position tests keep every line inside the cells; called without them, the recorders still never
// reach outside the model but fail as a run-time failure.
TEST(SignalAndSlowDownRecorders, CellsOutsideTheModelAreARunTimeFailureNotACrash) {
  Model model = track();
  EXPECT_THROW(memo_segnale(model, {0, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0}), RuntimeFailure);
  EXPECT_THROW(memo_segnale(model, {40000, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0}), RuntimeFailure);
  EXPECT_THROW(memo_rallentamento(model, {5000, 60, 100000, 0, 0, 0}), RuntimeFailure);
  EXPECT_THROW(memo_rallentamento(model, {5000, 60, -10000, 0, 0, 0}), RuntimeFailure);
}

}  // namespace
}  // namespace pack
