#include "tool/plot/plot_input.h"

#include <algorithm>
#include <cmath>

#include "formats/compiled_format.h"
#include "output/compiled_decoders.h"

namespace pack {
namespace {

// A plan point no compile writes and no drawing can place.
std::optional<std::size_t> firstNonFinitePoint(const std::vector<PlanPoint>& plan) {
  for (std::size_t metre = 0; metre < plan.size(); ++metre) {
    if (!std::isfinite(plan[metre].x.value) || !std::isfinite(plan[metre].y.value)) return metre;
  }
  return std::nullopt;
}

// Whether a source beside the compiled files was written after them, by the files' own clock.
bool sourcesNewer(FileSystem& fs, const std::string& dir, ScenarioNames names) {
  std::optional<std::int64_t> compiled;
  for (const std::string& name : {trackCellFileName(names), scenarioTableFileName(names)}) {
    std::optional<std::int64_t> time = fs.modifiedMilliseconds(fs.join(dir, name));
    if (!time) return false;
    compiled = std::min(compiled.value_or(*time), *time);
  }
  for (const std::string& name : {routeSourceName(names), trainRunSourceName(names)}) {
    std::optional<std::int64_t> time = fs.modifiedMilliseconds(fs.join(dir, name));
    if (time && *time > *compiled) return true;
  }
  return false;
}

}  // namespace

PlotInput readPlotInput(FileSystem& fs, const std::string& dir, ScenarioNames names, bool usePlan,
                        std::string& current) {
  PlotInput input;
  std::string cellsPath = fs.join(dir, trackCellFileName(names));
  current = cellsPath;
  input.cells = decodeTrackCells(fs.read(current, kMaxCellFileBytes));
  if (input.cells.empty()) throw DecodeError(0, "empty file: a compiled track cell file is never empty");
  current = fs.join(dir, scenarioTableFileName(names));
  input.table = decodeScenarioTable(fs.read(current, kMaxTableFileBytes));
  current = fs.join(dir, planFileName(names));
  if (usePlan && fs.exists(current)) {
    input.plan = decodePlan(fs.read(current, kMaxPlanFileBytes));
    if (std::optional<std::size_t> metre = firstNonFinitePoint(input.plan)) {
      throw StalePlan("metre " + std::to_string(*metre) +
                      " is not a number or is infinite; no compile writes such a plan: compile again, or plot "
                      "with --no-plan");
    }
    std::optional<std::int64_t> planTime = fs.modifiedMilliseconds(current);
    std::optional<std::int64_t> cellsTime = fs.modifiedMilliseconds(cellsPath);
    std::optional<std::int64_t> olderBy;
    if (planTime && cellsTime) olderBy = *cellsTime - *planTime;
    if (std::optional<std::string> why =
            planMismatch(input.plan.size(), input.cells.size(), input.table[kRowTrain].numberB, olderBy)) {
      throw StalePlan("does not belong to " + cellsPath + ": " + *why + "; compile again, or plot with --no-plan");
    }
  }
  // The sources, when they lie beside the compiled files, name the line each feature came from.
  input.routeSourceName = routeSourceName(names);
  input.trainSourceName = trainRunSourceName(names);
  current = fs.join(dir, input.routeSourceName);
  if (fs.exists(current)) input.routeSource = fs.read(current);
  current = fs.join(dir, input.trainSourceName);
  if (fs.exists(current)) input.trainSource = fs.read(current);
  input.sourcesNewer = sourcesNewer(fs, dir, names);
  return input;
}

}  // namespace pack
