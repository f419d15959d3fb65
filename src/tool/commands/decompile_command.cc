#include "tool/commands/decompile_command.h"

#include <optional>
#include <ostream>

#include "formats/file_names.h"
#include "output/file_writer.h"
#include "formats/compiled_format.h"
#include "output/compiled_decoders.h"
#include "tool/decompile/decompile_check.h"
#include "tool/commands/output_guard.h"
#include "tool/commands/tool_command.h"

namespace pack {
namespace {

FileInSet textFile(const std::string& path, std::string bytes) {
  return {path, [bytes = std::move(bytes)](BinaryWriter& out) { out.bytes(bytes); }};
}

std::string describe(const DecompileMessage& m) { return m.where + ": " + m.text; }

}  // namespace

int runDecompile(const DecompileOptions& options, FileSystem& fs, const ChosenScenario& chosen, std::ostream& out,
                 std::ostream& err) {
  const CommandVoice say("decompile", err);
  const ScenarioNames names = chosen.names();
  const std::string outDir = options.outDir.empty() ? chosen.dir : options.outDir;
  const std::string cellPath = fs.join(chosen.dir, trackCellFileName(names));
  const std::string tablePath = fs.join(chosen.dir, scenarioTableFileName(names));
  const std::string planPath = fs.join(chosen.dir, planFileName(names));
  const std::string routePath = fs.join(outDir, routeSourceName(names));
  const std::string trainRunPath = fs.join(outDir, trainRunSourceName(names));

  CompiledScenario in;
  std::vector<DecompileMessage> readProblems;
  try {
    for (const std::string* path : {&cellPath, &tablePath}) {
      if (!fs.exists(*path)) {
        return say.fail(kExitIo, *path + ": no such file");
      }
    }
    std::string current = cellPath;
    try {
      in.cells = decodeTrackCells(fs.read(cellPath, kMaxCellFileBytes));
      current = tablePath;
      in.table = decodeScenarioTable(fs.read(tablePath, kMaxTableFileBytes));
    } catch (const DecodeError& e) {
      return say.fail(kExitData, current + ": not a compiled file: " + e.what());
    }
    if (fs.exists(planPath)) {
      try {
        in.plan = decodePlan(fs.read(planPath, kMaxPlanFileBytes));
      } catch (const DecodeError& e) {
        readProblems.push_back({planPath, std::string("not a plan file, left aside: ") + e.what()});
      }
    }
    if (!options.force) {
      for (const std::string* path : {&routePath, &trainRunPath}) {
        if (fs.exists(*path)) {
          return say.fail(kExitIo, *path + " exists: an author's source is never replaced without --force");
        }
      }
    }

    DecompiledSources sources = decompileScenario(in);
    std::vector<DecompileMessage> problems = readProblems;
    problems.insert(problems.end(), sources.problems.begin(), sources.problems.end());
    std::vector<DecompileMessage> differences = recompileDifferences(
        in, chosen.scenario, chosen.train, renderSource(sources.route), renderSource(sources.trainRun));
    problems.insert(problems.end(), differences.begin(), differences.end());
    // What could not be explained heads the route source too, where the author starts reading.
    for (const DecompileMessage& m : problems) sources.route.headNotes.push_back("not explained: " + describe(m));

    if (!options.outDir.empty()) fs.createDirectories(options.outDir);
    // The two sources belong together: a route source beside an older run source would not compile back.
    writeFileSet(fs, {textFile(routePath, renderSource(sources.route)),
                      textFile(trainRunPath, renderSource(sources.trainRun))});

    for (const DecompileMessage& m : sources.notes) out << "note: " << describe(m) << '\n';
    for (const DecompileMessage& m : problems) err << "not explained: " << describe(m) << '\n';
    out << "wrote " << routePath << '\n' << "wrote " << trainRunPath << '\n';
    if (problems.empty()) {
      out << "compiling them gives the same " << (in.plan ? "three" : "two") << " files, byte for byte\n";
      return kExitOk;
    }
    return kExitNotExplained;
  } catch (const IoError& e) {
    return say.fail(kExitIo, e.what());
  }
}

namespace {

class DecompileCommand : public ScenarioCommand {
 public:
  DecompileCommand() : ScenarioCommand("decompile", ScenarioFiles::kCompiled) {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("decompile", "Turn a compiled scenario back into its two sources");
    sub.footer(
        "Reads DIR/SCENARIO_TRAIN.dat, DIR/SCENARIO_TRAIN.sim and, when present, DIR/SCENARIO_linea.dat, and\n"
        "writes SCENARIO_linea.txt and SCENARIO_TRAIN-.txt into DIR, or into the folder -o names (created if\n"
        "missing; a name ending in .txt names a file and is refused), such that 'scenario-tool compile'\n"
        "writes the same files again, byte for byte; the tool compiles them in memory to make sure. Where the\n"
        "compiled files keep less than a source said, the choice made is noted in a '-- ' comment line and\n"
        "here. Without the plan file the route has no curves: compile it with --no-plan.\n"
        "Exit status: 0 the sources give the same bytes, 1 some cell or row cannot be explained (the best\n"
        "sources are written), 64 bad argument, 65 a file is not a compiled file (nothing written), 74 a file\n"
        "could not be read or written, or a source exists and --force was not given.\n"
        "More in docs/round-trip.md.");
    sub.option("-o,--output", options_.outDir, "Folder for the two sources (default: DIR)").notEmpty();
    sub.flag("--force", options_.force, "Replace sources that already exist");
    addScenarioArguments(sub, "the compiled files");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    if (std::optional<std::string> wrong = folderNameProblem(options_.outDir, {".txt"})) {
      return voice(err).fail(kExitUsage, *wrong);
    }
    std::unique_ptr<Platform> platform = makeNativePlatform();
    int status = kExitOk;
    std::optional<ChosenScenario> chosen = chooseScenario(*platform, err, status);
    if (!chosen) return status;
    return runDecompile(options_, *platform, *chosen, out, err);
  }

 private:
  DecompileOptions options_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeDecompileCommand() { return std::make_unique<DecompileCommand>(); }

}  // namespace pack
