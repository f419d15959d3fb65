// The curves of the route, read from the per-metre plan: every metre's step is the step before it,
// turned by the curve's curvature. The turn per metre gives the class, its sign the side, and the metres
// where it changes give each curve's start and length.
#pragma once

#include <cstdint>
#include <vector>

#include "compiler/model.h"
#include "tool/decompile/decompile.h"

namespace pack {

struct RecoveredCurve {
  std::int32_t start = 0;   // the curve turns metres start + 1 to start + length
  std::int32_t length = 0;
  int curveClass = 0;       // 1 to 6
  bool left = false;
};

// The turn of the step at metre m against the step before it, in radians per metre (positive: to the
// right), from the stored points m - 2, m - 1 and m.
double turnAt(const std::vector<PlanPoint>& plan, std::size_t m);

// The curves the plan shows, in order; a metre whose turn matches no class is a problem.
std::vector<RecoveredCurve> recoverCurves(const std::vector<PlanPoint>& plan, DecompileState& state);

// The "[curve]" section (left empty without the plan, and the tool says so).
void recoverCurveSection(DecompileState& state);

}  // namespace pack
