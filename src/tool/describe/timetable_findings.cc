#include "tool/describe/timetable_findings.h"

#include <cmath>

#include "compiler/cell_codec.h"
#include "running_time/default_train.h"
#include "running_time/scenario_timetable.h"

namespace pack {

using namespace running_time;

std::vector<TimetableFinding> timetableFindings(std::span<const TrackCell> cells,
                                                std::span<const ScenarioRecord, kTableRows> table,
                                                const std::vector<PlanPoint>& plan) {
  std::vector<TimetableFinding> findings;
  if (cells.empty()) return findings;
  CompiledScenario scenario{cells, table, codec::cellCurvatures(plan, cells.size())};
  Timetable tt = scenarioTimetable(defaultScenarioTrain(scenarioCars(table)), scenario, {});
  for (const TimetableSection& s : tt.sections) {
    if (!s.scheduledS || !s.minimumS) continue;
    if (s.verdict != Verdict::kImpossible && s.verdict != Verdict::kTight) continue;
    const Stop& from = tt.stops[s.from];
    const Stop& to = tt.stops[s.to];
    std::string at = running_time::clockText(*to.timeS);
    std::string scheduled = running_time::clockText(*s.scheduledS);
    // Whole seconds, never less than the run takes.
    std::string needs = running_time::clockText(std::ceil(*s.minimumS - 1e-9));
    if (s.verdict == Verdict::kImpossible) {
      findings.push_back({FindingId::kSectionCannotBeKept, from.row, to.row,
                          findingMessage(FindingId::kSectionCannotBeKept, {to.name, at, scheduled, from.name, needs})});
    } else {
      findings.push_back({FindingId::kSectionTight, from.row, to.row,
                          findingMessage(FindingId::kSectionTight,
                                         {to.name, at, scheduled, from.name, needs, running_time::clockText(s.recommendedS)})});
    }
  }
  return findings;
}

std::vector<TimetableFinding> timetableFindings(const Model& model) {
  return timetableFindings(model.trackCells, model.scenarioTable, model.trackPlan.points());
}

}  // namespace pack
