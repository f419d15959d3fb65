#include "tool/commands/scenario_command.h"

#include <ostream>

#include "tool/commands/output_guard.h"

namespace pack {
namespace {

constexpr std::string_view kRouteSuffix = "_linea.txt";
constexpr std::string_view kTrainRunSuffix = "-.txt";
constexpr std::string_view kTableSuffix = ".sim";

// "NAME_TRAIN" + suffix split at the last underscore; nothing when the name has another form.
std::optional<std::pair<std::string, std::string>> splitNameAndTrain(std::string_view fileName,
                                                                     std::string_view suffix) {
  if (!fileName.ends_with(suffix)) return std::nullopt;
  fileName.remove_suffix(suffix.size());
  std::size_t underscore = fileName.rfind('_');
  if (underscore == std::string_view::npos || underscore == 0 || underscore + 1 == fileName.size()) {
    return std::nullopt;
  }
  return std::pair{std::string(fileName.substr(0, underscore)), std::string(fileName.substr(underscore + 1))};
}

// "A 517, A 518, B (no train run source)": every choice the folder offers, as the arguments would name it.
std::string choicesText(const ScenariosFound& found) {
  std::string text;
  for (const auto& [scenario, trains] : found) {
    if (trains.empty()) text += (text.empty() ? "" : ", ") + scenario + " (no train run source)";
    for (const std::string& train : trains) text += (text.empty() ? "" : ", ") + scenario + " " + train;
  }
  return text;
}

std::string filesWanted(ScenarioFiles kind) {
  return kind == ScenarioFiles::kSources ? "no scenario sources (SCENARIO_linea.txt and SCENARIO_TRAIN-.txt)"
                                         : "no compiled scenario (SCENARIO_TRAIN.dat and SCENARIO_TRAIN.sim)";
}

struct Names {
  std::string scenario;
  std::string train;
};

// Both names left out: the folder's one choice.
std::optional<Names> onlyChoice(const ScenarioArguments& args, const ScenariosFound& found, ScenarioFiles kind,
                                std::string& problem, int& status) {
  if (found.empty()) {
    problem = args.dir + " holds " + filesWanted(kind);
    status = kExitIo;
    return std::nullopt;
  }
  if (found.size() == 1 && found.begin()->second.size() == 1) {
    return Names{found.begin()->first, *found.begin()->second.begin()};
  }
  problem = args.dir + " holds more than one choice; name one as SCENARIO TRAIN: " + choicesText(found);
  return std::nullopt;
}

// One word: a scenario name, or a train number of the one scenario that runs it.
std::optional<Names> oneWord(const ScenarioArguments& args, const ScenariosFound& found, ScenarioFiles kind,
                             std::string& problem) {
  const std::string& word = args.scenario;
  if (auto it = found.find(word); it != found.end()) {
    if (it->second.size() == 1) return Names{word, *it->second.begin()};
    problem = it->second.empty() ? "no train run source of " + word + " in " + args.dir + "; give TRAIN as well"
                                 : "name the train of " + word + " as TRAIN: " + choicesText({*it});
    return std::nullopt;
  }
  ScenariosFound running;
  for (const auto& [scenario, trains] : found) {
    if (trains.count(word)) running[scenario] = {word};
  }
  if (running.size() == 1) return Names{running.begin()->first, word};
  if (running.empty()) {
    problem = "\"" + word + "\" is neither a scenario nor a train number in " + args.dir + ", which holds " +
              (found.empty() ? filesWanted(kind) : choicesText(found));
  } else {
    problem = "\"" + word + "\" is a train of more than one scenario; name one as SCENARIO TRAIN: " +
              choicesText(running);
  }
  return std::nullopt;
}

}  // namespace

ScenariosFound scenariosIn(const std::vector<std::string>& fileNames, ScenarioFiles kind) {
  ScenariosFound found;
  for (const std::string& name : fileNames) {
    if (kind == ScenarioFiles::kSources) {
      if (name.ends_with(kRouteSuffix) && name.size() > kRouteSuffix.size()) {
        found[name.substr(0, name.size() - kRouteSuffix.size())];
      } else if (auto parts = splitNameAndTrain(name, kTrainRunSuffix)) {
        found[parts->first].insert(parts->second);
      }
    } else if (auto parts = splitNameAndTrain(name, kTableSuffix)) {
      found[parts->first].insert(parts->second);
    }
  }
  return found;
}

std::optional<ChosenScenario> chooseScenario(FileSystem& fs, const ScenarioArguments& args, ScenarioFiles kind,
                                             std::string& problem, int& status) {
  status = kExitUsage;
  // A name given is checked before it is compared with anything or joined to the folder.
  if (!args.scenario.empty() && !checkNamePart(args.scenario, args.train.empty() ? "name" : "scenario name", problem)) {
    return std::nullopt;
  }
  if (!args.train.empty() && !checkNamePart(args.train, "train number", problem)) return std::nullopt;
  std::optional<std::vector<std::string>> files = fs.listFiles(args.dir);
  if (!files) {
    if (fs.exists(args.dir)) {
      problem = args.dir + " is a file; DIR is the folder that holds the scenario's files";
    } else {
      problem = args.dir + ": no such folder";
      status = kExitIo;
    }
    return std::nullopt;
  }
  std::optional<Names> names;
  if (args.scenario.empty()) {
    names = onlyChoice(args, scenariosIn(*files, kind), kind, problem, status);
  } else if (args.train.empty()) {
    names = oneWord(args, scenariosIn(*files, kind), kind, problem);
  } else {
    names = Names{args.scenario, args.train};
  }
  if (!names) return std::nullopt;
  std::optional<OwnedScenarioNames> checked = checkScenarioNames(names->scenario, names->train, problem);
  if (!checked) return std::nullopt;
  status = kExitOk;
  return ChosenScenario{args.dir, checked->scenarioName, checked->trainNumber,
                        names->scenario + ", train " + names->train};
}

void ScenarioCommand::addScenarioArguments(CommandLine& sub, std::string_view dirHolds) {
  sub.option("DIR", where_.dir, "Folder holding " + std::string(dirHolds)).required().notEmpty();
  scenarioOption_ = sub.option("SCENARIO", where_.scenario,
                                    "Scenario name, or a train number (default: the one scenario in DIR)");
  trainOption_ = sub.option("TRAIN", where_.train, "Train number (default: the one train of SCENARIO in DIR)");
}

std::optional<ChosenScenario> ScenarioCommand::chooseScenario(FileSystem& fs, std::ostream& err, int& status) const {
  const char* empty = scenarioOption_->given() && where_.scenario.empty() ? "the scenario name is empty"
                      : trainOption_->given() && where_.train.empty()       ? "the train number is empty"
                                                                                : nullptr;
  if (empty != nullptr) {
    status = voice(err).fail(kExitUsage, empty);
    return std::nullopt;
  }
  std::string problem;
  std::optional<ChosenScenario> chosen = pack::chooseScenario(fs, where_, kind_, problem, status);
  if (!chosen) voice(err).fail(status, problem);
  return chosen;
}

}  // namespace pack
