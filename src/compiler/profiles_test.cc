// The speed and adhesion profiles, through whole readings of train run sources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/error_codes.h"
#include "compiler/runtime_failure.h"
#include "compiler/train_run_test_support.h"

namespace pack {
namespace {

using namespace test;

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

}  // namespace
}  // namespace pack
