// scenario-tool check DIR [SCENARIO [TRAIN]]: every problem of a scenario's two sources in one run,
// writing nothing: the first error the compiler records (the compile runs on copies in memory), every
// warning of the lint, and the lint's reading problems of every line.
#include "tool/commands/check_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/error_codes.h"
#include "formats/file_names.h"
#include "writers/embedded_tables.h"
#include "platform/memory_file_system.h"
#include "tool/check/compile_report.h"
#include "tool/describe/json_text.h"
#include "tool/commands/run_source.h"
#include "tool/check/source_lint.h"
#include "tool/commands/output_guard.h"
#include "tool/commands/tool_command.h"

namespace pack {
namespace {

struct Report {
  CompileReport compile;
  std::optional<std::string> missingRun;  // the message naming a missing train run source
  std::vector<LintWarning> warnings;

  bool hasError() const { return compile.error.code != 0 || compile.fatal != 0 || missingRun; }
};

// The sources in memory, under the same paths: the compile may delete or write nothing on disk.
class MemoryCopy {
 public:
  MemoryCopy(FileSystem& disk, const std::string& routePath, const std::string& trainPath) {
    for (const std::string& path : {routePath, trainPath}) {
      if (disk.exists(path)) memory.files[path] = disk.read(path);
    }
  }
  MemoryFileSystem memory;
};

// The memory file system joins with "/"; the folder's own paths are kept as the keys, so the compile is
// given a folder and names that lead to them on every platform.
class SameNames : public FileSystem {
 public:
  SameNames(MemoryFileSystem& memory, FileSystem& disk) : memory_(memory), disk_(disk) {}
  using FileSystem::read;
  bool exists(const std::string& path) override { return memory_.exists(path); }
  std::string read(const std::string& path, std::uint64_t maxBytes) override { return memory_.read(path, maxBytes); }
  void remove(const std::string& path) override { memory_.remove(path); }
  std::unique_ptr<OutputFile> create(const std::string& path) override { return memory_.create(path); }
  std::string join(std::string_view folder, std::string_view name) const override { return disk_.join(folder, name); }

 private:
  MemoryFileSystem& memory_;
  FileSystem& disk_;
};

// Compiled files go to the memory too: nothing reaches the disk.
CompileReport compileInMemory(FileSystem& files, const CheckOptions& options, const ScenarioNames& names,
                              std::vector<LintWarning>& warnings) {
  CompileRequest request;
  request.scenarioName = std::string(names.scenarioName);
  request.trainNumber = std::string(names.trainNumber);
  request.sourceFolder = options.dir;
  request.buildPlan = !options.noPlan;
  request.deleteSources = false;
  return compileExplained(files, request, options.dir, warnings);
}

nlohmann::json toJson(const Report& report) {
  nlohmann::json j = compileReportJson(report.compile, report.warnings);
  j["missingSource"] = report.missingRun ? nlohmann::json(*report.missingRun) : nlohmann::json(nullptr);
  return j;
}

// The error among the warnings at its file and line, so that an author can work down each file.
void printText(const Report& report, const std::string& routePath, std::ostream& out) {
  struct Item {
    int file;  // 0 route, 1 train run, 2 none
    std::size_t line, column;
    std::string text;
  };
  auto fileIndex = [&](const std::string& file) { return file.empty() ? 2 : file == routePath ? 0 : 1; };
  std::vector<Item> items;
  for (const LintWarning& w : report.warnings) items.push_back({fileIndex(w.file), w.line, w.column, formatWarning(w)});
  const RecordedError& e = report.compile.error;
  if (e.code != 0) items.push_back({fileIndex(e.source), e.line, 0, recordedErrorText(e)});
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
  if (report.missingRun) out << *report.missingRun << '\n';
  for (const Item& item : items) out << item.text << '\n';
  if (report.compile.fatal != 0) out << fatalStopText(report.compile.fatal) << '\n';
  std::size_t errors = (e.code != 0 || report.compile.fatal != 0) + report.missingRun.has_value();
  out << "check: " << errors << (errors == 1 ? " error, " : " errors, ") << report.warnings.size()
      << (report.warnings.size() == 1 ? " warning" : " warnings") << '\n';
}

}  // namespace

int runCheck(const CheckOptions& options, FileSystem& disk, std::ostream& out, std::ostream& err) {
  std::string problem;
  std::optional<OwnedScenarioNames> checked = checkScenarioNames(options.scenario, options.train, problem);
  if (!checked) {
    err << "scenario-tool check: " << problem << '\n';
    return kExitUsage;
  }
  ScenarioNames names{checked->scenarioName, checked->trainNumber};
  std::string routePath = disk.join(options.dir, routeSourceName(names));
  std::string trainPath = disk.join(options.dir, trainRunSourceName(names));

  Report report;
  try {
    MemoryCopy copy(disk, routePath, trainPath);
    SameNames files(copy.memory, disk);
    report.missingRun = missingTrainRunSource(files, routePath, trainPath);
    report.warnings = lintSources(files, routePath, trainPath, !options.noPlan);
    report.compile = compileInMemory(files, options, names, report.warnings);
    explainReadingStop(report.compile.error, report.warnings);
    // Without its train run source the compile fails reading it: that failure is the missing file.
    if (report.missingRun && report.compile.error.code == kErrRunTime) report.compile.error = {};
  } catch (const IoError& e) {
    err << "scenario-tool check: " << e.what() << '\n';
    return kExitIo;
  }

  if (options.json) {
    out << jsonText(toJson(report)) << '\n';
  } else {
    printText(report, routePath, out);
  }
  if (report.hasError()) return kExitCheckErrors;
  return options.strict && !report.warnings.empty() ? kExitCheckWarnings : kExitOk;
}

namespace {

class CheckCommand : public ToolCommand {
 public:
  CLI::App* define(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand("check", "Report every problem of a scenario's sources, writing nothing");
    sub->footer(
        "Reads DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt, compiles them in memory exactly as\n"
        "scenario-pack would, and lists the error the compiler records (it stops at the first), every\n"
        "warning, and the fields the compiler could not read on every line, by file and line. Nothing is\n"
        "written or deleted.\n"
        "Exit status: 0 no error (warnings allowed unless --strict), 1 warnings only and --strict,\n"
        "2 an error (or a missing train run source), 64 bad argument, 74 a source could not be read.");
    sub->add_flag("--no-plan", options_.noPlan, "Check as compiled without the per-metre plan (curves are not read)");
    sub->add_flag("--strict", options_.strict, "Exit with 1 when there are warnings and no error");
    sub->add_flag("--json", options_.json, "Print one JSON object on standard output instead of the lines");
    sub->add_option("DIR", options_.dir, "Folder holding the two sources")->required()->check(kNotEmpty);
    sub->add_option("SCENARIO", options_.scenario, "Scenario name (default: Borgorosso_MontegranoC)");
    sub->add_option("TRAIN", options_.train, "Train number (default: 517)");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::unique_ptr<Platform> platform = makeNativePlatform();
    return runCheck(options_, *platform, out, err);
  }

 private:
  CheckOptions options_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeCheckCommand() { return std::make_unique<CheckCommand>(); }

}  // namespace pack
