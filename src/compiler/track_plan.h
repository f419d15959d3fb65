// The per-metre plan of the line, kept as the runs that build it rather than as its points. Every point
// follows from the two before it, so the runs (straight, or turned by a curvature, for so many metres)
// give back every point bit for bit, in a single forward pass: the writer walks the plan as it encodes
// it, and a plan of a million metres takes a few bytes per curve instead of 32 MB.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace pack {

// A plan element: empty, a 16-bit integer or a 64-bit float. The tag values are those of the plan file.
enum class PlanTag : std::uint16_t { kEmpty = 0, kInt16 = 2, kDouble = 5 };

struct PlanElement {
  PlanTag tag = PlanTag::kEmpty;
  double value = 0.0;  // an integer element holds its value exactly

  static PlanElement integer(std::int16_t v) { return {PlanTag::kInt16, static_cast<double>(v)}; }
  static PlanElement real(double v) { return {PlanTag::kDouble, v}; }

  bool operator==(const PlanElement&) const = default;
};

struct PlanPoint {
  PlanElement x;  // column 0
  PlanElement y;  // column 1

  bool operator==(const PlanPoint&) const = default;
};

class TrackPlan {
 public:
  // Metres 0 to metres - 1, every point empty.
  void create(std::int32_t metres);
  // No plan at all.
  void clear();

  std::size_t size() const { return metres_; }
  bool empty() const { return metres_ == 0; }

  // Points 0 = (0, 0) and 1 = (0, 1), as integers: the line starts at the origin heading along +y. Any
  // points after them are dropped.
  void start();

  // The next `count` metres after the last point: each repeats the step before it (d0, d1), straight,
  // or turned by `curvature` radians as (d1·k + d0, d1 − d0·k) without normalising its length. Metres
  // beyond the plan are a run-time failure, after the points up to its end have been added.
  void extend(std::int32_t count, std::optional<double> curvature);

  // Metres holding a point, from metre 0 on; the rest are empty.
  std::int32_t filled() const { return filled_; }

  // Calls visit(const PlanPoint&) for every metre from 0 to size() - 1, in order, computing each point
  // from the two before it.
  template <typename Visit>
  void forEachPoint(Visit&& visit) const;

  // The point at one metre (computed from the start of the plan) and every point: for tests and tools.
  PlanPoint at(std::size_t metre) const;
  std::vector<PlanPoint> points() const;

  // The same points at every metre (compares them all: for tests).
  bool operator==(const TrackPlan& other) const { return size() == other.size() && points() == other.points(); }

 private:
  struct Run {
    std::int32_t count;
    bool curved;
    double curvature;
  };

  void append(std::int32_t count, std::optional<double> curvature);

  std::int32_t metres_ = 0;
  std::int32_t filled_ = 0;
  std::vector<Run> runs_;
};

template <typename Visit>
void TrackPlan::forEachPoint(Visit&& visit) const {
  std::int32_t metre = 0;
  if (filled_ >= 2) {
    visit(PlanPoint{PlanElement::integer(0), PlanElement::integer(0)});
    visit(PlanPoint{PlanElement::integer(0), PlanElement::integer(1)});
    metre = 2;
    double beforeX = 0.0, beforeY = 0.0, lastX = 0.0, lastY = 1.0;
    for (const Run& run : runs_) {
      for (std::int32_t i = 0; i < run.count; ++i) {
        // The step from the stored points, each part rounded to a double before it is added (the build
        // never fuses a multiply and an add).
        double d0 = lastX - beforeX;
        double d1 = lastY - beforeY;
        double x, y;
        if (run.curved) {
          double xPart = d1 * run.curvature + d0;
          double yPart = d1 - d0 * run.curvature;
          x = lastX + xPart;
          y = lastY + yPart;
        } else {
          x = lastX + d0;
          y = lastY + d1;
        }
        beforeX = lastX;
        beforeY = lastY;
        lastX = x;
        lastY = y;
        visit(PlanPoint{PlanElement::real(x), PlanElement::real(y)});
      }
      metre += run.count;
    }
  }
  for (; metre < metres_; ++metre) visit(PlanPoint{});
}

}  // namespace pack
