#include "compiler/cell_units.h"

#include <gtest/gtest.h>

namespace pack {
namespace {

using namespace cell_units;

TEST(CellUnits, ProfilesInTheAuthorsUnits) {
  TrackCell c;
  c.speedLimit = 13;
  c.gradient = 79;
  c.adhesion = 70;
  EXPECT_EQ(speedKmh(c), 65);
  EXPECT_EQ(gradientPerMille(c), -21);
  EXPECT_EQ(adhesionPercent(c), 70);
  c.gradient = 124;
  EXPECT_EQ(gradientPerMille(c), 24);
  EXPECT_EQ(cellMetre(797), 39850);
  EXPECT_EQ(signalPlacedMetre(110), 5450);
}

// The two signals the embedded train run packs into cells 110 and 560.
TEST(CellUnits, SignalsUnpackIntoKindsAndDigits) {
  TrackCell warning;
  warning.kind = kSignal;
  warning.value1 = 40;
  warning.value4 = 3;
  auto kinds = signalKinds(warning);
  ASSERT_TRUE(kinds);
  EXPECT_EQ(kinds->left, SignalKind::kWarning);
  EXPECT_EQ(kinds->right, SignalKind::kNone);
  EXPECT_EQ(kinds->rapp, 0);
  EXPECT_EQ(signalDigits(warning, 0)->left, 4);
  EXPECT_EQ(signalDigits(warning, 0)->right, 0);

  TrackCell protection;
  protection.value1 = 30;
  protection.value2 = 10;
  protection.value4 = 6 + 70;  // rapp 7
  kinds = signalKinds(protection);
  ASSERT_TRUE(kinds);
  EXPECT_EQ(kinds->left, SignalKind::kProtection);
  EXPECT_EQ(kinds->rapp, 7);
  EXPECT_EQ(signalDigits(protection, 1)->left, 1);

  // Nothing packed from kinds 0 to 2 ends in 9, and the digits are one decimal digit each.
  protection.value4 = 9;
  EXPECT_FALSE(signalKinds(protection));
  protection.value4 = -3;
  EXPECT_FALSE(signalKinds(protection));
  protection.value3 = 100;
  EXPECT_FALSE(signalDigits(protection, 2));
}

TEST(CellUnits, BoardSpeedsAndApproachMarks) {
  EXPECT_EQ(boardSpeeds(1300).first, 65);
  EXPECT_EQ(boardSpeeds(1300).second, 0);
  EXPECT_EQ(boardSpeeds(20 * 60 + 70 / 5).second, 70);

  struct Case {
    std::uint8_t mark;
    bool valid;
    int step;
    int sides;
    bool maybeStation;
  };
  const Case cases[] = {{0, false, 0, 0, false},  {31, true, 1, 3, false}, {64, true, 4, 6, false},
                        {81, true, 1, 8, true},   {84, true, 4, 8, true},  {85, false, 0, 0, false},
                        {30, false, 0, 0, false}, {200, false, 0, 0, false}};
  for (const Case& k : cases) {
    TrackCell c;
    c.approachMark = k.mark;
    auto mark = approachMark(c);
    ASSERT_EQ(mark.has_value(), k.valid) << int{k.mark};
    if (!mark) continue;
    EXPECT_EQ(mark->step, k.step) << int{k.mark};
    EXPECT_EQ(mark->signalSides, k.sides) << int{k.mark};
    EXPECT_EQ(mark->maybeStation, k.maybeStation) << int{k.mark};
  }
}

TEST(CellUnits, EveryKindTheCompilerWritesHasAName) {
  for (int kind : {0, 1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14}) EXPECT_TRUE(isKnownKind(kind)) << kind;
  for (int kind : {7, 8, 9, 15, 255}) EXPECT_FALSE(isKnownKind(kind)) << kind;
}

}  // namespace
}  // namespace pack
