// A running path rounded onto the 50 m grid: the height error carried from cell to cell keeps the line
// climbing as much as the real one, no cell's limit is above the real one, and a change between grid
// points moves to the safe side.
#include "tool/commands/path_scenario.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "compiler/track_position.h"

namespace pack {
namespace {

using running_time::RunningPath;

RunningPath pathOf(std::vector<RunningPath::Row> rows) {
  RunningPath p;
  p.name = "test";
  p.sections = std::move(rows);
  return p;
}

struct Entry {
  std::int32_t metre;
  int value;
};

struct RoundingCase {
  const char* what;
  std::vector<RunningPath::Row> rows;  // the last row marks the end
  std::vector<Entry> firstGradients;   // the leading gradient entries expected
  std::vector<Entry> speeds;           // every speed entry expected
  double largestSpeedMove;
};

// The real height at `metre` of a path of stretches.
double realHeight(const RunningPath& p, double metre) {
  double h = 0;
  for (std::size_t i = 0; i + 1 < p.sections.size(); ++i) {
    double a = p.sections[i].stationM, b = std::min(p.sections[i + 1].stationM, metre);
    if (b > a) h += p.sections[i].gradientPerMille * (b - a) / 1000;
  }
  return h;
}

double realLowestLimit(const RunningPath& p, double from, double to) {
  double lowest = 1e9;
  for (std::size_t i = 0; i + 1 < p.sections.size(); ++i) {
    if (p.sections[i].stationM < to && p.sections[i + 1].stationM > from) lowest = std::min(lowest, p.sections[i].limitKmh);
  }
  return lowest;
}

TEST(PathRounding, CarriesTheHeightAndStaysBelowTheLimit) {
  const RoundingCase cases[] = {
      // 5.3 per mille: whole per mille alternate so that every 50 m ends within 2.5 cm of the real height
      // (rounding each cell alone would lose 0.3 m per kilometre).
      {"a gradient of 5.3 per mille", {{0, 100, 5.3}, {1000, 100, 0}}, {{0, 5}, {50, 6}, {100, 5}, {200, 6}, {250, 5}},
       {{0, 100}}, 0},
      {"a limit of 65 km/h, a speed the cells keep", {{0, 65, 0}, {1000, 65, 0}}, {{0, 0}}, {{0, 65}}, 0},
      {"a limit of 67 km/h, taken down to 65", {{0, 67, 0}, {1000, 67, 0}}, {{0, 0}}, {{0, 65}}, 2},
      // A section starting at 318 m: a lower limit takes the whole cell from 300 m, a higher one waits for
      // the cell from 350 m; the gradient's 32 m of 10 per mille in the cell from 300 m are 0.32 m.
      {"a lower limit and a gradient from 318 m", {{0, 100, 0}, {318, 60, 10}, {1000, 60, 10}},
       {{0, 0}, {300, 6}, {350, 10}}, {{0, 100}, {300, 60}}, 40},
      {"a higher limit from 318 m", {{0, 60, 0}, {318, 100, 0}, {1000, 100, 0}}, {{0, 0}}, {{0, 60}, {350, 100}}, 40},
  };
  for (const RoundingCase& c : cases) {
    SCOPED_TRACE(c.what);
    const RunningPath path = pathOf(c.rows);
    const RoundedPath r = roundPath(path);
    EXPECT_EQ(r.length, 1000);
    ASSERT_GE(r.gradients.size(), c.firstGradients.size());
    for (std::size_t i = 0; i < c.firstGradients.size(); ++i) {
      EXPECT_EQ(r.gradients[i].metre, c.firstGradients[i].metre) << i;
      EXPECT_EQ(r.gradients[i].value, c.firstGradients[i].value) << i;
    }
    ASSERT_EQ(r.speeds.size(), c.speeds.size());
    for (std::size_t i = 0; i < c.speeds.size(); ++i) {
      EXPECT_EQ(r.speeds[i].metre, c.speeds[i].metre) << i;
      EXPECT_EQ(r.speeds[i].value, c.speeds[i].value) << i;
    }
    EXPECT_DOUBLE_EQ(r.largestSpeedMove, c.largestSpeedMove);
    // At every grid point the rounded line is within half a per mille of a cell from the real height.
    double height = 0;
    const running_time::Line line = roundedLine(r);
    for (const running_time::LineSection& s : line.sections) {
      EXPECT_NEAR(height, realHeight(path, s.startM), 0.025 + 1e-9) << "at " << s.startM;
      EXPECT_LE(s.limitMs * 3.6, realLowestLimit(path, s.startM, s.startM + kCellLength) + 1e-9) << "at " << s.startM;
      height += s.gradientPerMille * kCellLength / 1000;
    }
    EXPECT_NEAR(r.heightMoveAtEnd, height - realHeight(path, 1000), 1e-9);
    EXPECT_NEAR(r.heightMoveAtEnd, 0, 0.025 + 1e-9);
  }
}

TEST(PathRounding, RefusesAPathWithoutLengthOrWithALimitTooLowToKeep) {
  EXPECT_THROW(roundPath(pathOf({{0, 100, 0}, {0, 100, 0}})), std::invalid_argument);
  EXPECT_THROW(roundPath(pathOf({{0, 100, 0}, {10, 100, 0}})), std::invalid_argument);
  EXPECT_THROW(roundPath(pathOf({{0, 3, 0}, {1000, 3, 0}})), std::invalid_argument);
}

}  // namespace
}  // namespace pack
