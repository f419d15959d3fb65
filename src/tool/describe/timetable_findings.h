// What the timetable says about a compiled scenario, as findings: a section that the default train
// cannot run in its scheduled time (L036, a warning) and one that leaves less than the recommended
// supplement (L037, style). Made here once; check, the live page and the editor format them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "compiler/model.h"
#include "tool/describe/findings.h"

namespace pack {

struct TimetableFinding {
  FindingId id;
  std::int32_t fromRow = 0;  // the scenario table's rows of the two stations, the later one the place
  std::int32_t toRow = 0;
  std::string message;  // UTF-8
};

// The scenario's train (the default train with its coaches and braked-mass percentage) over its line.
// `plan` may be empty (no curves then).
std::vector<TimetableFinding> timetableFindings(std::span<const TrackCell> cells,
                                                std::span<const ScenarioRecord, kTableRows> table,
                                                const std::vector<PlanPoint>& plan);
// The same for a compile's model.
std::vector<TimetableFinding> timetableFindings(const Model& model);

}  // namespace pack
