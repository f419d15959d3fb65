// The language server's answer time: from an editor's change of a source to the diagnostics of both
// sources, framed and written as the editor receives them. For the embedded scenario and for the longest
// generated route, a change of the train run source and one of the route source (the larger one).
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "bench/largest_route.h"
#include "formats/cp1252.h"
#include "formats/file_names.h"
#include "platform/memory_file_system.h"
#include "tool/lsp/server.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

using lsp::json;

constexpr const char* kFolder = "/bench";

std::string joined(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append("\r\n");
  return text;
}

std::string uriOf(const std::string& name) { return std::string("file://") + kFolder + "/" + name; }

// A session with both sources open, the route and the train run given in code page 1252.
struct Session {
  MemoryFileSystem disk;
  lsp::LanguageServer server{disk};
  std::string routeUri, runUri, route, run;

  Session(const std::string& routeBytes, const std::string& runBytes) : route(cp1252ToUtf8(routeBytes)), run(cp1252ToUtf8(runBytes)) {
    ScenarioNames names{kScenarioName, kTrainNumber};
    routeUri = uriOf(routeSourceName(names));
    runUri = uriOf(trainRunSourceName(names));
    disk.files[disk.join(kFolder, routeSourceName(names))] = routeBytes;
    disk.files[disk.join(kFolder, trainRunSourceName(names))] = runBytes;
    server.handle({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}});
    open(routeUri, route);
    open(runUri, run);
  }

  void open(const std::string& uri, const std::string& text) {
    server.handle({{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
                   {"params", {{"textDocument", {{"uri", uri}, {"languageId", "scenario"}, {"version", 1}, {"text", text}}}}}});
  }

  // One change, its answers written as the editor receives them; false when no error-free verdict came.
  bool change(const std::string& uri, const std::string& text, int version) {
    json message = {{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"},
                    {"params", {{"textDocument", {{"uri", uri}, {"version", version}}}, {"contentChanges", {{{"text", text}}}}}}};
    std::ostringstream out;
    std::vector<json> answers = server.handle(message);
    for (const json& m : answers) lsp::writeMessage(out, m);
    benchmark::DoNotOptimize(out.str());
    return answers.size() == 2 && out.str().find("\"E") == std::string::npos;
  }
};

void changeToDiagnostics(benchmark::State& state, const std::string& route, const std::string& run) {
  Session session(route, run);
  bool editRoute = state.range(0) != 0;
  const std::string& uri = editRoute ? session.routeUri : session.runUri;
  std::string text = editRoute ? session.route : session.run;
  int version = 1;
  for (auto _ : state) {
    // A comment line added or taken away again: a change that leaves the verdict as it was.
    std::string changed = version % 2 == 0 ? text : "-- nota\r\n" + text;
    if (!session.change(uri, changed, ++version)) {
      state.SkipWithError("the change got no error-free diagnostics");
      break;
    }
  }
}

void BM_ChangeToDiagnosticsEmbedded(benchmark::State& state) {
  changeToDiagnostics(state, joined(routeLines()), joined(trainRunLines()));
}
BENCHMARK(BM_ChangeToDiagnosticsEmbedded)->ArgName("route")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ChangeToDiagnosticsLargestRoute(benchmark::State& state) {
  changeToDiagnostics(state, bench::largestRouteSource(), bench::largestTrainRunSource());
}
BENCHMARK(BM_ChangeToDiagnosticsLargestRoute)->ArgName("route")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pack

BENCHMARK_MAIN();
