#include "compiler/plan_builder.h"

#include <cstddef>

#include "compiler/checked_math.h"
#include "compiler/runtime_failure.h"

namespace pack {
namespace {

PlanPoint& planPointOrFail(Model& model, std::int32_t metre) {
  if (metre < 0 || static_cast<std::size_t>(metre) >= model.trackPlan.size()) {
    throw RuntimeFailure("plan point outside the plan");
  }
  return model.trackPlan[static_cast<std::size_t>(metre)];
}

}  // namespace

void PlanBuilder::start(Model& model) {
  planPointOrFail(model, 0) = {PlanElement::integer(0), PlanElement::integer(0)};
  planPointOrFail(model, 1) = {PlanElement::integer(0), PlanElement::integer(1)};
  nextMetre_ = 2;
}

// d0 and d1 are the previous step, taken afresh from the stored points for every metre.
void PlanBuilder::straightStep(Model& model) {
  const PlanPoint& before = planPointOrFail(model, nextMetre_ - 2);
  const PlanPoint& last = planPointOrFail(model, nextMetre_ - 1);
  double d0 = last.x.value - before.x.value;
  double d1 = last.y.value - before.y.value;
  planPointOrFail(model, nextMetre_) = {PlanElement::real(last.x.value + d0),
                                        PlanElement::real(last.y.value + d1)};
}

// The step turned by `curvature` radians, without normalising its length. Each part is rounded to a
// double before it is added (the build never fuses a multiply and an add).
void PlanBuilder::curvedStep(Model& model, double curvature) {
  const PlanPoint& before = planPointOrFail(model, nextMetre_ - 2);
  const PlanPoint& last = planPointOrFail(model, nextMetre_ - 1);
  double d0 = last.x.value - before.x.value;
  double d1 = last.y.value - before.y.value;
  double xPart = d1 * curvature + d0;
  double yPart = d1 - d0 * curvature;
  planPointOrFail(model, nextMetre_) = {PlanElement::real(last.x.value + xPart),
                                        PlanElement::real(last.y.value + yPart)};
}

bool PlanBuilder::addCurve(Model& model, std::int32_t start, std::int32_t length, double curvature) {
  std::int32_t end = checkedAdd(start, length);
  while (nextMetre_ <= start) {
    straightStep(model);
    if (++nextMetre_ > kCurveMetreLimit) return false;
  }
  // A curve whose start lies behind the plan is curved only from the next metre on.
  while (nextMetre_ <= end) {
    curvedStep(model, curvature);
    if (++nextMetre_ > kCurveMetreLimit) return false;
  }
  return true;
}

void PlanBuilder::complete(Model& model) {
  for (; nextMetre_ <= model.extendedLength - 2; ++nextMetre_) straightStep(model);
}

}  // namespace pack
