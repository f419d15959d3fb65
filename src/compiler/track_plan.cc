#include "compiler/track_plan.h"

#include <stdexcept>

#include "compiler/runtime_failure.h"

namespace pack {

void TrackPlan::create(std::int32_t metres) {
  metres_ = metres;
  filled_ = 0;
  runs_.clear();
}

void TrackPlan::clear() { create(0); }

void TrackPlan::start() {
  if (metres_ < 2) throw RuntimeFailure("plan point outside the plan");
  filled_ = 2;
  runs_.clear();
}

void TrackPlan::extend(std::int32_t count, std::optional<double> curvature) {
  if (count <= 0) return;
  if (filled_ < 2) throw RuntimeFailure("plan extended before its first two points");
  std::int32_t room = metres_ - filled_;
  append(count < room ? count : room, curvature);
  if (count > room) throw RuntimeFailure("plan point outside the plan");
}

// Runs of the same kind and curvature, bit for bit, are one run.
void TrackPlan::append(std::int32_t count, std::optional<double> curvature) {
  if (count <= 0) return;
  filled_ += count;
  Run run{count, curvature.has_value(), curvature.value_or(0.0)};
  if (!runs_.empty()) {
    Run& last = runs_.back();
    if (last.curved == run.curved &&
        std::bit_cast<std::uint64_t>(last.curvature) == std::bit_cast<std::uint64_t>(run.curvature)) {
      last.count += count;
      return;
    }
  }
  runs_.push_back(run);
}

PlanPoint TrackPlan::at(std::size_t metre) const {
  if (metre >= size()) throw std::out_of_range("plan metre beyond the plan");
  // Empty metres need no walk.
  if (metre >= static_cast<std::size_t>(filled_)) return PlanPoint{};
  PlanPoint found;
  std::size_t m = 0;
  forEachPoint([&](const PlanPoint& p) {
    if (m++ == metre) found = p;
  });
  return found;
}

std::vector<PlanPoint> TrackPlan::points() const {
  std::vector<PlanPoint> all;
  all.reserve(size());
  forEachPoint([&](const PlanPoint& p) { all.push_back(p); });
  return all;
}

}  // namespace pack
