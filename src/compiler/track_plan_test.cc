#include "compiler/track_plan.h"

#include <gtest/gtest.h>

#include "compiler/runtime_failure.h"

namespace pack {
namespace {

// The plan's points computed one by one and stored, as a reference for the runs.
std::vector<PlanPoint> storedPoints(std::size_t metres, const std::vector<std::pair<int, std::optional<double>>>& runs) {
  std::vector<PlanPoint> p(metres);
  p[0] = {PlanElement::integer(0), PlanElement::integer(0)};
  p[1] = {PlanElement::integer(0), PlanElement::integer(1)};
  std::size_t m = 2;
  for (const auto& [count, k] : runs) {
    for (int i = 0; i < count; ++i, ++m) {
      double d0 = p[m - 1].x.value - p[m - 2].x.value;
      double d1 = p[m - 1].y.value - p[m - 2].y.value;
      double dx = k ? d1 * *k + d0 : d0;
      double dy = k ? d1 - d0 * *k : d1;
      p[m] = {PlanElement::real(p[m - 1].x.value + dx), PlanElement::real(p[m - 1].y.value + dy)};
    }
  }
  return p;
}

TEST(TrackPlan, RunsGiveBackEveryStoredPoint) {
  // Straight runs, curves both ways, the same curvature twice in a row (kept as one run), and a curvature
  // of zero, which is not a straight run.
  std::vector<std::pair<int, std::optional<double>>> runs = {
      {40, std::nullopt}, {25, 0.003}, {5, 0.003}, {30, -0.0004}, {3, 0.0}, {10, std::nullopt}, {1, std::nullopt},
      {200, 0.0001}, {50, std::nullopt}};
  TrackPlan plan;
  plan.create(400);
  plan.start();
  for (const auto& [count, k] : runs) plan.extend(count, k);
  std::vector<PlanPoint> expected = storedPoints(400, runs);
  EXPECT_EQ(plan.filled(), 366);
  EXPECT_EQ(plan.points(), expected);
  for (std::size_t m : {0u, 1u, 2u, 97u, 365u, 366u, 399u}) EXPECT_EQ(plan.at(m), expected[m]) << m;
  EXPECT_EQ(plan.at(366).x.tag, PlanTag::kEmpty);
  EXPECT_THROW(plan.at(400), std::out_of_range);
}

TEST(TrackPlan, ReachingPastTheEndKeepsThePointsUpToIt) {
  TrackPlan plan;
  plan.create(10);
  plan.start();
  EXPECT_THROW(plan.extend(9, std::nullopt), RuntimeFailure);
  EXPECT_EQ(plan.filled(), 10);
  EXPECT_EQ(plan.at(9).y, PlanElement::real(9.0));

  TrackPlan tiny;
  tiny.create(1);
  EXPECT_THROW(tiny.start(), RuntimeFailure);
}

TEST(TrackPlan, StartingAgainDropsThePointsAndCreatingEmptiesThePlan) {
  TrackPlan plan;
  plan.create(20);
  plan.start();
  plan.extend(5, 0.002);
  plan.start();
  EXPECT_EQ(plan.filled(), 2);
  EXPECT_EQ(plan.at(2), PlanPoint{});
  plan.extend(3, std::nullopt);
  EXPECT_EQ(plan.at(4).y, PlanElement::real(4.0));

  plan.create(7);
  EXPECT_EQ(plan.size(), 7u);
  EXPECT_EQ(plan.points(), std::vector<PlanPoint>(7));
  plan.clear();
  EXPECT_TRUE(plan.empty());
}

}  // namespace
}  // namespace pack
