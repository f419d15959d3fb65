#include "compiler/plan_builder.h"

#include <algorithm>

#include "compiler/checked_math.h"

namespace pack {

void PlanBuilder::start(Model& model) {
  model.trackPlan.start();
  nextMetre_ = 2;
}

bool PlanBuilder::runTo(Model& model, std::int32_t last, std::optional<double> curvature) {
  if (nextMetre_ > last) return true;
  // The metre at the limit is still added; the plan stops after it.
  std::int32_t through = std::min(last, std::max(kCurveMetreLimit, nextMetre_));
  model.trackPlan.extend(through - nextMetre_ + 1, curvature);
  nextMetre_ = through + 1;
  return nextMetre_ <= kCurveMetreLimit;
}

bool PlanBuilder::addCurve(Model& model, std::int32_t start, std::int32_t length, double curvature) {
  std::int32_t end = checkedAdd(start, length);
  if (!runTo(model, start, std::nullopt)) return false;
  // A curve whose start lies behind the plan is curved only from the next metre on.
  return runTo(model, end, curvature);
}

void PlanBuilder::complete(Model& model) {
  std::int32_t last = model.extendedLength - 2;
  if (nextMetre_ > last) return;
  model.trackPlan.extend(last - nextMetre_ + 1, std::nullopt);
  nextMetre_ = last + 1;
}

}  // namespace pack
