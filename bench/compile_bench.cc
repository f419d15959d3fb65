// How long the whole compile takes, from sources in memory to the encoded files in memory: the embedded
// scenario, a route of the greatest length with its plan, and a source that repeats the route length.
#include <benchmark/benchmark.h>

#include <string>

#include "app/form1.h"
#include "formats/file_names.h"
#include "platform/fake_platform.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

std::string joined(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append("\r\n");
  return text;
}

void compile(benchmark::State& state, const std::string& route, const std::string& train, std::int32_t plan) {
  for (auto _ : state) {
    FakePlatform p;
    Form1 form(p, p, p.folder);
    const CompileRequest request{std::string(kScenarioName), std::string(kTrainNumber), p.folder, p.folder,
                                 plan != 0, true};
    ScenarioNames names{request.scenarioName, request.trainNumber};
    p.fs.files[p.join(p.folder, routeSourceName(names))] = route;
    p.fs.files[p.join(p.folder, trainRunSourceName(names))] = train;
    benchmark::DoNotOptimize(form.compile(request));
    benchmark::DoNotOptimize(p.fs.files);
  }
}

void BM_EmbeddedScenario(benchmark::State& state) {
  compile(state, joined(routeLines()), joined(trainRunLines()), static_cast<std::int32_t>(state.range(0)));
}
BENCHMARK(BM_EmbeddedScenario)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LongestRoute(benchmark::State& state) {
  std::string route = "[generale]\r\nlunghezza percorso, 1000000\r\n[curve]\r\n";
  for (int start = 1000; start < 990000; start += 2000) route += "curvad4, " + std::to_string(start) + ", 500\r\n";
  route += "[fine]\r\n";
  compile(state, route, "[generale]\r\nvelocita, 0, 100\r\n[fine]\r\n", 1);
}
BENCHMARK(BM_LongestRoute)->Unit(benchmark::kMillisecond);

void BM_RepeatedRouteLength(benchmark::State& state) {
  std::string route = "[generale]\r\n";
  for (int i = 0; i < 2000; ++i) route += "lunghezza percorso, 1000000\r\n";
  route += "[curve]\r\n[fine]\r\n";
  compile(state, route, "[generale]\r\n[fine]\r\n", 1);
}
BENCHMARK(BM_RepeatedRouteLength)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pack

BENCHMARK_MAIN();
