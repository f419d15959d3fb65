// The commands that work on one scenario in a folder (check, compile, plot, decompile, pack, serve) take
// the same arguments, DIR [SCENARIO [TRAIN]], and turn them into the scenario's names the same way:
// checked before any file name is built from them, and looked up in the folder when the author leaves
// them out.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "formats/file_names.h"
#include "platform/platform.h"
#include "tool/commands/tool_command.h"

namespace pack {

// Which files make a scenario present in a folder: the two sources, or the compiled files.
enum class ScenarioFiles { kSources, kCompiled };

struct ScenarioArguments {
  std::string dir;
  std::string scenario;  // empty: found in DIR
  std::string train;     // empty: found in DIR
};

// The scenarios a folder holds, by name, each with its train numbers (UTF-8, read from the file names).
// A route source alone gives a scenario without trains.
using ScenariosFound = std::map<std::string, std::set<std::string>>;
ScenariosFound scenariosIn(const std::vector<std::string>& fileNames, ScenarioFiles kind);

// One scenario in one folder, its names checked.
struct ChosenScenario {
  std::string dir;       // UTF-8, as given
  std::string scenario;  // code page 1252, as the compiler and the file names take them
  std::string train;
  std::string title;  // "NAME, train N" in UTF-8, for what is shown to the author
  ScenarioNames names() const { return {scenario, train}; }
};

// The scenario that `args` name. A name left out is taken from the folder when that leaves one choice;
// a single word is a scenario name or a train number, whichever the folder holds. Otherwise nothing,
// with `status` set and the reason (listing what the folder holds) said in `problem`.
std::optional<ChosenScenario> chooseScenario(FileSystem& fs, const ScenarioArguments& args, ScenarioFiles kind,
                                             std::string& problem, int& status);

class ScenarioCommand : public ToolCommand {
 protected:
  ScenarioCommand(std::string_view name, ScenarioFiles kind) : ToolCommand(name), kind_(kind) {}

  // Adds DIR [SCENARIO [TRAIN]] to the command; `dirHolds` says what DIR holds, for the help.
  void addScenarioArguments(CommandLine& sub, std::string_view dirHolds);

  // The scenario asked for, or nothing with the reason said on `err` and the exit status in `status`.
  std::optional<ChosenScenario> chooseScenario(FileSystem& fs, std::ostream& err, int& status) const;

  // The arguments as given, for a command that checks them further.
  const ScenarioArguments& scenarioArguments() const { return where_; }

 private:
  ScenarioArguments where_;
  ScenarioFiles kind_;
  // A name given empty is refused, not taken for one left out.
  std::optional<Argument> scenarioOption_;
  std::optional<Argument> trainOption_;
};

}  // namespace pack
