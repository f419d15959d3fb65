#include "tool/decompile/decompile_curves.h"

#include <cmath>
#include <string>

#include "compiler/cell_codec.h"
#include "formats/route_format.h"

namespace pack {
namespace {

// The class whose curvature is nearest the turn, or 0 for a straight metre. A straight step repeats the
// step before exactly, so its turn is 0 up to rounding (and a turn that is not a number is none).
int classOfTurn(double turn) {
  // Far beyond the sharpest class: no curve entry turns like this.
  if (std::fabs(turn) > codec::curveClasses().back().curvature * 2) return -1;
  return codec::nearestCurveClass(turn);
}

// The key of a curve: "curva", the side ("d" right, "s" left) and the class digit, as the embedded route
// writes them ("curvad5").
std::string curveKey(const RecoveredCurve& curve) {
  return "curva" + std::string(curve.left ? "s" : "d") + std::to_string(curve.curveClass);
}

}  // namespace

double turnAt(const std::vector<PlanPoint>& plan, std::size_t m) {
  const PlanPoint& a = plan[m - 2];
  const PlanPoint& b = plan[m - 1];
  const PlanPoint& c = plan[m];
  double d0 = b.x.value - a.x.value;
  double d1 = b.y.value - a.y.value;
  double e0 = c.x.value - b.x.value;
  double e1 = c.y.value - b.y.value;
  // The compile turns (d0, d1) into (d0 + k d1, d1 - k d0); the cross product of the two steps is then
  // -k (d0² + d1²).
  double cross = d0 * e1 - d1 * e0;
  double square = d0 * d0 + d1 * d1;
  return square > 0 ? -cross / square : 0.0;
}

std::vector<RecoveredCurve> recoverCurves(const std::vector<PlanPoint>& plan, DecompileState& state) {
  std::vector<RecoveredCurve> curves;
  int runClass = 0;
  bool runLeft = false;
  for (std::size_t m = 2; m < plan.size(); ++m) {
    // The last metres stay empty: they end the line.
    if (plan[m].x.tag != PlanTag::kDouble || plan[m].y.tag != PlanTag::kDouble) break;
    if (plan[m - 1].x.tag == PlanTag::kEmpty || plan[m - 2].x.tag == PlanTag::kEmpty) break;
    double turn = turnAt(plan, m);
    int curveClass = classOfTurn(turn);
    bool left = turn < 0;
    if (curveClass < 0) {
      state.problem("plan metre " + std::to_string(m), "a turn of " + std::to_string(turn) +
                                                          " per metre matches no curve class");
      curveClass = 0;
    }
    if (curveClass == 0) {
      runClass = 0;
      continue;
    }
    if (runClass == curveClass && runLeft == left) {
      ++curves.back().length;
    } else {
      curves.push_back({static_cast<std::int32_t>(m - 1), 1, curveClass, left});
      runClass = curveClass;
      runLeft = left;
    }
  }
  return curves;
}

void recoverCurveSection(DecompileState& state) {
  SourceSection& section = state.out.route.section("[curve]");
  if (!state.in.plan) return;
  for (const RecoveredCurve& curve : recoverCurves(*state.in.plan, state)) {
    section.entries.push_back({curveKey(curve), {std::to_string(curve.start), std::to_string(curve.length)}, ""});
  }
}

}  // namespace pack
