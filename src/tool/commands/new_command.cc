// scenario-tool new DIR NAME TRAIN: writes a small scenario's two sources under the author's names, to
// start a new scenario from something that compiles cleanly rather than from an empty page or from the
// embedded 32 km line.
#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "formats/file_names.h"
#include "platform/platform.h"
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

  CLI::App* define(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand("new", "Start a new scenario: write a small one's two sources into DIR");
    sub->footer(
        "Writes NAME_linea.txt and NAME_TRAIN-.txt into DIR (created with its parents if missing): a 5 km\n"
        "line between two stations, with curves, gradients, a mountain stretch, a speed board, a text\n"
        "board, two signals and a slow-down. It compiles without an error or a warning; change it from\n"
        "there, with 'scenario-tool formats' for what each entry means. Existing sources of that name are\n"
        "never replaced.\n"
        "Exit status: 0 done, 64 bad argument or name, 73 a source of that name is already in DIR, 74 a\n"
        "file or folder could not be written.\n"
        "More in docs/authoring.md.");
    sub->add_option("DIR", folder_, "Folder to write into")->required();
    sub->add_option("NAME", scenario_, "Name of the new scenario (its line)")->required();
    sub->add_option("TRAIN", train_, "Number of its train")->required();
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
    const std::vector<EmbeddedText> texts = {{routeSourceName(fileNames), starterRouteLines()},
                                             {trainRunSourceName(fileNames), starterTrainRunLines()}};
    std::unique_ptr<Platform> platform = makeNativePlatform();
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
    const std::string args = shellWord(folder_) + " " + shellWord(scenario_) + " " + shellWord(train_);
    out << "next: scenario-tool check " << args << "\n"
        << "      scenario-tool compile " << args << "\n"
        << "      scenario-tool plot " << args << "\n";
    return kExitOk;
  }

 private:
  std::string folder_;
  std::string scenario_;
  std::string train_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeNewCommand() { return std::make_unique<NewCommand>(); }

}  // namespace pack
