// The whole timetable of the longest generated route (1,000,000 m, 46 stations): every section's fastest
// run with the default train, curves from the plan, adhesion and the conversion model's braking; and
// the findings the editor asks for after each change of the embedded scenario. The goals: the route's
// timetable within 50 ms, the embedded scenario's findings well inside the editor's 20 ms per change.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/largest_route.h"
#include "compiler/cell_codec.h"
#include "compiler/compile.h"
#include "formats/file_names.h"
#include "platform/fake_platform.h"
#include "running_time/default_train.h"
#include "running_time/scenario_timetable.h"
#include "tool/describe/timetable_findings.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

using namespace running_time;

std::string joined(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append("\r\n");
  return text;
}

Model compiled(const std::string& route, const std::string& train) {
  FakePlatform platform;
  ScenarioNames names{kScenarioName, kTrainNumber};
  platform.fs.files[platform.join(platform.folder, routeSourceName(names))] = route;
  platform.fs.files[platform.join(platform.folder, trainRunSourceName(names))] = train;
  Model model;
  CompileRequest request{std::string(kScenarioName), std::string(kTrainNumber), platform.folder, true, false};
  compileScenario(platform, request, model);
  return model;
}

void BM_LargestRouteTimetable(benchmark::State& state) {
  static const Model model = compiled(bench::largestRouteSource(), bench::largestTrainRunSource());
  static const std::vector<double> curvature = codec::cellCurvatures(model.trackPlan.points(), model.trackCells.size());
  Train train = defaultScenarioTrain(scenarioCars(model.scenarioTable));
  std::size_t sections = 0;
  for (auto _ : state) {
    CompiledScenario scenario{model.trackCells, model.scenarioTable, curvature};
    Timetable tt = scenarioTimetable(train, scenario, {});
    sections = tt.sections.size();
    benchmark::DoNotOptimize(tt);
  }
  state.counters["stops"] = static_cast<double>(scenarioStops({model.trackCells, model.scenarioTable, {}}).size());
  state.counters["sections"] = static_cast<double>(sections);
}
BENCHMARK(BM_LargestRouteTimetable)->Unit(benchmark::kMillisecond);

// What the check of one change adds: the findings from the compiled model, the plan's curvature included.
void BM_EmbeddedScenarioFindings(benchmark::State& state) {
  static const Model model = compiled(joined(routeLines()), joined(trainRunLines()));
  for (auto _ : state) benchmark::DoNotOptimize(timetableFindings(model));
}
BENCHMARK(BM_EmbeddedScenarioFindings)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pack

BENCHMARK_MAIN();
