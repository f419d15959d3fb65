#include "tool/compile_command.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "app/form1.h"
#include "compiler/error_codes.h"
#include "formats/file_names.h"
#include "tool/scenario_names.h"
#include "tool/source_lint.h"

namespace pack {
namespace {

std::string where(const RecordedError& e) {
  if (e.source.empty()) return "";
  return e.source + (e.line > 0 ? ":" + std::to_string(e.line) : "") + ": ";
}

// The recorded error as an author reads it: where, which code, where on the line, and what to do.
std::string errorText(const RecordedError& e) {
  const ErrorInfo* info = findError(e.code);
  std::string text = where(e) + "error " + std::to_string(e.code);
  if (info != nullptr && info->hasPosition) text += " at " + std::to_string(e.position) + " m";
  text += ": " + std::string(errorMessage(e.code));
  return text;
}

// The fatal stop on its own: a code of its own says what stopped the compile; the reader's code stops it
// when no track model was made.
std::string fatalText(std::int32_t fatal) {
  const ErrorInfo* info = findError(fatal);
  std::string text = "error " + std::to_string(fatal) + ": ";
  text += info != nullptr && info->fatal ? std::string(info->message) : "no track model was made from the sources";
  return text + "; the compile stopped and wrote nothing";
}

template <typename T>
nlohmann::json orNull(bool present, const T& value) {
  return present ? nlohmann::json(value) : nlohmann::json(nullptr);
}

nlohmann::json toJson(const CompileReport& r, const std::vector<LintWarning>& lint) {
  nlohmann::json warnings = nlohmann::json::array();
  for (const LintWarning& w : lint) warnings.push_back({{"file", w.file}, {"line", w.line}, {"message", w.message}});
  const RecordedError& e = r.error;
  const bool hasFile = !e.source.empty();
  return {{"errorCode", e.code},
          {"errorPosition", e.position},
          {"file", orNull(hasFile, e.source)},
          {"line", orNull(hasFile && e.line > 0, e.line)},
          {"message", orNull(e.code != 0, errorText(e))},
          {"fatal", orNull(r.fatal != 0, r.fatal)},
          {"fatalMessage", orNull(r.fatal != 0, fatalText(r.fatal))},
          {"warnings", warnings},
          {"written", r.written}};
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

  CompileRequest request{*scenario, *train, options.dir, options.outDir.empty() ? options.dir : options.outDir,
                         !options.noPlan, options.deleteSources};
  ScenarioNames names{request.scenarioName, request.trainNumber};
  Form1 form(platform, platform, options.dir);
  CompileReport report;
  std::vector<LintWarning> warnings;
  try {
    if (!options.outDir.empty()) platform.createDirectories(options.outDir);
    // The compile may delete the sources: look at them first.
    warnings = lintSources(platform, platform.join(options.dir, routeSourceName(names)),
                           platform.join(options.dir, trainRunSourceName(names)), request.buildPlan);
    report = form.compile(request);
  } catch (const IoError& e) {
    err << "scenario-tool compile: " << e.what() << '\n';
    return kExitIo;
  }

  if (options.json) {
    out << toJson(report, warnings).dump(2) << '\n';
  } else {
    for (const LintWarning& w : warnings) err << w.file << ":" << w.line << ": warning: " << w.message << '\n';
    if (report.error.code != 0) err << errorText(report.error) << '\n';
    if (report.fatal != 0) err << fatalText(report.fatal) << '\n';
    for (const std::string& name : report.written) {
      out << "wrote " << platform.join(request.outputFolder, name) << '\n';
    }
  }
  if (report.fatal != 0) return kExitFatal;
  return report.error.code != 0 ? kExitCompileError : kExitOk;
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
        "\" Errore n. \" (nothing written), 64 bad argument, 74 a file could not be read or written.");
    sub->add_flag("--no-plan", options_.noPlan, "Compile without the per-metre plan (curves are not read)");
    sub->add_flag("--delete-sources", options_.deleteSources,
                  "Delete the sources as the pack does after reading them (kept by default)");
    sub->add_flag("--json", options_.json, "Print one JSON object on standard output instead of the lines");
    sub->add_option("-o,--output", options_.outDir, "Folder for the compiled files (default: DIR)");
    sub->add_option("DIR", options_.dir, "Folder holding the two sources")->required();
    sub->add_option("SCENARIO", options_.scenario, "Scenario name (default: " + std::string(kScenarioName) + ")");
    sub->add_option("TRAIN", options_.train, "Train number (default: " + std::string(kTrainNumber) + ")");
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
