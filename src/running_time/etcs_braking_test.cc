#include "running_time/etcs_braking.h"

#include <gtest/gtest.h>

namespace pack::running_time {
namespace {

// Stopping distances on level track worked by hand from the conversion model (below its V_lim the
// deceleration is 0.0075·λ + 0.076 at every speed), with and without the 5.02 s build-up time of a
// train up to 400 m long.
TEST(ConversionModel, StoppingDistancesMatchTheHandValues) {
  struct Case {
    double lambda, kmh, withoutBuildUp, withBuildUp;
  } cases[] = {
      {105, 60, 160.8, 244.5}, {105, 75, 251.3, 355.9}, {105, 100, 446.8, 586.2}, {105, 120, 643.4, 810.7},
      {150, 60, 115.6, 199.3}, {150, 75, 180.7, 285.3}, {150, 100, 321.2, 460.7}, {150, 120, 462.6, 629.9},
  };
  double buildUp = passengerBuildUpTimeS(200);
  EXPECT_NEAR(buildUp, 5.02, 1e-12);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.lambda) + " at " + std::to_string(c.kmh));
    EXPECT_NEAR(conversionStoppingDistanceM(c.lambda, c.kmh, BrakeUse::kEmergency, 0), c.withoutBuildUp, 0.06);
    EXPECT_NEAR(conversionStoppingDistanceM(c.lambda, c.kmh, BrakeUse::kEmergency, buildUp), c.withBuildUp, 0.06);
  }
}

TEST(ConversionModel, ServiceBrakeCapsLambdaAndBandsApplyAboveTheLimitSpeed) {
  EXPECT_DOUBLE_EQ(conversionDeceleration(200, 50, BrakeUse::kService), 0.0075 * 135 + 0.076);
  EXPECT_DOUBLE_EQ(conversionDeceleration(200, 50, BrakeUse::kEmergency), 0.0075 * 200 + 0.076);
  // λ 50: V_lim = 16.85 · 50^0.428 ≈ 89.9 km/h; at 95 km/h the first band's cubic applies.
  EXPECT_NEAR(conversionSpeedLimitKmh(50, BrakeUse::kEmergency), 89.9, 0.05);
  double band = ((-6.30e-7 * 50 + 6.10e-5) * 50 + 4.72e-3) * 50 + 0.0663;
  EXPECT_DOUBLE_EQ(conversionDeceleration(50, 95, BrakeUse::kEmergency), band);
  EXPECT_DOUBLE_EQ(lowestConversionDeceleration(50, 95, BrakeUse::kEmergency), std::min(band, 0.0075 * 50 + 0.076));
}

}  // namespace
}  // namespace pack::running_time
