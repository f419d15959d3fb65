#include "formats/file_names.h"

#include <gtest/gtest.h>

namespace pack {
namespace {

// Names are built in code page 1252 and given to the file system in UTF-8.
TEST(FileNames, EveryFileIsNamedFromTheScenarioAndTheTrain) {
  const ScenarioNames n{"Citt\xE0", "9"};
  EXPECT_EQ(routeSourceName(n), "Citt\xC3\xA0_linea.txt");
  EXPECT_EQ(trainRunSourceName(n), "Citt\xC3\xA0_9-.txt");
  EXPECT_EQ(timetableName(n), "Citt\xC3\xA0_9_scheda_treno.txt");
  EXPECT_EQ(slowDownOrderName(n), "Citt\xC3\xA0_9_rallentamenti.txt");
  EXPECT_EQ(notesName(n), "Citt\xC3\xA0_9_note.txt");
  EXPECT_EQ(planFileName(n), "Citt\xC3\xA0_linea.dat");
  EXPECT_EQ(scenarioTableFileName(n), "Citt\xC3\xA0_9.sim");
  EXPECT_EQ(trackCellFileName(n), "Citt\xC3\xA0_9.dat");
  EXPECT_EQ(plotName(n), "Citt\xC3\xA0_9.svg");
  EXPECT_EQ(plotPageName(n), "Citt\xC3\xA0_9.html");
}

const std::string kDevice = ", which Windows keeps for a device";

struct NameCase {
  const char* scenario;
  const char* train;
  std::string problem;  // empty: accepted
};

// Every file name is built from the two names, so a name must not lead out of the folder, name a device
// Windows keeps, or hold what the file system or the simulator's code page cannot.
TEST(ScenarioNameRule, RefusesWhatCouldNotStandInEveryFileName) {
  const NameCase cases[] = {
      {"Valdoro", "2291", ""},
      {"Citt\xC3\xA0_Alta", "9A", ""},
      {"CON", "1", ""},          // CON_linea.txt is an ordinary file
      {"Aux-Bassa", "1", ""},
      {"COM10.x", "1", ""},      // only one digit makes a device
      {"", "1", "scenario name is empty"},
      {"Valdoro", "", "train number is empty"},
      {"../Valdoro", "1", "scenario name \"../Valdoro\" contains a path separator"},
      {"Val..doro", "1", "scenario name \"Val..doro\" contains \"..\""},
      {"Valdoro", "2\\1", "train number \"2\\1\" contains a path separator"},
      {"Val\tdoro", "1", "scenario name contains a control character"},
      {"Valdoro", "1\xC2\x81", "train number contains a control character"},
      {"Val:doro", "1", "scenario name \"Val:doro\" contains a character that cannot stand in a file name"},
      {"Valdoro", "\xE2\x82\xAC\xE2\x98\x83",
       "train number \"\xE2\x82\xAC\xE2\x98\x83\" contains a character that code page 1252 cannot hold"},
      {"CON.x", "1", std::string("scenario name \"CON.x\" gives the file name \"CON.x_linea.txt\"") + kDevice},
      {"nul .a", "1", std::string("scenario name \"nul .a\" gives the file name \"nul .a_linea.txt\"") + kDevice},
      {"Lpt7.b", "1", std::string("scenario name \"Lpt7.b\" gives the file name \"Lpt7.b_linea.txt\"") + kDevice},
      {"COM\xC2\xB9.c", "1",
       std::string("scenario name \"COM\xC2\xB9.c\" gives the file name \"COM\xC2\xB9.c_linea.txt\"") + kDevice},
  };
  for (const NameCase& c : cases) {
    std::string problem;
    auto names = checkScenarioNames(c.scenario, c.train, problem);
    EXPECT_EQ(problem, c.problem) << c.scenario << " / " << c.train;
    EXPECT_EQ(names.has_value(), problem.empty()) << c.scenario;
  }
  std::string problem;
  auto names = checkScenarioNames("Citt\xC3\xA0", "9", problem);
  ASSERT_TRUE(names);
  EXPECT_EQ(names->scenarioName, "Citt\xE0");  // code page 1252, as the model holds it
  EXPECT_EQ(names->trainNumber, "9");
}

TEST(ScenarioNameRule, DeviceNamesAreTheBaseBeforeTheFirstDotInAnyCase) {
  for (const char* name : {"CON", "con.txt", "Prn.x.y", "AUX  .txt", "nul", "COM0.dat", "lpt9", "CONIN$.a",
                           "conout$", "LPT\xC2\xB3.txt"}) {
    EXPECT_TRUE(isReservedDeviceName(name)) << name;
  }
  for (const char* name : {"CON_linea.txt", "CONSOLE.txt", "COM.txt", "COM10", "LPTx.txt", " NUL.txt", "x.CON",
                           "", "COM\xC2\xB4.txt"}) {
    EXPECT_FALSE(isReservedDeviceName(name)) << name;
  }
}

}  // namespace
}  // namespace pack
