// Where the time of a compile goes, from sources in memory to the encoded files in memory: the whole
// compile of the embedded scenario and of the longest generated route, the field reader alone on that
// route's source, and each encoder alone. bench/compare.sh measures the programs as a user runs them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "bench/largest_route.h"
#include "compiler/field_reader.h"
#include "formats/file_names.h"
#include "output/binary_writer.h"
#include "output/compiled_files.h"
#include "writers/embedded_tables.h"
#include "platform/fake_platform.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

std::string joined(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append("\r\n");
  return text;
}

// The compile of two sources held in an in-memory file system, the compiled files written there too.
struct MemoryCompile {
  FakePlatform platform;
  Model model;

  MemoryCompile(const std::string& route, const std::string& train) {
    ScenarioNames names{kScenarioName, kTrainNumber};
    platform.fs.files[platform.join(platform.folder, routeSourceName(names))] = route;
    platform.fs.files[platform.join(platform.folder, trainRunSourceName(names))] = train;
  }

  // False when the compile recorded an error or stopped: it would not have done the whole work.
  bool run(std::int32_t plan) {
    CompileRequest request{std::string(kScenarioName), std::string(kTrainNumber), platform.folder, plan != 0, true};
    CompileReport report = compileAndWrite(platform, request, platform.folder, model);
    return report.error.code == 0 && report.fatal == 0;
  }
};

void compile(benchmark::State& state, const std::string& route, const std::string& train, std::int32_t plan) {
  std::int64_t bytes = 0;
  for (auto _ : state) {
    MemoryCompile c(route, train);
    if (!c.run(plan)) {
      state.SkipWithError("the compile recorded an error");
      break;
    }
    for (const auto& file : c.platform.fs.files) bytes += static_cast<std::int64_t>(file.second.size());
    benchmark::DoNotOptimize(c.platform.fs.files);
  }
  state.SetBytesProcessed(bytes);
}

void BM_EmbeddedScenario(benchmark::State& state) {
  compile(state, joined(routeLines()), joined(trainRunLines()), static_cast<std::int32_t>(state.range(0)));
}
BENCHMARK(BM_EmbeddedScenario)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_LargestRoute(benchmark::State& state) {
  compile(state, bench::largestRouteSource(), bench::largestTrainRunSource(), static_cast<std::int32_t>(state.range(0)));
}
BENCHMARK(BM_LargestRoute)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A source that gives the route length over and over: the track must not be created for each.
void BM_RepeatedRouteLength(benchmark::State& state) {
  std::string route = "[generale]\r\n";
  for (int i = 0; i < 2000; ++i) route += "lunghezza percorso, 1000000\r\n";
  route += "[curve]\r\n[fine]\r\n";
  compile(state, route, "[generale]\r\n[fine]\r\n", 1);
}
BENCHMARK(BM_RepeatedRouteLength)->Unit(benchmark::kMillisecond);

// Every field of the longest route's source, read as text, then again as it is read when most fields
// are numbers.
void BM_FieldReaderText(benchmark::State& state) {
  std::string source = bench::largestRouteSource();
  for (auto _ : state) {
    FieldReader reader(source);
    std::size_t fields = 0;
    while (!reader.atEnd()) {
      benchmark::DoNotOptimize(reader.readText());
      ++fields;
    }
    benchmark::DoNotOptimize(fields);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_FieldReaderText)->Unit(benchmark::kMicrosecond);

void BM_FieldReaderNumbers(benchmark::State& state) {
  std::string line = "pendenza,  123450,   -21\r\n";
  std::string source;
  while (source.size() < (1 << 20)) source += line;
  for (auto _ : state) {
    FieldReader reader(source);
    std::int64_t sum = 0;
    while (!reader.atEnd()) {
      benchmark::DoNotOptimize(reader.readText());
      sum += reader.readInt32();
      sum += reader.readInt32();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_FieldReaderNumbers)->Unit(benchmark::kMicrosecond);

// Counts the bytes and keeps the last buffer in reach, so that the encoders' work is measured alone.
class CountingSink : public ByteSink {
 public:
  void write(const std::uint8_t* data, std::size_t size) override {
    benchmark::DoNotOptimize(data);
    total += size;
  }
  std::size_t total = 0;
};

const Model& compiledLargestRoute() {
  static MemoryCompile* compiled = [] {
    auto* c = new MemoryCompile(bench::largestRouteSource(), bench::largestTrainRunSource());
    if (!c->run(1)) std::abort();  // the encoders would measure a partial model
    return c;
  }();
  return compiled->model;
}

void encode(benchmark::State& state, void (*encoder)(const Model&, BinaryWriter&)) {
  const Model& model = compiledLargestRoute();
  std::size_t bytes = 0;
  for (auto _ : state) {
    CountingSink sink;
    BinaryWriter out(sink);
    encoder(model, out);
    out.flush();
    bytes += sink.total;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_EncodePlan(benchmark::State& state) { encode(state, encodePlan); }
BENCHMARK(BM_EncodePlan)->Unit(benchmark::kMillisecond);

void BM_EncodeTrackCells(benchmark::State& state) { encode(state, encodeTrackCells); }
BENCHMARK(BM_EncodeTrackCells)->Unit(benchmark::kMicrosecond);

void BM_EncodeScenarioTable(benchmark::State& state) { encode(state, encodeScenarioTable); }
BENCHMARK(BM_EncodeScenarioTable)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pack

BENCHMARK_MAIN();
