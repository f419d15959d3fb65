#include "tool/compile_command.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "app/fatal_error.h"
#include "app/form1.h"
#include "compiler/error_codes.h"
#include "formats/file_names.h"
#include "tool/run_source.h"
#include "tool/scenario_names.h"
#include "tool/source_lint.h"

namespace pack {
namespace {

struct Outcome {
  std::int32_t errorCode = 0;
  std::int32_t errorPosition = 0;
  std::optional<std::int32_t> fatal;
  std::string file;        // source path, empty when the error belongs to no entry
  std::size_t line = 0;
  std::vector<std::string> written;
  std::vector<LintWarning> warnings;
};

std::string errorLine(const Outcome& o) {
  std::string text;
  if (!o.file.empty()) text = o.file + (o.line > 0 ? ":" + std::to_string(o.line) : "") + ": ";
  text += "error " + std::to_string(o.errorCode);
  if (errorSetsPosition(o.errorCode)) text += " at " + std::to_string(o.errorPosition) + " m";
  text += ": " + std::string(errorMessage(o.errorCode));
  return text;
}

nlohmann::json toJson(const Outcome& o) {
  nlohmann::json warnings = nlohmann::json::array();
  for (const LintWarning& w : o.warnings) {
    warnings.push_back({{"file", w.file}, {"line", w.line}, {"column", w.column}, {"message", w.message}});
  }
  nlohmann::json j = {{"errorCode", o.errorCode},
                      {"errorPosition", o.errorPosition},
                      {"fatal", o.fatal ? nlohmann::json(*o.fatal) : nlohmann::json(nullptr)},
                      {"file", o.file.empty() ? nlohmann::json(nullptr) : nlohmann::json(o.file)},
                      {"line", o.file.empty() ? nlohmann::json(nullptr) : nlohmann::json(o.line)},
                      {"message", o.errorCode != 0 ? nlohmann::json(errorLine(o)) : nlohmann::json(nullptr)},
                      {"warnings", warnings},
                      {"written", o.written}};
  return j;
}

}  // namespace

int runCompile(const CompileOptions& options, Platform& platform, std::ostream& out, std::ostream& err) {
  std::string problem;
  std::optional<std::string> scenario = checkNamePart(options.scenario, "scenario name", problem);
  std::optional<std::string> train = scenario ? checkNamePart(options.train, "train number", problem) : std::nullopt;
  if (!scenario || !train) {
    err << "scenario-tool compile: " << problem << '\n';
    return kExitUsage;
  }

  Outcome outcome;
  Form1 form(platform, platform, options.dir);
  form.outputFolder = options.outDir.empty() ? options.dir : options.outDir;
  form.deleteSources = options.deleteSources;
  form.model.scenarioName = *scenario;
  form.model.trainNumber = *train;
  ScenarioNames names{form.model.scenarioName, form.model.trainNumber};
  std::string routePath = platform.join(options.dir, routeSourceName(names));
  std::string trainPath = platform.join(options.dir, trainRunSourceName(names));

  try {
    if (std::optional<std::string> missing = missingTrainRunSource(platform, routePath, trainPath);
        missing && !options.allowMissingRun) {
      err << "scenario-tool compile: " << *missing << '\n';
      return kExitIo;
    }
    if (!options.outDir.empty()) platform.createDirectories(options.outDir);
    // The compile may delete the sources: look at them first.
    outcome.warnings = lintSources(platform, routePath, trainPath, !options.noPlan);
    std::int32_t option = options.noPlan ? 0 : 1;
    try {
      form.memorizza_percorso(option);
    } catch (const FatalError& e) {
      outcome.fatal = e.code();
    }
  } catch (const IoError& e) {
    err << "scenario-tool compile: " << e.what() << '\n';
    return kExitIo;
  }

  Model& model = form.model;
  outcome.errorCode = outcome.fatal.value_or(model.errorCode);
  outcome.errorPosition = model.errorPosition;
  outcome.written = form.writtenFiles;
  bool fromSource = form.errorSource != SourceKind::kNone && !errorFromCompletion(outcome.errorCode) &&
                    outcome.errorCode != 1250 && outcome.errorCode != 1251 && outcome.errorCode != 2;
  if (fromSource) {
    outcome.file = form.errorSource == SourceKind::kRoute ? routePath : trainPath;
    outcome.line = form.errorLine;
  } else if (outcome.errorCode == kErrNoRouteSource) {
    outcome.file = routePath;
  }

  if (options.json) {
    out << toJson(outcome).dump(2) << '\n';
  } else {
    for (const LintWarning& w : outcome.warnings) err << formatWarning(w) << '\n';
    if (outcome.errorCode != 0) err << errorLine(outcome) << '\n';
    for (const std::string& name : outcome.written) out << "wrote " << platform.join(form.outputFolder, name) << '\n';
  }
  if (outcome.fatal) return kExitFatal;
  return outcome.errorCode != 0 ? kExitCompileError : kExitOk;
}

namespace {

class CompileCommand : public ToolCommand {
 public:
  CLI::App* define(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand("compile", "Compile a scenario's two sources into the simulator's files");
    sub->footer(
        "Reads DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt, compiles them exactly as scenario-pack\n"
        "compiles its own, and writes SCENARIO_linea.dat (the plan, unless --no-plan), SCENARIO_TRAIN.sim\n"
        "and SCENARIO_TRAIN.dat into OUTDIR. The files are written even when an error was recorded, as the\n"
        "pack does. Errors and warnings name the source file and line.\n"
        "Exit status: 0 no error, 1 an error was recorded (files written), 2 the compile stopped with\n"
        "\" Errore n. \" (nothing written), 64 bad argument, 74 a file could not be read or written, or the\n"
        "train run source is missing (nothing written; --allow-missing-run compiles the route alone).");
    sub->add_flag("--no-plan", options_.noPlan, "Compile without the per-metre plan (curves are not read)");
    sub->add_flag("--delete-sources", options_.deleteSources,
                  "Delete the sources as the pack does after reading them (kept by default)");
    sub->add_flag("--allow-missing-run", options_.allowMissingRun,
                  "Compile the route alone when the train run source is missing, as the pack would");
    sub->add_flag("--json", options_.json, "Print one JSON object on standard output instead of the lines");
    sub->add_option("-o,--output", options_.outDir, "Folder for the compiled files (default: DIR)");
    sub->add_option("DIR", options_.dir, "Folder holding the two sources")->required();
    sub->add_option("SCENARIO", options_.scenario, "Scenario name (default: Borgorosso_MontegranoC)");
    sub->add_option("TRAIN", options_.train, "Train number (default: 517)");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::unique_ptr<Platform> platform = makeNativePlatform();
    return runCompile(options_, *platform, out, err);
  }

 private:
  CompileOptions options_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeCompileCommand() { return std::make_unique<CompileCommand>(); }

}  // namespace pack
