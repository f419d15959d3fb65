#include "tool/serve/live_view.h"

#include <nlohmann/json.hpp>

#include "output/compiled_decoders.h"
#include "tool/check/check_in_memory.h"
#include "tool/check/compile_report.h"
#include "tool/plot/plot_html.h"
#include "tool/plot/plot_input.h"
#include "tool/describe/findings.h"

namespace pack {
namespace {

using nlohmann::json;

// The page names files as the author sees them in the folder.
std::string fileName(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

json finding(const std::string& file, std::size_t line, std::size_t column, const char* severity, json id,
             const std::string& message, json position) {
  return {{"file", file.empty() ? json(nullptr) : json(fileName(file))},
          {"line", line > 0 ? json(line) : json(nullptr)},
          {"column", column > 0 ? json(column) : json(nullptr)},
          {"severity", severity},
          {"id", std::move(id)},
          {"message", message},
          {"position", std::move(position)}};
}

json verdictJson(const SourcesInMemory& check) {
  json findings = json::array();
  const RecordedError& e = check.compile.error;
  if (e.code != 0) {
    // The finding carries the file and line itself: its message is the error without them.
    RecordedError unplaced = e;
    unplaced.source.clear();
    unplaced.line = 0;
    findings.push_back(finding(e.source, e.line, 0, "error", "error " + std::to_string(e.code),
                               recordedErrorText(unplaced), e.position));
  }
  if (check.missingRun) findings.push_back(finding("", 0, 0, "error", nullptr, *check.missingRun, nullptr));
  for (const LintWarning& w : check.warnings) {
    const std::string code = findingCode(w.id);
    findings.push_back(finding(w.file, w.line, w.column, "warning", code.empty() ? json(nullptr) : json(code),
                               w.message, nullptr));
  }
  std::string error = e.code != 0 ? recordedErrorText(e) : check.missingRun.value_or("");
  return {{"findings", findings},
          {"error", error.empty() ? json(nullptr) : json(error)},
          {"fatal", check.compile.fatal != 0 ? json(fatalStopText(check.compile.fatal)) : json(nullptr)}};
}

// A source that cannot be read at all: the verdict is that one line.
json unreadableVerdict(const std::string& text) {
  return {{"findings", json::array({finding("", 0, 0, "error", nullptr, text, nullptr)})},
          {"error", text},
          {"fatal", nullptr}};
}

std::string messageText(const json& data, json verdict) {
  json message = {{"data", data}, {"verdict", std::move(verdict)}, {"stale", data.is_null()}};
  // One line: an event stream ends a message at a line end.
  return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

LiveView viewSources(FileSystem& disk, const LiveSources& sources) {
  CompileRequest request;
  request.scenarioName = sources.scenario;
  request.trainNumber = sources.train;
  request.sourceFolder = sources.dir;
  request.buildPlan = sources.buildPlan;
  SourcesInMemory check;
  try {
    checkInMemory(disk, request, check);
  } catch (const IoError& e) {
    return {nullptr, messageText(nullptr, unreadableVerdict(e.what())), e.what()};
  }
  json verdict = verdictJson(check);
  const std::size_t warnings = check.warnings.size();
  std::string counted = std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
  if (check.hasError()) {
    std::string first = verdict["findings"].empty() ? fatalStopText(check.compile.fatal)
                                                    : verdict["findings"][0]["message"].get<std::string>();
    return {nullptr, messageText(nullptr, std::move(verdict)), "does not compile (" + counted + "): " + first};
  }
  std::string current;
  try {
    SameNames files(check.files, disk);
    PlotInput input = readPlotInput(files, sources.dir, ScenarioNames{sources.scenario, sources.train},
                                    sources.buildPlan, current);
    input.title = sources.title;
    auto drawing = std::make_shared<const PlotData>(makePlotData(input));
    return {drawing, messageText(plotDataJson(*drawing), std::move(verdict)), "compiled, " + counted};
  } catch (const std::exception& e) {
    // The compiler's own files always decode: this would be a fault of the tool, said on the page.
    std::string text = current + ": " + e.what();
    return {nullptr, messageText(nullptr, unreadableVerdict(text)), text};
  }
}

}  // namespace pack
