#include "tool/check/placement_log.h"

#include <string>

#include "compiler/compile.h"
#include "formats/file_names.h"
#include "platform/memory_file_system.h"

namespace pack {

void PlacementLog::marked(std::int64_t cell) {
  auto [mark, first] = marks_.try_emplace(cell, current_);
  if (!first && !(mark->second == current_)) {
    if (overwrites_.empty() || !(overwrites_.back().later == current_) ||
        !(overwrites_.back().earlier == mark->second)) {
      overwrites_.push_back({current_, mark->second, {}});
    }
    overwrites_.back().cells.push_back(cell);
  }
  mark->second = current_;
}

void PlacementLog::profileCellWritten(ProfileLane lane, std::int64_t cell) {
  if (cell < 0) return;
  std::vector<Origin>& cells = profiles_[laneIndex(lane)];
  const auto index = static_cast<std::size_t>(cell);
  if (index >= cells.size()) cells.resize(index + 1);
  cells[index] = inForce_[laneIndex(lane)];
}

const PlacementLog::Placement* PlacementLog::at(std::int64_t cell) const {
  auto found = cells_.find(cell);
  return found != cells_.end() ? &found->second : nullptr;
}

PlacementLog::Origin PlacementLog::profileAt(ProfileLane lane, std::size_t cell) const {
  const std::vector<Origin>& cells = profiles_[laneIndex(lane)];
  return cell < cells.size() ? cells[cell] : Origin{};
}

PlacementLog::Origin PlacementLog::rowAt(int row) const {
  auto found = rows_.find(row);
  return found != rows_.end() ? found->second : Origin{};
}

PlacementLog tracePlacements(std::optional<std::string_view> route, std::optional<std::string_view> trainRun,
                             bool buildPlan) {
  const ScenarioNames names{"traced", "0"};
  MemoryFileSystem files;
  const std::string folder = "sources";
  if (route) files.files[files.join(folder, routeSourceName(names))] = std::string(*route);
  if (trainRun) files.files[files.join(folder, trainRunSourceName(names))] = std::string(*trainRun);
  PlacementLog log;
  Model model;
  model.placementObserver = &log;
  CompileRequest request{std::string(names.scenarioName), std::string(names.trainNumber), folder, buildPlan, false};
  compileScenario(files, request, model);
  return log;
}

}  // namespace pack
