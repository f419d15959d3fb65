// The published running times of three trains on two paths, read from their open files and run with the
// 20 m scheme: each total within 0.05 %, each point's time within 0.1 %.
#include "running_time/fastest_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "running_time/railtoolkit_files.h"

namespace pack::running_time {
namespace {

std::string fileText(const std::string& path) {
  std::ifstream in(std::string(PACK_SOURCE_DIR) + "/" + path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

Train trainFile(const std::string& name) {
  std::string path = "trains/" + name + ".yaml";
  return assembleTrain(readRollingStock(fileText(path), path));
}

RunningPath pathFile(const std::string& name) {
  std::string path = "tests/data/running_time/" + name + ".yaml";
  return readRunningPath(fileText(path), path);
}

struct Published {
  const char* train;
  const char* path;
  double totalS;
  std::vector<std::pair<const char*, double>> points;
};

const Published kPublished[] = {
    {"local", "const", 391.6152532734451, {{"point_1", 67.32326198761744}, {"point_2", 107.01226356202419}, {"point_3", 153.2636135331577}, {"point_4", 202.42710734163703}, {"point_5", 285.73719305795487}, {"point_6", 323.0400102632117}, {"point_7", 343.17131931439036}}},
    {"local", "slope", 395.5151496271005, {{"view_point_1", 60.54016332791862}, {"distant_signal_1", 67.36767402314463}, {"main_signal_1", 107.23530266042899}, {"main_signal_3", 326.93070573450956}, {"clearing_point_1", 330.15048945640325}}},
    {"longdistance", "const", 330.7461710917806, {{"point_1", 59.09565687336528}, {"point_2", 88.37514723806488}, {"point_3", 124.86031260926323}, {"point_4", 158.9868653365229}, {"point_5", 221.86088822911393}, {"point_6", 257.71647513346113}, {"point_7", 279.15545329782816}}},
    {"longdistance", "slope", 331.608618035596, {{"view_point_1", 54.04869662683554}, {"distant_signal_1", 59.128696100861625}, {"main_signal_1", 88.46804007866054}, {"main_signal_3", 258.5778651190663}, {"clearing_point_1", 266.42554679688124}}},
    {"freight", "const", 745.0704270565875, {{"point_1", 139.26668942306014}, {"point_2", 219.9649519962345}, {"point_3", 325.9823688387726}, {"point_4", 417.58019113682644}, {"point_5", 580.2753752939914}, {"point_6", 649.3781467492779}, {"point_7", 678.4573351565816}}},
    {"freight", "slope", 840.8168602923618, {{"view_point_1", 125.61201631869552}, {"distant_signal_1", 139.35636561939714}, {"main_signal_1", 222.0148591480006}, {"main_signal_3", 723.5230656476192}, {"clearing_point_1", 749.3643830892489}}},
};

TEST(FastestRun, ReproducesThePublishedRunningTimes) {
  for (const Published& p : kPublished) {
    SCOPED_TRACE(std::string(p.train) + " on " + p.path);
    Train train = trainFile(p.train);
    RunResult run = fastestRun(train, lineOf(pathFile(p.path), train.lengthM));
    EXPECT_NEAR(run.totalS, p.totalS, p.totalS * 0.0005);
    ASSERT_EQ(run.points.size(), p.points.size());
    for (std::size_t i = 0; i < p.points.size(); ++i) {
      EXPECT_EQ(run.points[i].label, p.points[i].first);
      EXPECT_NEAR(run.points[i].tS, p.points[i].second, p.points[i].second * 0.001) << p.points[i].first;
    }
  }
}

// The hand values of the model: the acceleration from rest, and the first 20 m step.
TEST(FastestRun, ForcesFromRestMatchTheHandValues) {
  struct Case {
    const char* train;
    double accelerationMs2;
  } cases[] = {{"local", 0.975343}, {"longdistance", 0.614318}, {"freight", 0.180550}};
  for (const Case& c : cases) {
    Train t = trainFile(c.train);
    double a = (t.tractiveEffortAt(0) - t.trainResistance(0)) / (t.rotationFactor * t.massKg);
    EXPECT_NEAR(a, c.accelerationMs2, 5e-7) << c.train;
  }
  Train t = trainFile("longdistance");
  Line line{{{0, 160 / 3.6, 0}}, 10000, {{20, "first step"}}};
  RunResult run = fastestRun(t, line);
  EXPECT_NEAR(run.points[0].vMs, 4.9571, 5e-5);
  EXPECT_NEAR(run.points[0].tS, 8.0693, 5e-5);
}

// A higher limit counts only once the whole train has left the lower one.
TEST(FastestRun, HigherLimitWaitsForTheRear) {
  Train t = trainFile("longdistance");
  Line line{{{0, 40 / 3.6, 0}, {500, 160 / 3.6, 0}}, 3000, {{500 + t.lengthM - 1, "rear still in"}}};
  RunResult run = fastestRun(t, line);
  EXPECT_NEAR(run.points[0].vMs, 40 / 3.6, 1e-9);
}

TEST(FastestRun, TooSteepAGradientStallsWithItsPlace) {
  Train t = trainFile("freight");
  Line line{{{0, 80 / 3.6, 0}, {1000, 80 / 3.6, 40}}, 3000, {}};
  try {
    fastestRun(t, line);
    FAIL() << "no stall";
  } catch (const RunError& e) {
    EXPECT_GE(e.atM, 1000);
  }
}

TEST(FastestRun, DriverMarginBringsALowerLimitForward) {
  Line line{{{0, 100 / 3.6, 0}, {1000, 40 / 3.6, 1}, {2000, 100 / 3.6, 0}}, 3000, {}};
  Line early = withDriverMargin(line, 100);
  ASSERT_EQ(early.sections.size(), 4u);
  EXPECT_EQ(early.sections[1].startM, 900);
  EXPECT_NEAR(early.sections[1].limitMs, 40 / 3.6, 1e-12);
  EXPECT_EQ(early.sections[1].gradientPerMille, 0);  // the gradient stays where it is
  EXPECT_EQ(early.sections[2].startM, 1000);
}

}  // namespace
}  // namespace pack::running_time
