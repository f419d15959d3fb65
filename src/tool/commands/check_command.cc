// scenario-tool check DIR [SCENARIO [TRAIN]]: the verdict on a scenario's two sources (tool/check/verdict.h)
// in one run, writing nothing, as lines or as one JSON object.
#include "tool/commands/check_command.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tool/check/compile_report.h"
#include "tool/check/verdict.h"
#include "tool/check/warning_groups.h"
#include "tool/describe/json_text.h"
#include "tool/commands/scenario_command.h"

namespace pack {
namespace {

// The verdict, then the counts: one of each kind of warning with a count of the others unless --all.
void printText(const Verdict& verdict, bool all, std::ostream& out) {
  for (const std::vector<const VerdictFinding*>& kind : findingKinds(verdict)) {
    auto omitted = verdict.omitted.find(kind.front()->id);
    std::size_t counted = omitted != verdict.omitted.end() && kind.front()->severity == VerdictSeverity::kWarning
                              ? omitted->second : 0;
    if (!all) {
      out << kindSummaryText(kind, counted) << '\n';
      continue;
    }
    for (const VerdictFinding* f : kind) out << findingText(*f) << '\n';
    if (counted > 0) out << "  and " << counted << " more like it, only counted\n";
  }
  out << "check: " << countsText(verdict) << '\n';
}

}  // namespace

Verdict checkScenario(const CheckOptions& options, FileSystem& disk, const ChosenScenario& chosen) {
  VerdictRequest request;
  request.compile.scenarioName = chosen.scenario;
  request.compile.trainNumber = chosen.train;
  request.compile.sourceFolder = chosen.dir;
  request.compile.buildPlan = !options.noPlan;
  MemoryFileSystem memory;
  return checkSourcesInMemory(disk, request, memory);
}

void printVerdict(const CheckOptions& options, const Verdict& verdict, std::ostream& out) {
  if (options.json) {
    nlohmann::json j = firstErrorJson(verdict.compile);
    j.update(verdictJson(verdict));
    out << jsonText(j) << '\n';
  } else {
    printText(verdict, options.all, out);
  }
}

int checkStatus(const CheckOptions& options, const Verdict& verdict) {
  if (verdict.hasError()) return kExitCheckErrors;
  return options.strict && verdict.warningCount > 0 ? kExitCheckWarnings : kExitOk;
}

int runCheck(const CheckOptions& options, FileSystem& disk, const ChosenScenario& chosen, std::ostream& out,
             std::ostream& err) {
  Verdict verdict;
  try {
    verdict = checkScenario(options, disk, chosen);
  } catch (const IoError& e) {
    return CommandVoice("check", err).fail(kExitIo, e.what());
  }
  printVerdict(options, verdict, out);
  return checkStatus(options, verdict);
}

namespace {

class CheckCommand : public ScenarioCommand {
 public:
  CheckCommand() : ScenarioCommand("check", ScenarioFiles::kSources) {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("check", "Report every problem of a scenario's sources, writing nothing");
    sub.footer(
        "Reads DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt, compiles them in memory exactly as\n"
        "scenario-pack would, and lists the error the compiler records. As the compiler stops at its first\n"
        "error, the entry of each error is then set aside (in memory) and the sources compiled again, up to\n"
        "20 errors, each later one naming the entries set aside before it was found. Then the warnings, the\n"
        "fields the compiler could not read on every line among them, one of each kind with a count of the\n"
        "others and their lines (--all lists each one). A problem of a source's form (line ends, encoding,\n"
        "byte-order mark) that causes an error comes first. At most 200 warnings are kept in full, the\n"
        "errors first; the others are counted by kind (\"omitted\" in --json). Nothing is written or deleted.\n"
        "Exit status: 0 no error (warnings allowed unless --strict), 1 warnings only and --strict,\n"
        "2 an error (or a missing train run source), 64 bad argument, 74 a source could not be read.\n"
        "More in docs/authoring.md.");
    sub.flag("--no-plan", options_.noPlan, "Check as compiled without the per-metre plan (curves are not read)");
    sub.flag("--strict", options_.strict, "Exit with 1 when there are warnings and no error");
    sub.flag("--json", options_.json, "Print one JSON object on standard output instead of the lines");
    sub.flag("--all", options_.all, "List every warning, not one of each kind with a count");
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
