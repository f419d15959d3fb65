#include "tool/lsp/scenario_check.h"

#include "compiler/cell_codec.h"
#include "compiler/compile.h"
#include "compiler/error_codes.h"
#include "compiler/track_position.h"
#include "formats/cp1252.h"
#include "formats/file_names.h"
#include "formats/train_run_format.h"
#include "platform/memory_file_system.h"

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

}  // namespace

UnitVerdict checkUnit(const ScenarioUnit& unit, const UnitTexts& texts, const SavedForm& saved, bool buildPlan) {
  MemorySources m;
  prepare(m, unit, texts, buildPlan);
  MemoryFileSystem savedFiles;
  if (saved.route) savedFiles.files[m.route] = *saved.route;
  if (saved.run && !unit.train.empty()) savedFiles.files[m.run] = *saved.run;
  UnitVerdict result;
  VerdictRequest request;
  request.compile = m.request;
  request.saved = &savedFiles;
  request.model = &result.model;
  for (const auto& [path, characters] : {std::pair{m.route, &saved.routeUnsavable}, std::pair{m.run, &saved.runUnsavable}}) {
    for (UnsavableCharacter u : *characters) {
      u.file = path;
      request.unsavable.push_back(std::move(u));
    }
  }
  result.verdict = checkSources(m.files, request);
  // The editor names the sources by their paths on disk.
  for (VerdictFinding& f : result.verdict.findings) f.file = f.file == m.run ? unit.runPath : unit.routePath;
  return result;
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

std::optional<LintFix> freeSignalPosition(const ScenarioUnit& unit, const UnitTexts& texts, const Model& model,
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
    return LintFix{"Move the signal to " + text + " m, the nearest position whose cell is free", text,
               signal.values[0].begin + 1, signal.values[0].end + 1};
  }
  return std::nullopt;
}

}  // namespace pack::lsp
