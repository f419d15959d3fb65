// The per-metre plan of the line, built from the route's curves.
#pragma once

#include <cstdint>

#include "compiler/model.h"

namespace pack {

// The per-metre plan of the line, built while the curves are read: the line starts at the origin
// heading along +y, and each metre repeats the step of the metre before, turned by the curvature.
class PlanBuilder {
 public:
  // The plan stops at this metre while curves are read.
  static constexpr std::int32_t kCurveMetreLimit = 1000000;

  // Points 0 = (0, 0) and 1 = (0, 1), as integers.
  void start(Model& model);

  // Runs straight up to metre `start`, then curved up to `start` + `length` (a positive curvature
  // turns from +y towards +x). False when the plan passes kCurveMetreLimit; the points before stay. The
  // caller has checked that start + length does not pass extendedLength.
  bool addCurve(Model& model, std::int32_t start, std::int32_t length, double curvature);

  // Straight on to metre extendedLength - 2; the last two metres stay empty.
  void complete(Model& model);

 private:
  void straightStep(Model& model);
  void curvedStep(Model& model, double curvature);

  std::int32_t nextMetre_ = 2;
};

}  // namespace pack
