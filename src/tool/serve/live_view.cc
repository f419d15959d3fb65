#include "tool/serve/live_view.h"

#include <nlohmann/json.hpp>

#include "output/compiled_decoders.h"
#include "tool/check/verdict.h"
#include "tool/plot/plot_html.h"
#include "tool/plot/plot_input.h"

namespace pack {
namespace {

using nlohmann::json;

// The verdict as check gives it, with its first line (the cause first) for the page's red box.
json pageVerdict(const Verdict& verdict) {
  json j = verdictJson(verdict);
  j["headline"] = verdict.hasError() ? json(headline(verdict)) : json(nullptr);
  return j;
}

std::string messageText(const json& data, json verdict) {
  json message = {{"data", data}, {"verdict", std::move(verdict)}, {"stale", data.is_null()}};
  // One line: an event stream ends a message at a line end.
  return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

LiveView viewSources(FileSystem& disk, const LiveSources& sources) {
  VerdictRequest request;
  request.compile.scenarioName = sources.scenario;
  request.compile.trainNumber = sources.train;
  request.compile.sourceFolder = sources.dir;
  request.compile.buildPlan = sources.buildPlan;
  MemoryFileSystem memory;
  Verdict verdict;
  try {
    verdict = checkSourcesInMemory(disk, request, memory);
  } catch (const IoError& e) {
    return {nullptr, messageText(nullptr, pageVerdict(unreadableVerdict(e.what()))), e.what()};
  }
  json said = pageVerdict(verdict);
  if (verdict.hasError()) {
    return {nullptr, messageText(nullptr, std::move(said)), "does not compile (" + countsText(verdict) + "): " + headline(verdict)};
  }
  std::string current;
  try {
    SameNames files(memory, disk);
    PlotInput input = readPlotInput(files, sources.dir, ScenarioNames{sources.scenario, sources.train},
                                    sources.buildPlan, current);
    input.title = sources.title;
    auto drawing = std::make_shared<const PlotData>(makePlotData(input));
    return {drawing, messageText(plotDataJson(*drawing), std::move(said)), "compiled, " + countsText(verdict)};
  } catch (const std::exception& e) {
    // The compiler's own files always decode: this would be a fault of the tool, said on the page.
    std::string text = current + ": " + e.what();
    return {nullptr, messageText(nullptr, pageVerdict(unreadableVerdict(text))), text};
  }
}

}  // namespace pack
