// Every pass over a source is linear in its size: the compile's reading and the authoring tool's lint
// (what `check` adds to the compile) of sources of N and 2N lines of one kind each, blank lines, comment
// lines, section headers and lines of commas, and of one line of N commas. The time per line should not
// grow with N: the reported complexity is O(N), and each 2N run takes about twice its N run.
#include <benchmark/benchmark.h>

#include <string>

#include "compiler/compile.h"
#include "formats/file_names.h"
#include "platform/fake_platform.h"
#include "tool/check/source_lint.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

enum Filler { kBlank, kComment, kHeader, kCommas, kOneLineOfCommas };

// A route source whose feature part holds `lines` lines of the filler, and a route length before it so
// that the compile reads to the end.
std::string route(Filler filler, std::int64_t lines) {
  std::string text = "[generale]\r\nlunghezza percorso, 5000\r\n[fine generale]\r\n";
  if (filler == kOneLineOfCommas) return text + std::string(static_cast<std::size_t>(lines), ',') + "\r\n[fine]\r\n";
  static constexpr const char* kLines[] = {"\r\n", "-- a comment line\r\n", "[sezione]\r\n", ",,,,\r\n"};
  for (std::int64_t i = 0; i < lines; ++i) text += kLines[filler];
  return text + "[fine]\r\n";
}

void BM_Lint(benchmark::State& state, Filler filler) {
  const std::string source = route(filler, state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(lintRouteSource(source, "route", true));
  state.SetComplexityN(state.range(0));
}

// The compile's reading: the route as above, an empty train run.
void BM_Compile(benchmark::State& state, Filler filler) {
  const std::string source = route(filler, state.range(0));
  for (auto _ : state) {
    FakePlatform platform;
    ScenarioNames names{kScenarioName, kTrainNumber};
    platform.fs.files[platform.join(platform.folder, routeSourceName(names))] = source;
    platform.fs.files[platform.join(platform.folder, trainRunSourceName(names))] = "[generale]\r\n[fine]\r\n";
    CompileRequest request{std::string(kScenarioName), std::string(kTrainNumber), platform.folder, false, false};
    Model model;
    benchmark::DoNotOptimize(compileScenario(platform.fs, request, model));
  }
  state.SetComplexityN(state.range(0));
}

constexpr std::int64_t kLines = 1 << 16;

#define PACK_READING_BENCH(fn, filler)                                                                       \
  BENCHMARK_CAPTURE(fn, filler, filler)->Arg(kLines)->Arg(2 * kLines)->Complexity(benchmark::oN)->Unit( \
      benchmark::kMillisecond)

PACK_READING_BENCH(BM_Lint, kBlank);
PACK_READING_BENCH(BM_Lint, kComment);
PACK_READING_BENCH(BM_Lint, kHeader);
PACK_READING_BENCH(BM_Lint, kCommas);
PACK_READING_BENCH(BM_Lint, kOneLineOfCommas);
PACK_READING_BENCH(BM_Compile, kBlank);
PACK_READING_BENCH(BM_Compile, kComment);
PACK_READING_BENCH(BM_Compile, kHeader);
PACK_READING_BENCH(BM_Compile, kCommas);
PACK_READING_BENCH(BM_Compile, kOneLineOfCommas);

}  // namespace
}  // namespace pack

BENCHMARK_MAIN();
