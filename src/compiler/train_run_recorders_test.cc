// The recorders on a bare track model: what the line tables through the reader cannot set up.
#include "compiler/train_run_recorders.h"

#include <gtest/gtest.h>

#include <vector>

#include "compiler/error_codes.h"
#include "compiler/runtime_failure.h"

namespace pack {
namespace {

Model track() {
  Model model;
  model.sizeTrack(32850);  // cells 0 to 797
  model.createTrack();
  return model;
}

struct MountainCase {
  const char* what;
  std::int32_t cell;  // the cell the feature takes, marked 11 beforehand
  Refusal (*place)(Model&);
  std::uint8_t kind;
};

TEST(TrainRunRecorders, AMountainMarkCountsAsAFreeCell) {
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

TEST(TrainRunRecorders, ARefusedSignalChangesNothing) {
  Model model = track();
  model.trackCells[110].kind = kCodePointNoValue;
  const std::vector<TrackCell> before = model.trackCells;
  const Refusal refusal = memo_segnale(model, {5450, 2, 4, 0, 0, 0, 0, 0, 0, 0, 50});
  EXPECT_EQ(refusal.code, kErrSignalOccupied);
  EXPECT_EQ(refusal.position, 5450);
  EXPECT_TRUE(model.trackCells == before);
  EXPECT_EQ(model.errorCode, 0);  // the reader records the refusal, not the recorder
}

// The position tests keep every line inside the cells; called without them, the recorders still never
// reach outside the model but fail as a run-time failure.
TEST(TrainRunRecorders, CellsOutsideTheModelAreARunTimeFailureNotACrash) {
  Model model = track();
  EXPECT_THROW(memo_segnale(model, {0, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0}), RuntimeFailure);
  EXPECT_THROW(memo_segnale(model, {40000, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0}), RuntimeFailure);
  EXPECT_THROW(memo_rallentamento(model, {5000, 60, 100000, 0, 0, 0}), RuntimeFailure);
  EXPECT_THROW(memo_rallentamento(model, {5000, 60, -10000, 0, 0, 0}), RuntimeFailure);
}

struct PostCase {
  std::int32_t position, value;
  bool onGrid;
};

TEST(TrainRunRecorders, KilometrePostsMustLieOnThe50MetreGrid) {
  const PostCase cases[] = {
      {0, 160950, true}, {-50, -100, true}, {25, 0, false}, {0, 160925, false}, {0, -25, false},
  };
  for (int row : {kRowKilometreTre, kRowKilometreDue, kRowKilometreUno}) {
    for (const PostCase& k : cases) {
      SCOPED_TRACE(testing::Message() << "row " << row << ": " << k.position << ", " << k.value);
      Model model;
      model.scenarioTable[static_cast<std::size_t>(row)].numberA = k.position;
      model.scenarioTable[static_cast<std::size_t>(row)].numberB = k.value;
      model.scenarioTable[static_cast<std::size_t>(row)].numberC = 7;  // the flag is not checked
      EXPECT_EQ(kilometrePostsOnGrid(model), k.onGrid);
    }
  }
}

}  // namespace
}  // namespace pack
