#include "tool/commands/compile_command.h"

#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "compiler/error_codes.h"
#include "formats/file_names.h"
#include "tool/check/compile_report.h"
#include "tool/check/run_source.h"
#include "tool/check/verdict.h"
#include "tool/commands/output_guard.h"
#include "tool/describe/json_text.h"

namespace pack {

int runCompile(const CompileOptions& options, Platform& platform, const ChosenScenario& chosen, std::ostream& out,
               std::ostream& err) {
  const CommandVoice say("compile", err);
  VerdictRequest request;
  request.compile = {chosen.scenario, chosen.train, chosen.dir, !options.noPlan, options.deleteSources};
  request.outputFolder = options.outDir.empty() ? chosen.dir : options.outDir;
  request.laterErrors = false;  // the compile is the pack's: one error, as the pack reports it
  request.runMayBeMissing = options.allowMissingRun;
  const std::string routePath = platform.join(chosen.dir, routeSourceName(chosen.names()));
  const std::string trainPath = platform.join(chosen.dir, trainRunSourceName(chosen.names()));
  Verdict verdict;
  try {
    if (std::optional<std::string> missing = missingTrainRunSource(platform, routePath, trainPath);
        missing && !options.allowMissingRun) {
      return say.fail(kExitIo, *missing);
    }
    if (!options.outDir.empty()) platform.createDirectories(options.outDir);
    verdict = checkSources(platform, request);
  } catch (const IoError& e) {
    return say.fail(kExitIo, e.what());
  }

  const CompileReport& report = verdict.compile;
  if (options.json) {
    nlohmann::json j = firstErrorJson(report);
    j.update(verdictJson(verdict));
    j["written"] = report.written;
    out << jsonText(j) << '\n';
  } else {
    for (const VerdictFinding& f : verdict.findings) err << findingText(f) << '\n';
    if (!verdict.omitted.empty()) err << "compile: " << countsText(verdict) << " (scenario-tool check lists them)\n";
    for (const std::string& name : report.written) {
      out << "wrote " << platform.join(*request.outputFolder, name) << '\n';
    }
  }
  if (report.fatal != 0) return kExitFatal;
  return report.error.code != 0 ? kExitCompileError : kExitOk;
}

namespace {

class CompileCommand : public ScenarioCommand {
 public:
  CompileCommand() : ScenarioCommand("compile", ScenarioFiles::kSources) {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("compile", "Compile a scenario's two sources into the simulator's files");
    sub.footer(
        "Reads DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt, compiles them exactly as scenario-pack\n"
        "compiles its own, and writes SCENARIO_linea.dat (the plan, unless --no-plan), SCENARIO_TRAIN.sim\n"
        "and SCENARIO_TRAIN.dat into DIR, or into the folder -o names (created if missing; a name ending in\n"
        ".dat or .sim names a file and is refused). The files are written even when an error was recorded,\n"
        "as the pack does. Errors and warnings name the source file and line.\n"
        "Exit status: 0 no error, 1 an error was recorded (files written), 2 the compile stopped with\n"
        "\" Errore n. \" (nothing written), 64 bad argument, 74 a file could not be read or written, or the\n"
        "train run source is missing (nothing written; --allow-missing-run compiles the route alone).\n"
        "More in docs/authoring.md.");
    sub.flag("--no-plan", options_.noPlan, "Compile without the per-metre plan (curves are not read)");
    sub.flag("--delete-sources", options_.deleteSources,
                  "Delete the sources as the pack does after reading them (kept by default)");
    sub.flag("--allow-missing-run", options_.allowMissingRun,
                  "Compile the route alone when the train run source is missing, as the pack would");
    sub.flag("--json", options_.json, "Print one JSON object on standard output instead of the lines");
    sub.option("-o,--output", options_.outDir, "Folder for the compiled files (default: DIR)").notEmpty();
    addScenarioArguments(sub, "the two sources");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    if (std::optional<std::string> wrong = folderNameProblem(options_.outDir, {".dat", ".sim"})) {
      return voice(err).fail(kExitUsage, *wrong);
    }
    std::unique_ptr<Platform> platform = makeNativePlatform();
    int status = kExitOk;
    std::optional<ChosenScenario> chosen = chooseScenario(*platform, err, status);
    if (!chosen) return status;
    return runCompile(options_, *platform, *chosen, out, err);
  }

 private:
  CompileOptions options_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeCompileCommand() { return std::make_unique<CompileCommand>(); }

}  // namespace pack
