// scenario-tool new DIR NAME TRAIN [--from-path PATH.yaml]: writes a small scenario's two sources under
// the author's names, to start a new scenario from something that compiles cleanly rather than from an
// empty page or from the embedded 32 km line; or a scenario over an open running-path file's line.
#include <cmath>
#include <cstdio>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "formats/file_names.h"
#include "platform/platform.h"
#include "running_time/default_train.h"
#include "running_time/railtoolkit_files.h"
#include "tool/commands/path_scenario.h"
#include "tool/commands/starter_scenario.h"
#include "tool/commands/output_guard.h"
#include "tool/commands/tool_command.h"
#include "writers/embedded_tables.h"
#include "writers/line_table.h"

namespace pack {
namespace {

// A word as a command line must hold it to be pasted: as it is when it is plain, else quoted the way the
// shell of the platform reads quotes (cmd.exe: double quotes; a POSIX shell: single quotes).
#ifdef _WIN32
constexpr std::string_view kPlain = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-.,/:+=@\\";
#else
constexpr std::string_view kPlain = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-.,/:+=@";
#endif

std::string shellWord(const std::string& word) {
  if (!word.empty() && word.find_first_not_of(kPlain) == std::string::npos) return word;
#ifdef _WIN32
  return "\"" + word + "\"";  // a Windows name cannot hold a double quote
#else
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
#endif
}

class NewCommand : public ToolCommand {
 public:
  NewCommand() : ToolCommand("new") {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("new", "Start a new scenario: write a small one's two sources into DIR");
    sub.footer(
        "Writes NAME_linea.txt and NAME_TRAIN-.txt into DIR (created with its parents if missing): a 5 km\n"
        "line between two stations, with curves, gradients, a mountain stretch, a speed board, a text\n"
        "board, two signals and a slow-down. It compiles without an error or a warning; change it from\n"
        "there, with 'scenario-tool formats' for what each entry means. Existing sources of that name are\n"
        "never replaced.\n"
        "With --from-path, the line is the first path of an open running-path file (railtoolkit, YAML): its\n"
        "gradients become gradient entries and its limits the speed profile, on the 50 m grid, in whole per\n"
        "mille and 5 km/h steps, with a terminus at each end; the clock and times are left for you. Each\n"
        "cell's rounding is carried into the next, so the line climbs as much as the real one over every\n"
        "stretch, and no cell's limit is above the real one; it prints how far the rounding moved the line.\n"
        "Exit status: 0 done, 64 bad argument or name, 65 the path file is not a valid path, 73 a source\n"
        "of that name is already in DIR, 74 a file or folder could not be written.\n"
        "More in docs/authoring.md.");
    sub.option("DIR", folder_, "Folder to write into").required();
    sub.option("NAME", scenario_, "Name of the new scenario (its line)").required();
    sub.option("TRAIN", train_, "Number of its train").required();
    sub.option("--from-path", pathFile_, "Open running-path file (YAML) whose line the scenario runs over");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::string problem;
    std::optional<OwnedScenarioNames> names = checkScenarioNames(scenario_, train_, problem);
    const std::optional<std::string> wrongFolder =
        folder_.empty() ? std::optional<std::string>("DIR must not be empty") : folderNameProblem(folder_, {".txt"});
    if (wrongFolder) problem = *wrongFolder;
    if (!names || wrongFolder) {
      return voice(err).fail(kExitUsage, problem + " (see scenario-tool new --help)");
    }
    const ScenarioNames fileNames{names->scenarioName, names->trainNumber};
    std::unique_ptr<Platform> platform = makeNativePlatform();
    PathSources fromPath;
    std::vector<std::string_view> routeLines, trainRunLines;
    std::string moved;
    if (!pathFile_.empty()) {
      try {
        running_time::RunningPath path = running_time::readRunningPath(platform->read(pathFile_, running_time::kMaxRailtoolkitFileBytes), pathFile_);
        RoundedPath rounded = roundPath(path);
        moved = roundingReport(path, rounded);
        fromPath = pathSources(rounded);
      } catch (const IoError& e) {
        return voice(err).fail(kExitIo, e.what());
      } catch (const running_time::FileError& e) {
        return voice(err).fail(kExitData, e.what());
      } catch (const std::invalid_argument& e) {
        return voice(err).fail(kExitData, pathFile_ + ": " + e.what());
      } catch (const running_time::RunError& e) {
        return voice(err).fail(kExitData, pathFile_ + ": " + e.what());
      }
      routeLines.assign(fromPath.route.begin(), fromPath.route.end());
      trainRunLines.assign(fromPath.trainRun.begin(), fromPath.trainRun.end());
    }
    const std::vector<EmbeddedText> texts = {
        {routeSourceName(fileNames), pathFile_.empty() ? starterRouteLines() : std::span<const std::string_view>(routeLines)},
        {trainRunSourceName(fileNames),
         pathFile_.empty() ? starterTrainRunLines() : std::span<const std::string_view>(trainRunLines)}};
    try {
      for (const EmbeddedText& text : texts) {
        const std::string path = platform->join(folder_, text.name);
        if (platform->exists(path)) {
          return voice(err).fail(kExitCannotCreate, path + " already exists and was kept; nothing was written");
        }
      }
      platform->createDirectories(folder_);
      writeLineTables(*platform, folder_, texts);
      for (const EmbeddedText& text : texts) {
        out << "wrote " << platform->join(folder_, text.name) << " (" << text.lines.size() << " lines)\n";
      }
    } catch (const IoError& e) {
      return voice(err).fail(kExitIo, e.what());
    }
    out << moved;
    const std::string args = shellWord(folder_) + " " + shellWord(scenario_) + " " + shellWord(train_);
    out << "next: scenario-tool check " << args << "\n"
        << "      scenario-tool compile " << args << "\n"
        << "      scenario-tool plot " << args << "\n";
    return kExitOk;
  }

 private:

  static std::string fixed(double v, int decimals) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    std::string text = buffer;
    if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-') text.erase(0, 1);  // no "-0.0"
    return text;
  }
  static std::string signedFixed(double v, int decimals) {
    std::string text = fixed(v, decimals);
    return text[0] == '-' ? text : "+" + text;
  }

  // How far the grid moved the line: its gradients, limits and height, and the default train's fastest
  // run over the real path and over the rounded one.
  static std::string roundingReport(const running_time::RunningPath& path, const RoundedPath& rounded) {
    running_time::Train train = running_time::defaultScenarioTrain(4);
    double real = running_time::fastestRun(train, running_time::lineOf(path, train.lengthM)).totalS;
    double grid = running_time::fastestRun(train, roundedLine(rounded)).totalS;
    return "path " + path.name + ": " + std::to_string(rounded.length) + " m, " + std::to_string(rounded.gradients.size()) +
           " gradient and " + std::to_string(rounded.speeds.size()) + " speed entries\n" +
           "rounding moved the line: gradient by at most " + fixed(rounded.largestGradientMove, 2) +
           " per mille, limit by at most " + fixed(rounded.largestSpeedMove, 1) + " km/h (never above the real one), height at the end by " +
           signedFixed(rounded.heightMoveAtEnd, 3) + " m\n" + "fastest run of " + train.name + ": " + fixed(grid, 1) + " s on the grid, " +
           fixed(real, 1) + " s on the real path (" + signedFixed(grid - real, 1) + " s, " +
           signedFixed((grid - real) / real * 100, 2) + " %)\n";
  }

  std::string pathFile_;
  std::string folder_;
  std::string scenario_;
  std::string train_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeNewCommand() { return std::make_unique<NewCommand>(); }

}  // namespace pack
