// scenario-tool check DIR [SCENARIO [TRAIN]]: every problem of a scenario's two sources in one run,
// writing nothing: the error the compiler records (the compile runs on copies in memory), the errors found
// by compiling again with each erring entry set aside, then the lint's warnings (its reading problems of
// every line among them) grouped by finding.
#include "tool/commands/check_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "formats/file_names.h"
#include "tool/check/check_in_memory.h"
#include "tool/check/compile_report.h"
#include "tool/check/later_errors.h"
#include "tool/describe/json_text.h"
#include "tool/check/source_lint.h"
#include "tool/check/warning_groups.h"
#include "tool/commands/scenario_command.h"

namespace pack {
namespace {

struct Report : SourcesInMemory {
  std::vector<LaterError> later;

  std::size_t errorCount() const {
    return (compile.error.code != 0 || compile.fatal != 0) + later.size() + missingRun.has_value();
  }
};

nlohmann::json toJson(const Report& report) {
  nlohmann::json j = compileReportJson(report.compile, report.warnings);
  j["missingSource"] = report.missingRun ? nlohmann::json(*report.missingRun) : nlohmann::json(nullptr);
  j["laterErrors"] = laterErrorsJson(report.later);
  return j;
}

// The compiler stops at its first error: the later ones are found on a copy of the sources in memory,
// with each erring entry set aside in turn.
std::vector<LaterError> laterErrors(FileSystem& disk, const CompileRequest& request, const Report& report) {
  MemoryFileSystem scratch;
  scratch.files = report.files.files;
  SameNames files(scratch, disk);
  return findLaterErrors(files, request, report.compile.error);
}

// Warnings in reading order: the route's, then the train run's, each by line.
std::vector<LintWarning> inReadingOrder(std::vector<LintWarning> warnings, const std::string& routePath) {
  auto fileIndex = [&](const std::string& file) { return file.empty() ? 2 : file == routePath ? 0 : 1; };
  std::stable_sort(warnings.begin(), warnings.end(), [&](const LintWarning& a, const LintWarning& b) {
    return fileIndex(a.file) != fileIndex(b.file) ? fileIndex(a.file) < fileIndex(b.file) : a.line < b.line;
  });
  return warnings;
}

// The errors first, as they stop the compile; then the warnings, one of each finding with a count of the
// others unless --all.
void printText(const Report& report, const std::string& routePath, bool all, std::ostream& out) {
  if (report.missingRun) out << *report.missingRun << '\n';
  if (report.compile.error.code != 0) out << recordedErrorText(report.compile.error) << '\n';
  if (report.compile.fatal != 0) out << fatalStopText(report.compile.fatal) << '\n';
  for (const LaterError& later : report.later) out << laterErrorText(later) << '\n';
  std::vector<LintWarning> warnings = inReadingOrder(report.warnings, routePath);
  for (const std::vector<const LintWarning*>& group : groupWarnings(warnings)) {
    if (!all) {
      out << groupSummaryText(group) << '\n';
      continue;
    }
    for (const LintWarning* w : group) out << formatWarning(*w) << '\n';
  }
  std::size_t errors = report.errorCount();
  out << "check: " << errors << (errors == 1 ? " error, " : " errors, ") << warnings.size()
      << (warnings.size() == 1 ? " warning" : " warnings") << '\n';
}

}  // namespace

int runCheck(const CheckOptions& options, FileSystem& disk, const ChosenScenario& chosen, std::ostream& out,
             std::ostream& err) {
  std::string routePath = disk.join(chosen.dir, routeSourceName(chosen.names()));
  Report report;
  try {
    CompileRequest request;
    request.scenarioName = chosen.scenario;
    request.trainNumber = chosen.train;
    request.sourceFolder = chosen.dir;
    request.buildPlan = !options.noPlan;
    checkInMemory(disk, request, report);
    takeOutReadingStop(report.compile.error, report.warnings);
    report.later = laterErrors(disk, request, report);
  } catch (const IoError& e) {
    return CommandVoice("check", err).fail(kExitIo, e.what());
  }

  if (options.json) {
    out << jsonText(toJson(report)) << '\n';
  } else {
    printText(report, routePath, options.all, out);
  }
  if (report.errorCount() > 0) return kExitCheckErrors;
  return options.strict && !report.warnings.empty() ? kExitCheckWarnings : kExitOk;
}

namespace {

class CheckCommand : public ScenarioCommand {
 public:
  CheckCommand() : ScenarioCommand("check", ScenarioFiles::kSources) {}

  CLI::App* define(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand("check", "Report every problem of a scenario's sources, writing nothing");
    sub->footer(
        "Reads DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt, compiles them in memory exactly as\n"
        "scenario-pack would, and lists the error the compiler records. As the compiler stops at its first\n"
        "error, the entry of each error is then set aside (in memory) and the sources compiled again, up to\n"
        "20 errors, each later one naming the entries set aside before it was found. Then the warnings, the\n"
        "fields the compiler could not read on every line among them, one of each kind with a count of the\n"
        "others and their lines (--all lists each one). Nothing is written or deleted.\n"
        "Exit status: 0 no error (warnings allowed unless --strict), 1 warnings only and --strict,\n"
        "2 an error (or a missing train run source), 64 bad argument, 74 a source could not be read.\n"
        "More in docs/authoring.md.");
    sub->add_flag("--no-plan", options_.noPlan, "Check as compiled without the per-metre plan (curves are not read)");
    sub->add_flag("--strict", options_.strict, "Exit with 1 when there are warnings and no error");
    sub->add_flag("--json", options_.json, "Print one JSON object on standard output instead of the lines");
    sub->add_flag("--all", options_.all, "List every warning, not one of each kind with a count");
    addScenarioArguments(sub, "the two sources");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::unique_ptr<Platform> platform = makeNativePlatform();
    int status = kExitOk;
    std::optional<ChosenScenario> chosen = chooseScenario(*platform, err, status);
    if (!chosen) return status;
    return runCheck(options_, *platform, *chosen, out, err);
  }

 private:
  CheckOptions options_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeCheckCommand() { return std::make_unique<CheckCommand>(); }

}  // namespace pack
