#include "compiler/cell_codec.h"

#include "formats/route_format.h"
#include "formats/train_run_format.h"

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace pack {
namespace {

using namespace codec;

TEST(CellCodec, ProfilesInTheAuthorsUnits) {
  TrackCell c;
  c.speedLimit = 13;
  c.gradient = 79;
  c.adhesion = 70;
  EXPECT_EQ(decodeSpeed(c.speedLimit), 65);
  EXPECT_EQ(decodeGradient(c.gradient), -21);
  EXPECT_EQ(decodeAdhesion(c.adhesion), 70);
  c.gradient = 124;
  EXPECT_EQ(decodeGradient(c.gradient), 24);
  EXPECT_EQ(cellMetre(797), 39850);
  EXPECT_EQ(placedMetre(110), 5450);
}

// The two signals the embedded train run packs into cells 110 and 560.
TEST(CellCodec, SignalsUnpackIntoKindsAndDigits) {
  TrackCell warning;
  warning.kind = kSignal;
  warning.value1 = 40;
  warning.value4 = 3;
  auto kinds = decodeSignalKinds(warning.value4);
  ASSERT_TRUE(kinds);
  EXPECT_EQ(kinds->left, SignalKind::kWarning);
  EXPECT_EQ(kinds->right, SignalKind::kNone);
  EXPECT_EQ(kinds->rapp, 0);
  EXPECT_EQ(decodeSignalDigits(warning, 0)->left, 4);
  EXPECT_EQ(decodeSignalDigits(warning, 0)->right, 0);

  TrackCell protection;
  protection.value1 = 30;
  protection.value2 = 10;
  protection.value4 = 6 + 70;  // rapp 7
  kinds = decodeSignalKinds(protection.value4);
  ASSERT_TRUE(kinds);
  EXPECT_EQ(kinds->left, SignalKind::kProtection);
  EXPECT_EQ(kinds->rapp, 7);
  EXPECT_EQ(decodeSignalDigits(protection, 1)->left, 1);

  // Nothing packed from kinds 0 to 2 ends in 9, and the digits are one decimal digit each.
  protection.value4 = 9;
  EXPECT_FALSE(decodeSignalKinds(protection.value4));
  protection.value4 = -3;
  EXPECT_FALSE(decodeSignalKinds(protection.value4));
  protection.value3 = 100;
  EXPECT_FALSE(decodeSignalDigits(protection, 2));
}

TEST(CellCodec, BoardSpeedsAndApproachMarks) {
  EXPECT_EQ(decodeBoardSpeeds(1300).first, 65);
  EXPECT_EQ(decodeBoardSpeeds(1300).second, 0);
  EXPECT_EQ(decodeBoardSpeeds(20 * 60 + 70 / 5).second, 70);

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
    auto mark = decodeApproachMark(c.approachMark);
    ASSERT_EQ(mark.has_value(), k.valid) << int{k.mark};
    if (!mark) continue;
    EXPECT_EQ(mark->step, k.step) << int{k.mark};
    EXPECT_EQ(mark->signalSides, k.sides) << int{k.mark};
    EXPECT_EQ(mark->maybeStation, k.maybeStation) << int{k.mark};
  }
}

// Stations fill rows from 1 upward; a row holding only a text is a board's unless a station's row lies
// above it.
TEST(CellCodec, StationRowsEndAtTheLastRowHoldingANumber) {
  struct Case {
    const char* what;
    std::vector<int> numbered;   // rows given a position
    std::vector<int> textOnly;   // rows given a name and nothing else
    std::int32_t count;
  };
  const Case cases[] = {
      {"no stations", {}, {80, 79}, 0},
      {"two stations and boards", {1, 2}, {80, 79}, 2},
      {"a text-only row between stations", {1, 3}, {2, 80}, 3},
      {"an empty row between stations", {1, 3}, {}, 3},
      {"a station in row 80, the last of the area", {1, 80}, {}, 80},
      {"the rows above 80 are not stations", {81, 84, 86}, {}, 0},
  };
  for (const Case& c : cases) {
    std::array<ScenarioRecord, kTableRows> table{};
    for (int row : c.numbered) {
      table[static_cast<std::size_t>(row)].numberC = 1000 * row;
      table[static_cast<std::size_t>(row)].text = "NAME";
    }
    for (int row : c.textOnly) table[static_cast<std::size_t>(row)].text = "TEXT";
    EXPECT_EQ(stationRowCount(table), c.count) << c.what;
  }
}

TEST(CellCodec, EveryKindTheCompilerWritesHasAName) {
  for (int kind : {0, 1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14}) EXPECT_TRUE(isKnownKind(kind)) << kind;
  for (int kind : {7, 8, 9, 15, 255}) EXPECT_FALSE(isKnownKind(kind)) << kind;
}

// The recorders' encodings read back by the decoders: every value an author can write within its range.
TEST(CellCodec, EncodingsReadBackAsWritten) {
  for (int kmh = 0; kmh <= 300; kmh += kSpeedStep) EXPECT_EQ(decodeSpeed(encodeSpeed(kmh)), kmh);
  for (int g = -100; g <= 155; ++g) EXPECT_EQ(decodeGradient(encodeGradient(g)), g);
  for (int a = 0; a <= 255; ++a) EXPECT_EQ(decodeAdhesion(encodeAdhesion(a)), a);
  for (int rapp = 0; rapp <= 9; ++rapp) {
    for (int left = 0; left <= 2; ++left) {
      for (int right = 0; right <= 2; ++right) {
        auto kinds = decodeSignalKinds(encodeSignalKinds(rapp, left, right));
        ASSERT_TRUE(kinds);
        EXPECT_EQ(kinds->rapp, rapp);
        EXPECT_EQ(static_cast<int>(kinds->left), left);
        EXPECT_EQ(static_cast<int>(kinds->right), right);
        for (int step = 1; step <= kApproachSteps; ++step) {
          auto mark = decodeApproachMark(encodeSignalMark(left, right, step));
          ASSERT_TRUE(mark);
          EXPECT_EQ(mark->signalSides, left * 3 + right);
          EXPECT_EQ(mark->step, step);
        }
      }
    }
  }
  for (int first = 0; first <= 300; first += 15) {
    for (int second = 0; second < 100; second += kSpeedStep) {
      BoardSpeeds b = decodeBoardSpeeds(encodeBoardSpeeds(first, second));
      EXPECT_EQ(b.first, first);
      EXPECT_EQ(b.second, second);
    }
  }
  ClockTime t = decodeStationTime(encodeStationTime(9, 41, 30));
  EXPECT_EQ(t.hours * 10000 + t.minutes * 100 + t.seconds, 94130);
  TrackCell code;
  code.kind = kCodePoint;
  code.value1 = encodeCode(70000);
  EXPECT_EQ(decodeCode(code), 70000 - 65536);
}

// A joined stretch is written with a plain type; the marked form keeps its marker.
TEST(CellCodec, MountainTypesWrittenForWhatIsStored) {
  EXPECT_EQ(writtenMountainType(3, false, true), 1);
  EXPECT_EQ(writtenMountainType(3, true, true), 11);
  EXPECT_EQ(writtenMountainType(3, false, false), 3);
  EXPECT_EQ(writtenMountainType(2, true, false), 12);
  EXPECT_EQ(splitMountainType(12).stored, 2);
  EXPECT_TRUE(splitMountainType(12).marked);
  EXPECT_FALSE(splitMountainType(10).marked);
}

TEST(CellCodec, CurveKeysNameTheirClass) {
  struct Case {
    std::string_view key;
    std::optional<int> curveClass;
    double curvature;
  } cases[] = {
      {"curvad1", 1, 0.0001}, {"curvad2", 2, 0.0002}, {"curvad3", 3, 0.0004}, {"curvad4", 4, 0.001},
      {"curvad5", 5, 0.002},  {"curvad6", 6, 0.003},  {"curvaS3", 3, 0.0004},
      {"curvad17", 1, 0.0001},  // the lowest class digit present wins, wherever it stands
      {"curvad52", 2, 0.0002},  {"curvad7", std::nullopt, 0.0}, {"curvad", std::nullopt, 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(curveClassOfKey(c.key), c.curveClass) << c.key;
    EXPECT_EQ(classCurvature(c.curveClass.value_or(0)), c.curvature) << c.key;
  }
  EXPECT_EQ(nearestCurveClass(0.00004), 0);
  EXPECT_EQ(nearestCurveClass(-0.0021), 5);
  EXPECT_EQ(nearestCurveClass(0.0007), 3);
}

// What the simulator sees of a value, in the words a warning, a hover or the inspector gives.
TEST(CellCodec, ValuesSayWhatTheyBecome) {
  struct Case {
    const EntryDefinition* entry;
    std::size_t index;
    std::int64_t written;
    std::string words;  // empty: kept as written
  } cases[] = {
      {&kGradientEntry, 1, 24, ""},
      {&kGradientEntry, 1, 180, "180 per mille is stored as -76 per mille, a descent"},
      {&kGradientEntry, 1, -120, "-120 per mille is stored as 136 per mille, a climb"},
      {&kGradientEntry, 1, 400, "400 per mille is stored as 144 per mille"},
      {&kSpeedLimitEntry, 1, 60, ""},
      {&kSpeedLimitEntry, 1, 62, "62 km/h is stored as 60 km/h (speeds are kept in steps of 5 km/h)"},
      {&kSpeedLimitEntry, 1, 1300,
       "1300 km/h does not fit the cell's byte (0 to 1275 km/h): the compile stops with error 25"},
      {&kAdhesionEntry, 1, 300, "300 % is stored as 44 % (a cell keeps 0 to 255 %)"},
      {&kSignalEntry, 10, 50, "50 is stored as 101 (a time is 0 or 101 to 255)"},
      {&kSignalEntry, 10, 0, ""},
      {&kSignalEntry, 9, 50, ""},  // a digit: no storage rule
      {&kSpeedBoardEntry, 5, 37, "37 km/h is stored as 35 km/h (speeds are kept in steps of 5 km/h)"},
      {&kSpeedBoardEntry, 5, 120, "120 km/h is stored as 20 km/h, with 1 km/h added to the first set's speed"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(storedAs(*c.entry, c.index, c.written), c.words) << c.written;
  }
  EXPECT_EQ(storedValue(kGradientEntry, 1, 180), -76);
  EXPECT_EQ(storedValue(kSpeedLimitEntry, 1, 1300), std::nullopt);
}

TEST(CellCodec, EveryDrawnKindHasALane) {
  for (const KindInfo& k : cellKinds()) {
    EXPECT_EQ(k.plotName.empty(), laneIndex(k.lane) < 0 && k.lane != Lane::kStations) << k.name;
    EXPECT_FALSE(k.words.empty()) << k.name;
  }
}

}  // namespace
}  // namespace pack
