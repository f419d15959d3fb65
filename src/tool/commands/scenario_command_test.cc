// How DIR [SCENARIO [TRAIN]] become a scenario's names: the folder is looked at when a name is left out.
#include "tool/commands/scenario_command.h"

#include <gtest/gtest.h>

#include "platform/memory_file_system.h"

namespace pack {
namespace {

TEST(ScenariosIn, ReadsTheScenariosAndTrainsFromTheFileNames) {
  std::vector<std::string> names = {"A_b_linea.txt", "A_b_517-.txt", "A_b_518-.txt", "A_b_517_note.txt",
                                    "C_linea.txt",   "D_9-.txt",     "A_b_517.sim",  "A_b_linea.dat",
                                    "E_3.sim",       "_linea.txt",   "x-.txt",       "notes.txt"};
  EXPECT_EQ(scenariosIn(names, ScenarioFiles::kSources),
            (ScenariosFound{{"A_b", {"517", "518"}}, {"C", {}}, {"D", {"9"}}}));
  EXPECT_EQ(scenariosIn(names, ScenarioFiles::kCompiled), (ScenariosFound{{"A_b", {"517"}}, {"E", {"3"}}}));
}

TEST(ChooseScenario, TheFolderSettlesWhatTheArgumentsLeaveOut) {
  struct Case {
    const char* name;
    std::vector<std::string> files;  // in the folder "d"
    ScenarioArguments args;
    const char* scenario;  // chosen, or nothing
    const char* train;
    int status;
    const char* problem;  // part of the reason given
  } cases[] = {
      {"the one scenario", {"S_linea.txt", "S_517-.txt"}, {"d", "", ""}, "S", "517", 0, ""},
      {"a train number alone is not a scenario name", {"S_linea.txt", "S_517-.txt", "S_518-.txt"},
       {"d", "518", ""}, "S", "518", 0, ""},
      {"a scenario name alone with its one train", {"S_linea.txt", "S_517-.txt", "T_linea.txt", "T_1-.txt"},
       {"d", "T", ""}, "T", "1", 0, ""},
      {"both named: taken as given", {"S_linea.txt"}, {"d", "S", "9"}, "S", "9", 0, ""},
      {"another scenario than the embedded one", {"Val_linea.txt", "Val_3-.txt"}, {"d", "", ""}, "Val", "3", 0, ""},
      {"two choices are listed", {"S_linea.txt", "S_517-.txt", "S_518-.txt"}, {"d", "", ""}, nullptr, nullptr, 64,
       "name one as SCENARIO TRAIN: S 517, S 518"},
      {"a scenario with two trains", {"S_linea.txt", "S_517-.txt", "S_518-.txt"}, {"d", "S", ""}, nullptr, nullptr,
       64, "name the train of S as TRAIN: S 517, S 518"},
      {"a train of two scenarios", {"S_7-.txt", "T_7-.txt"}, {"d", "7", ""}, nullptr, nullptr, 64,
       "a train of more than one scenario; name one as SCENARIO TRAIN: S 7, T 7"},
      {"a word the folder does not hold", {"S_linea.txt", "S_517-.txt"}, {"d", "518", ""}, nullptr, nullptr, 64,
       "\"518\" is neither a scenario nor a train number in d, which holds S 517"},
      {"a route without a train run source", {"S_linea.txt"}, {"d", "", ""}, nullptr, nullptr, 64,
       "S (no train run source)"},
      {"a route without a train run source, named", {"S_linea.txt"}, {"d", "S", ""}, nullptr, nullptr, 64,
       "no train run source of S in d; give TRAIN as well"},
      {"an empty folder", {}, {"d", "", ""}, nullptr, nullptr, 74, "d holds no scenario sources"},
      {"a missing folder", {}, {"nowhere", "", ""}, nullptr, nullptr, 74, "nowhere: no such folder"},
      {"a file for a folder", {"S_linea.txt"}, {"d/S_linea.txt", "", ""}, nullptr, nullptr, 64, "is a file"},
      {"a hostile name before any look", {"S_linea.txt", "S_1-.txt"}, {"d", "../S", ""}, nullptr, nullptr, 64,
       "contains a path separator"},
      {"a hostile train", {"S_linea.txt", "S_1-.txt"}, {"d", "S", "1:2"}, nullptr, nullptr, 64,
       "cannot stand in a file name"},
      {"a device name found in the folder", {"CON.x_linea.txt", "CON.x_1-.txt"}, {"d", "", ""}, nullptr, nullptr, 64,
       "which Windows keeps for a device"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem fs;
    fs.directories.insert("d");
    for (const std::string& file : c.files) fs.files["d/" + file] = "x";
    std::string problem;
    int status = -1;
    std::optional<ChosenScenario> chosen = chooseScenario(fs, c.args, ScenarioFiles::kSources, problem, status);
    EXPECT_EQ(status, c.status);
    if (c.scenario) {
      ASSERT_TRUE(chosen) << problem;
      EXPECT_EQ(chosen->scenario, c.scenario);
      EXPECT_EQ(chosen->train, c.train);
      EXPECT_EQ(chosen->dir, c.args.dir);
    } else {
      EXPECT_FALSE(chosen);
      EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
  }
}

// The memory file system lists as the disk does: the files right in the folder, nothing for no folder.
TEST(MemoryFileSystem, ListsTheFilesRightInAFolder) {
  MemoryFileSystem fs;
  fs.files = {{"d/a", "1"}, {"d/b/c", "2"}, {"dd/e", "3"}};
  fs.directories.insert("empty");
  EXPECT_EQ(fs.listFiles("d"), (std::vector<std::string>{"a"}));
  EXPECT_EQ(fs.listFiles("d/b"), (std::vector<std::string>{"c"}));
  EXPECT_EQ(fs.listFiles("empty"), std::vector<std::string>{});
  EXPECT_FALSE(fs.listFiles("d/a"));
  EXPECT_FALSE(fs.listFiles("nowhere"));
}

}  // namespace
}  // namespace pack
