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
}

}  // namespace
}  // namespace pack
