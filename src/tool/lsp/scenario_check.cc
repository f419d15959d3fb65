#include "tool/lsp/scenario_check.h"

#include "compiler/compile.h"
#include "compiler/error_codes.h"
#include "formats/cp1252.h"
#include "formats/file_names.h"
#include "platform/memory_file_system.h"
#include "tool/check/compile_report.h"
#include "tool/check/source_lint.h"
#include "tool/commands/run_source.h"

namespace pack::lsp {
namespace {

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
std::optional<std::string> suggestedKey(const std::string& message) {
  static constexpr std::string_view kProposal = "did you mean \"";
  std::size_t at = message.rfind(kProposal);
  if (at == std::string::npos) return std::nullopt;
  at += kProposal.size();
  std::size_t end = message.find('"', at);
  if (end == std::string::npos) return std::nullopt;
  return message.substr(at, end - at);
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
    missingRun = missingTrainRunSource(m.files, m.route, m.run);
  }
  CompileReport report = compileExplained(m.files, m.request, unit.folder, warnings, &verdict.model);
  explainReadingStop(report.error, warnings);
  // Without its train run source the compile fails reading it: that failure is the missing file.
  if (missingRun && report.error.code == kErrRunTime) report.error = {};

  for (const LintWarning& w : warnings) {
    verdict.findings.push_back(
        {diskPath(w.file), w.line, w.column, 0, Severity::kWarning, {}, w.message, suggestedKey(w.message)});
  }
  const RecordedError& e = report.error;
  if (e.code != 0) {
    // A missing route is told where the author is: at the train run source.
    bool atRun = e.code == kErrNoRouteSource && !unit.runPath.empty();
    std::string path = atRun ? unit.runPath : e.source.empty() ? unit.routePath : diskPath(e.source);
    verdict.findings.push_back({path, e.line > 0 ? e.line : 1, 0, 0, Severity::kError,
                                "E" + std::to_string(e.code), errorMessageOf(e), {}});
  }
  if (report.fatal != 0) {
    verdict.findings.push_back({unit.routePath, 1, 0, 0, Severity::kError, "E" + std::to_string(report.fatal),
                                fatalStopText(report.fatal), {}});
  }
  if (missingRun) {
    Severity s = unit.train.empty() ? Severity::kInformation : Severity::kError;
    verdict.findings.push_back({unit.routePath, 1, 0, 0, s, {}, *missingRun, {}});
  }
  return verdict;
}

}  // namespace pack::lsp
