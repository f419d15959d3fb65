#include "tool/lsp/scenario_check.h"

#include "compiler/cell_codec.h"
#include "compiler/compile.h"
#include "compiler/error_codes.h"
#include "compiler/track_position.h"
#include "formats/cp1252.h"
#include "formats/file_names.h"
#include "formats/train_run_format.h"
#include "platform/memory_file_system.h"
#include "tool/check/compile_report.h"
#include "tool/check/source_lint.h"
#include "tool/describe/findings.h"

namespace pack::lsp {
namespace {

// The diagnostic code of a compiler error: "E8".
std::string errorId(std::int32_t code) {
  std::string id = "E";
  id += std::to_string(code);
  return id;
}

// The two sources in memory, under the names the compile builds from the scenario's names.
struct MemorySources {
  MemoryFileSystem files;
  CompileRequest request;
  std::string route;
  std::string run;
};

void prepare(MemorySources& m, const ScenarioUnit& unit, const UnitTexts& texts, bool buildPlan) {
  m.request.scenarioName = utf8ToCp1252(unit.scenario);
  m.request.trainNumber = utf8ToCp1252(unit.train);
  m.request.sourceFolder = unit.folder;
  m.request.buildPlan = buildPlan;
  m.request.deleteSources = false;
  ScenarioNames names{m.request.scenarioName, m.request.trainNumber};
  m.route = m.files.join(unit.folder, routeSourceName(names));
  m.run = m.files.join(unit.folder, trainRunSourceName(names));
  if (texts.route) m.files.files[m.route] = *texts.route;
  if (texts.run && !unit.train.empty()) m.files.files[m.run] = *texts.run;
}

std::string errorMessageOf(const RecordedError& error) {
  RecordedError unplaced = error;  // the editor shows the file and line itself
  unplaced.source.clear();
  unplaced.line = 0;
  return recordedErrorText(unplaced);
}

// The key a near-miss warning proposes ("... did you mean "curvad5"?").
std::optional<Fix> suggestedKey(const std::string& message) {
  static constexpr std::string_view kProposal = "did you mean \"";
  std::size_t at = message.rfind(kProposal);
  if (at == std::string::npos) return std::nullopt;
  at += kProposal.size();
  std::size_t end = message.find('"', at);
  if (end == std::string::npos) return std::nullopt;
  std::string key = message.substr(at, end - at);
  return Fix{"Write \"" + key + "\"", key};
}

}  // namespace

UnitVerdict checkUnit(const ScenarioUnit& unit, const UnitTexts& texts, bool buildPlan) {
  MemorySources m;
  prepare(m, unit, texts, buildPlan);
  auto diskPath = [&](const std::string& memoryPath) {
    return memoryPath == m.run ? unit.runPath : unit.routePath;
  };
  UnitVerdict verdict;
  std::vector<LintWarning> warnings = lintSources(m.files, m.route, m.run, buildPlan);
  std::optional<std::string> missingRun;
  if (unit.train.empty()) {
    missingRun = "no train run source of this scenario is open or known in its folder: open one to check "
                 "the two sources together";
  } else {
    if (!texts.run) missingRun = "the train run source " + unit.runPath + " does not exist; check the train number";
  }
  CompileReport report = compileExplainedInMemory(m.files, m.request, verdict.model, warnings);
  explainReadingStop(report.error, warnings);
  // Without its train run source the compile fails reading it: that failure is the missing file.
  if (missingRun && report.error.code == kErrRunTime) report.error = {};

  for (const LintWarning& w : warnings) {
    verdict.findings.push_back({diskPath(w.file), w.line, w.column, 0, Severity::kWarning, findingCode(w.id),
                                w.message, suggestedKey(w.message)});
  }
  const RecordedError& e = report.error;
  if (e.code != 0) {
    // A missing route is told where the author is: at the train run source.
    bool atRun = e.code == kErrNoRouteSource && !unit.runPath.empty();
    std::string path = atRun ? unit.runPath : e.source.empty() ? unit.routePath : diskPath(e.source);
    verdict.findings.push_back({path, e.line > 0 ? e.line : 1, 0, 0, Severity::kError,
                                errorId(e.code), errorMessageOf(e), {}});
  }
  if (report.fatal != 0) {
    verdict.findings.push_back({unit.routePath, 1, 0, 0, Severity::kError, errorId(report.fatal),
                                fatalStopText(report.fatal), {}});
  }
  if (missingRun) {
    Severity s = unit.train.empty() ? Severity::kInformation : Severity::kError;
    verdict.findings.push_back({unit.routePath, 1, 0, 0, s, {}, *missingRun, {}});
  }
  return verdict;
}

}  // namespace pack::lsp

namespace pack::lsp {
namespace {

// How far from the refused cell a free one is looked for, and how many are tried with a compile.
constexpr std::int32_t kSearchCells = 40;
constexpr int kCompilesTried = 6;

// The train run's text with one line's field replaced.
std::string withField(const std::string& run, const SourceLine& line, std::string_view text) {
  std::size_t start = 0;
  for (std::size_t l = 0; l < line.line; ++l) start = run.find('\n', start) + 1;
  std::string out = run;
  out.replace(start + line.values[0].begin, line.values[0].end - line.values[0].begin, text);
  return out;
}

// Whether a compile of the unit with the train run `run` records no error at `line`.
bool lineAccepted(const ScenarioUnit& unit, const UnitTexts& texts, const std::string& run, std::size_t line) {
  MemorySources m;
  prepare(m, unit, {texts.route, run}, false);  // the cells do not depend on the plan
  Model model;
  CompileReport report = compileScenario(m.files, m.request, model);
  return report.fatal == 0 && !(report.error.code != 0 && report.error.source == m.run && report.error.line == line);
}

}  // namespace

std::optional<Fix> freeSignalPosition(const ScenarioUnit& unit, const UnitTexts& texts, const Model& model,
                                      std::size_t line) {
  if (!texts.run || line == 0) return std::nullopt;
  std::vector<SourceLine> outline = outlineSource(*texts.run, SourceRole::kTrainRun);
  if (line > outline.size() || outline[line - 1].entry != &kSignalEntry || outline[line - 1].values.empty()) {
    return std::nullopt;
  }
  const SourceLine& signal = outline[line - 1];
  std::optional<std::int64_t> position = wholeNumber(signal.values[0].text);
  if (!position || *position < 0 || *position > kMaxRouteLength + kTrackExtension) return std::nullopt;
  const std::int64_t lowest = kSignalEntry.values[0].range->min;
  const std::int64_t refused = cellAfter(static_cast<std::int32_t>(*position));
  int tried = 0;
  for (std::int32_t step = 1; step <= 2 * kSearchCells && tried < kCompilesTried; ++step) {
    std::int64_t cell = refused + (step % 2 == 1 ? (step + 1) / 2 : -(step / 2));
    if (cell < 0 || cell >= static_cast<std::int64_t>(model.trackCells.size())) continue;
    std::int64_t metre = codec::placedMetre(static_cast<std::size_t>(cell));
    if (metre < lowest || !model.trackCells[static_cast<std::size_t>(cell)].isFree()) continue;
    ++tried;
    std::string text = std::to_string(metre);
    if (!lineAccepted(unit, texts, withField(*texts.run, signal, text), line)) continue;
    return Fix{"Move the signal to " + text + " m, the nearest position whose cell is free", text,
               signal.values[0].begin + 1, signal.values[0].end + 1};
  }
  return std::nullopt;
}

}  // namespace pack::lsp
