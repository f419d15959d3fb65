// The ETCS conversion model (SUBSET-026, 3.13.3 and appendix A.3): a train's braking deceleration
// from its braked-mass percentage λ, by speed band. Speeds in km/h, decelerations in m/s², as the model
// states them.
#pragma once

namespace pack::running_time {

enum class BrakeUse {
  kEmergency,  // λ as given
  kService,    // λ capped at 135
};

inline constexpr double kConversionLowestLambda = 30;
inline constexpr double kConversionHighestLambda = 250;
inline constexpr double kConversionHighestSpeedKmh = 200;

// The speed up to which the deceleration is the same at every speed: 16.85 · λ₀^0.428.
double conversionSpeedLimitKmh(double lambda, BrakeUse use);

// The deceleration at `speedKmh`.
double conversionDeceleration(double lambda, double speedKmh, BrakeUse use);

// The brake build-up time of a passenger train's emergency brake: 2.30 + 0.17 · (L'/100)², L' at least
// 400 m.
double passengerBuildUpTimeS(double trainLengthM);

// The distance to stop from `speedKmh` on level track: the speed held during the build-up time (when
// `buildUpS` > 0), then braking at the model's deceleration band by band.
double conversionStoppingDistanceM(double lambda, double speedKmh, BrakeUse use, double buildUpS);

// The smallest deceleration from rest up to `speedKmh`: a constant braking that the model allows at
// every speed of a run.
double lowestConversionDeceleration(double lambda, double speedKmh, BrakeUse use);

}  // namespace pack::running_time
