#include "compiler/model.h"

#include "compiler/checked_math.h"
#include "compiler/rounding.h"

namespace pack {

void Model::sizeTrack(std::int32_t routeLength) {
  std::int32_t extended = checkedAdd(routeLength, kTrackExtension);
  std::int32_t cells = roundHalfEven<std::int32_t>(extended / static_cast<double>(kCellLength));
  // The completion and the reserved slots need cells 0 and 1.
  if (cells < 1) throw RuntimeFailure("route length gives fewer than two track cells");
  extendedLength = extended;
  cellCount = cells;
  trackCells.clear();
  trackPlan.clear();
  trackPending_ = true;
}

TrackCell& Model::cellAt(std::int64_t index) {
  if (index < 0 || index >= static_cast<std::int64_t>(trackCells.size())) {
    throw RuntimeFailure("track cell outside the track model");
  }
  return trackCells[static_cast<std::size_t>(index)];
}

void Model::createTrack() {
  if (!trackPending_) return;
  trackPending_ = false;
  trackCells.assign(static_cast<std::size_t>(cellCount) + 1, TrackCell{});
  if (buildPlan != 0) trackPlan.assign(static_cast<std::size_t>(extendedLength) + 1, PlanPoint{});
}

void Model::clearTable() {
  for (ScenarioRecord& row : scenarioTable) row = ScenarioRecord{};
}

}  // namespace pack
