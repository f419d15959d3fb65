#include "running_time/etcs_braking.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pack::running_time {
namespace {

struct Band {
  double upToKmh;  // the band's highest speed
  double a3, a2, a1, a0;
};
constexpr Band kBands[] = {
    {100, -6.30e-7, 6.10e-5, 4.72e-3, 0.0663}, {120, 2.73e-7, -4.54e-6, 5.13e-3, 0.1300},
    {150, 5.58e-8, -6.76e-6, 5.81e-3, 0.0479}, {180, 3.00e-8, -3.85e-6, 5.52e-3, 0.0480},
    {1e9, 3.23e-9, 1.66e-6, 5.06e-3, 0.0559},
};

double effectiveLambda(double lambda, BrakeUse use) {
  return use == BrakeUse::kService ? std::min(lambda, 135.0) : lambda;
}

// The speeds at which the deceleration may change, below `top`.
std::vector<double> changes(double lambda, double top, BrakeUse use) {
  std::vector<double> at = {conversionSpeedLimitKmh(lambda, use)};
  for (const Band& b : kBands) at.push_back(b.upToKmh);
  std::vector<double> below;
  for (double v : at) {
    if (v > 0 && v < top) below.push_back(v);
  }
  std::sort(below.begin(), below.end());
  return below;
}

}  // namespace

double conversionSpeedLimitKmh(double lambda, BrakeUse use) {
  return 16.85 * std::pow(effectiveLambda(lambda, use), 0.428);
}

double conversionDeceleration(double lambda, double speedKmh, BrakeUse use) {
  double l = effectiveLambda(lambda, use);
  if (speedKmh <= conversionSpeedLimitKmh(lambda, use)) return 0.0075 * l + 0.076;
  for (const Band& b : kBands) {
    if (speedKmh <= b.upToKmh) return ((b.a3 * l + b.a2) * l + b.a1) * l + b.a0;
  }
  return 0;  // not reached: the last band has no upper end
}

double passengerBuildUpTimeS(double trainLengthM) {
  double l = std::max(400.0, trainLengthM) / 100.0;
  return 2.30 + 0.17 * l * l;
}

double conversionStoppingDistanceM(double lambda, double speedKmh, BrakeUse use, double buildUpS) {
  double v0 = speedKmh / 3.6;
  double distance = v0 * std::max(0.0, buildUpS);
  double low = 0;
  std::vector<double> edges = changes(lambda, speedKmh, use);
  edges.push_back(speedKmh);
  for (double high : edges) {
    // The deceleration is constant inside the band: ∫ v dv / AD = (v₂² − v₁²) / 2AD.
    double ad = conversionDeceleration(lambda, (low + high) / 2, use);
    distance += ((high / 3.6) * (high / 3.6) - (low / 3.6) * (low / 3.6)) / (2 * ad);
    low = high;
  }
  return distance;
}

double lowestConversionDeceleration(double lambda, double speedKmh, BrakeUse use) {
  double lowest = conversionDeceleration(lambda, 0, use);
  double low = 0;
  std::vector<double> edges = changes(lambda, speedKmh, use);
  edges.push_back(speedKmh);
  for (double high : edges) {
    lowest = std::min(lowest, conversionDeceleration(lambda, (low + high) / 2, use));
    low = high;
  }
  return lowest;
}

}  // namespace pack::running_time
