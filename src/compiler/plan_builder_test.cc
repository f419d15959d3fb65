// The per-metre plan from the curves, through whole readings of route sources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/error_codes.h"
#include "compiler/route_test_support.h"
#include "compiler/runtime_failure.h"

namespace pack {
namespace {

using namespace route_test;

TEST(RouteReaderPlan, AFeaturePartWithoutCurvesIsAStraightLine) {
  Compile run(route({}));
  ASSERT_EQ(run.model.trackPlan.size(), 10001u);
  EXPECT_EQ(run.point(0).x.tag, PlanTag::kInt16);
  EXPECT_EQ(run.point(1).y.tag, PlanTag::kInt16);
  EXPECT_EQ(run.point(1).y.value, 1.0);
  for (std::int32_t m = 2; m <= 9998; ++m) {
    ASSERT_EQ(run.point(m).x.tag, PlanTag::kDouble) << m;
    ASSERT_EQ(run.point(m).x.value, 0.0) << m;
    ASSERT_EQ(run.point(m).y.value, static_cast<double>(m)) << m;
  }
  EXPECT_EQ(run.point(9999).x.tag, PlanTag::kEmpty);
  EXPECT_EQ(run.point(10000).y.tag, PlanTag::kEmpty);
}

TEST(RouteReaderPlan, CurvePointsToTheLastDigit) {
  struct Point {
    double x, y;
  };
  // Each step part rounded to a double before it is added; never a fused multiply-add.
  const Point right[] = {{0, 2}, {0x1.0624dd2f1a9fcp-10, 3}, {0x1.89374bc6a7efap-9, 0x1.fffff79c842fap+1},
                         {0x1.47ae147ae147bp-8, 0x1.3ffff79c842fap+2}};
  static_assert(0x1.0624dd2f1a9fcp-10 == 0.001 && 0x1.89374bc6a7efap-9 == 0.003);
  static_assert(0x1.fffff79c842fap+1 == 3.999999 && 0x1.3ffff79c842fap+2 == 4.999998);

  for (const char* key : {"curvad4", "curvas4"}) {
    Compile run(route({std::string(key) + ", 2, 2"}));
    double side = key[5] == 's' ? -1.0 : 1.0;
    for (std::int32_t m = 2; m <= 5; ++m) {
      EXPECT_EQ(run.point(m).x.value, side * right[m - 2].x) << key << " point " << m;
      EXPECT_EQ(run.point(m).y.value, right[m - 2].y) << key << " point " << m;
    }
  }

  // A curve starting behind the plan is curved from the next metre on.
  Compile overlap(route({"curvad4, 2, 2", "curvad4, 3, 2"}));
  EXPECT_EQ(overlap.point(5).x.value, 0x1.8937477b24f59p-8);
  EXPECT_EQ(overlap.point(5).y.value, 0x1.3fffef39085f4p+2);
  EXPECT_EQ(overlap.point(6).x.value, 0x1.26e974897af9ap-7);
  EXPECT_EQ(overlap.point(6).y.value, 0x1.7fffe2a3cea6bp+2);
}

TEST(RouteReaderPlan, KeyGivesClassAndSide) {
  struct Case {
    const char* key;
    double curvature;  // x of point 3 after one curved metre from metre 2
  } cases[] = {
      {"curvad1", 0.0001}, {"curvad2", 0.0002}, {"curvad3", 0.0004}, {"curvad4", 0.001},
      {"curvad5", 0.002},  {"curvad6", 0.003},  {"curvaS3", -0.0004}, {"CURVAS6", -0.003},
      {"curvad17", 0.0001}, {"curvad52", 0.0002},
  };
  for (const Case& c : cases) {
    Compile run(route({std::string(c.key) + ", 2, 1"}));
    EXPECT_EQ(run.model.errorCode, 0) << c.key;
    EXPECT_EQ(run.point(3).x.value, c.curvature) << c.key;
  }
}

TEST(RouteReaderPlan, CurveWithoutClassIsRefused) {
  for (const char* key : {"curvad", "curvas", "curvad7"}) {
    Compile run(route({"pendenza, 0, 5", std::string(key) + ", 100, 50"}));
    EXPECT_EQ(run.model.errorCode, kErrCurve) << key;
    EXPECT_FALSE(run.routeLeft()) << key;
    EXPECT_TRUE(run.trainRunLeft()) << key;
    EXPECT_EQ(run.cell(0).gradient, 0) << key << ": nothing is completed after a refusal";
    EXPECT_EQ(run.point(2).x.tag, PlanTag::kEmpty) << key;
  }
}

TEST(RouteReaderPlan, CurvesStopBeforeMetreOneMillion) {
  Compile ending(route({"curvad4, 999979, 20"}, 1000000));
  EXPECT_EQ(ending.model.errorCode, 0);
  EXPECT_EQ(ending.point(1006998).y.tag, PlanTag::kDouble);
  EXPECT_EQ(ending.point(1006999).y.tag, PlanTag::kEmpty);

  Compile reaching(route({"curvad4, 999980, 20"}, 1000000));
  EXPECT_EQ(reaching.model.errorCode, kErrCurve);
  EXPECT_EQ(reaching.point(1000000).y.tag, PlanTag::kDouble);
  EXPECT_EQ(reaching.point(1000001).y.tag, PlanTag::kEmpty);
  EXPECT_TRUE(reaching.trainRunLeft());

  // The straight run up to a curve's start stops there too.
  Compile straight(route({"curvad4, 1000000, 10"}, 1000000));
  EXPECT_EQ(straight.model.errorCode, kErrCurve);
  EXPECT_EQ(straight.point(1000000).y.value, 1000000.0);
  EXPECT_EQ(straight.point(1000001).y.tag, PlanTag::kEmpty);
}

TEST(RouteReaderPlan, WithoutThePlanCurvesAreNotRecognisedAndCellsAreTheSame) {
  const std::vector<std::string> features = {
      "curvad4, 400, 200", "pendenza, 0, 3", "curvad, 700, 50", "montagna, 1000, 1500, 11",
      "indicatori_vmax, 2000, 60, 70, 80, 1, 0, 0, 0, 0", "cartello_indicatore, 2500, (X)", "pendenza, 3000, -4"};
  Compile withPlan(route({"curvad4, 400, 200", "pendenza, 0, 3", "montagna, 1000, 1500, 11",
                          "indicatori_vmax, 2000, 60, 70, 80, 1, 0, 0, 0, 0", "cartello_indicatore, 2500, (X)",
                          "pendenza, 3000, -4"}));
  Compile withoutPlan(route(features), 0);
  EXPECT_EQ(withoutPlan.model.errorCode, 0) << "a curve without class is not even looked at";
  EXPECT_TRUE(withoutPlan.model.trackPlan.empty());
  ASSERT_EQ(withoutPlan.model.trackCells.size(), withPlan.model.trackCells.size());
  for (std::size_t i = 0; i < withPlan.model.trackCells.size(); ++i) {
    const TrackCell& a = withPlan.model.trackCells[i];
    const TrackCell& b = withoutPlan.model.trackCells[i];
    ASSERT_TRUE(a.kind == b.kind && a.value1 == b.value1 && a.value2 == b.value2 && a.value3 == b.value3 &&
                a.value4 == b.value4 && a.mountainKind == b.mountainKind && a.gradient == b.gradient)
        << "cell " << i;
  }
}

}  // namespace
}  // namespace pack
