// The compile driver on small sources in memory: reading, completion, reserved-slot checks, codes and
// the compiled files, in that order.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/fatal_error.h"
#include "app/form1.h"
#include "writers/embedded_tables.h"
#include "compiler/signal_completion.h"
#include "formats/file_names.h"
#include "output/compiled_decoders.h"
#include "output/compiled_files.h"
#include "platform/fake_platform.h"

namespace pack {
namespace {

// A line of 1000 m: cells 0 to 160.
constexpr const char* kRoute =
    "[generale]\r\n"
    "lunghezza percorso, 1000\r\n"
    "[curve]\r\n"
    "[fine]\r\n";

std::string trainRun(const std::string& lines) {
  return "[generale]\r\nvelocita, 0, 100\r\naderenza, 0, 90\r\n" + lines + "[fine]\r\n";
}

class Driver : public testing::Test {
 protected:
  Driver() : form_(platform_, platform_, platform_.folder) {
    form_.model.scenarioName = std::string(kScenarioName);
    form_.model.trainNumber = std::string(kTrainNumber);
  }

  std::string path(const std::string& name) { return platform_.join(platform_.folder, name); }
  ScenarioNames names() const { return {form_.model.scenarioName, form_.model.trainNumber}; }

  void writeSources(const std::string& trainRunLines) {
    platform_.fs.files[path(routeSourceName(names()))] = kRoute;
    platform_.fs.files[path(trainRunSourceName(names()))] = trainRun(trainRunLines);
  }

  void compile(bool buildPlan = false) {
    report_ = compileAndWrite(platform_, {form_.model.scenarioName, form_.model.trainNumber, platform_.folder,
                                          buildPlan, true},
                              platform_.folder, form_.model);
  }

  // The code of the fatal stop, or 0 when the compile ran to its end.
  std::int32_t compileUntilFatal() {
    compile();
    return report_.fatal;
  }

  bool hasFile(const std::string& name) { return platform_.fs.exists(path(name)); }

  std::vector<TrackCell> writtenCells() {
    return decodeTrackCells(platform_.fs.files.at(path(trackCellFileName(names()))));
  }

  FakePlatform platform_;
  Form1 form_;
  CompileReport report_;
};

std::vector<std::int32_t> markerCells(const std::vector<TrackCell>& cells) {
  std::vector<std::int32_t> found;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (cells[c].kind == kCodePoint && cells[c].value1 == kAutomaticCode)
      found.push_back(static_cast<int>(c));
  }
  return found;
}

TEST_F(Driver, CompletesTheSlowDownAndStampsTheCodesIntoTheFiles) {
  // Warning point in 17, start in 41 at 50 km/h, end in 61, signal in 66.
  writeSources("rallentamento, 2000, 50, 1000, 0, 0, 0\r\nsegnale, 3250, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0\r\n");
  compile();
  EXPECT_EQ(form_.model.errorCode, 0);
  EXPECT_EQ(report_.written,
            (std::vector<std::string>{scenarioTableFileName(names()), trackCellFileName(names())}));
  EXPECT_FALSE(hasFile(planFileName(names())));
  EXPECT_FALSE(hasFile(routeSourceName(names())));
  EXPECT_FALSE(hasFile(trainRunSourceName(names())));

  std::vector<TrackCell> cells = writtenCells();
  ASSERT_EQ(cells.size(), 161u);
  // Windows 36, 30, 23; the walk 49, 57; before the signal after the end 65.
  EXPECT_EQ(markerCells(cells), (std::vector<std::int32_t>{23, 30, 36, 49, 57, 65}));
  EXPECT_EQ(cells[1].value1, 5121);
  EXPECT_EQ(cells[1].value2, 2536);

  std::array<ScenarioRecord, kTableRows> table =
      decodeScenarioTable(platform_.fs.files.at(path(scenarioTableFileName(names()))));
  EXPECT_EQ(table[kRowScenario].param1, 610);
  EXPECT_EQ(table[kRowScenario].numberD, 34655);
  EXPECT_EQ(form_.model.currentField, "517borgorosso_montegranocaabbccddeeffgghhiillmmnnoo");
}

TEST_F(Driver, WritesThePlanFirstWhenAskedFor) {
  writeSources("");
  compile(true);
  EXPECT_EQ(report_.written,
            (std::vector<std::string>{planFileName(names()), scenarioTableFileName(names()),
                                      trackCellFileName(names())}));
}

TEST_F(Driver, AReaderErrorAfterSizingStillWritesTheFiles) {
  writeSources("velocita, 99999, 100\r\n");
  compile();
  EXPECT_EQ(form_.model.errorCode, 15);
  EXPECT_TRUE(hasFile(trackCellFileName(names())));
  EXPECT_TRUE(hasFile(scenarioTableFileName(names())));
  EXPECT_TRUE(platform_.messages.empty());
}

// A feature recorded in cell 1, the reserved cell at the start of the line.
struct CellOneCase {
  const char* what;
  std::string line;
  std::int32_t fatal;  // 0: the compile ends normally
};

void PrintTo(const CellOneCase& c, std::ostream* os) { *os << c.what; }

class DriverCellOne : public Driver, public testing::WithParamInterface<CellOneCase> {};

TEST_P(DriverCellOne, StopsBeforeAnythingIsWrittenWhenTheReservedSlotsAreTaken) {
  const CellOneCase& c = GetParam();
  const std::string oldCells = path(trackCellFileName(names()));
  platform_.fs.files[oldCells] = "an older scenario";
  writeSources(c.line);

  ASSERT_EQ(compileUntilFatal(), c.fatal);
  if (c.fatal != 0) {
    EXPECT_TRUE(report_.written.empty());
    EXPECT_EQ(platform_.fs.files[oldCells], "an older scenario");
    EXPECT_FALSE(hasFile(scenarioTableFileName(names())));
    EXPECT_FALSE(hasFile(planFileName(names())));
  } else {
    // The feature stays; its two values give way to the fixed value and the plain code.
    std::vector<TrackCell> cells = writtenCells();
    EXPECT_NE(cells[1].kind, kFree);
    EXPECT_EQ(cells[1].value1, 5121);
    EXPECT_EQ(cells[1].value2, 2536);
  }
  // The reader has deleted both sources whatever followed.
  EXPECT_FALSE(hasFile(routeSourceName(names())));
  EXPECT_FALSE(hasFile(trainRunSourceName(names())));
}

INSTANTIATE_TEST_SUITE_P(
    Features, DriverCellOne,
    testing::Values(
        // A signal at 0 would stand in cell 1 too, but its approach marks would fall before the line and
        // the reader refuses it; code points and slow-downs reach cell 1 from the sources.
        CellOneCase{"CodePointWithACodeAt50", "abbattimento, 50, 7\r\n", 1250},
        CellOneCase{"CodePointWithoutACodeAt50", "abbattimento, 50, 0\r\n", 0},
        // A slow-down from 0 at speed 0: value1 stays 0 but its d_v value takes the code slot.
        CellOneCase{"SlowDownAt0WithAValueInTheCodeSlot", "rallentamento, 0, 0, 500, 0, 0, 5\r\n", 1251},
        // The slow-down starts in cell 21; its farthest window is cells 3, 2, 1, and code points hold 3
        // and 2.
        CellOneCase{
            "AutomaticCodePointInCell1",
            "abbattimento, 100, 0\r\nabbattimento, 150, 0\r\nrallentamento, 1000, 110, 200, 0, 0, 0\r\n",
            1250}),
    [](const testing::TestParamInfo<CellOneCase>& info) { return std::string(info.param.what); });

TEST_F(Driver, WithoutARouteSourceStopsWithTheReadersCodeAndWritesNothing) {
  platform_.fs.files[path(trainRunSourceName(names()))] = trainRun("");
  EXPECT_EQ(compileUntilFatal(), 101);
  EXPECT_EQ(report_.error.code, 101);
  EXPECT_EQ(report_.error.source, path(routeSourceName(names())));
  EXPECT_EQ(report_.error.line, 0u);
  EXPECT_FALSE(hasFile(trackCellFileName(names())));
  EXPECT_FALSE(hasFile(scenarioTableFileName(names())));
}

// The program shows the fatal stop as " Errore n. " and its code, and nothing else.
TEST_F(Driver, TheProgramsFatalStopIsErroreAndTheCode) {
  writeSources("abbattimento, 50, 7\r\n");
  std::int32_t option = 0;
  try {
    form_.memorizza_percorso(option);
    ADD_FAILURE() << "no fatal stop";
  } catch (const FatalError& e) {
    EXPECT_EQ(e.code(), 1250);
    EXPECT_EQ(std::string(e.what()), " Errore n. 1250");
  }
}

// The reader recorded 18 for a slow-down start on a taken cell; the later check of cell 1 stops the
// compile. The report keeps both: the recorded error is what the author must fix.
TEST_F(Driver, AFatalStopKeepsTheRecordedError) {
  writeSources("abbattimento, 50, 7\r\nrallentamento, 1000, 50, 100, 0, 0, 0\r\n"
               "rallentamento, 1000, 50, 100, 0, 0, 0\r\n");
  EXPECT_EQ(compileUntilFatal(), 1250);
  EXPECT_EQ(report_.error.code, 18);
  EXPECT_EQ(report_.error.position, 1000);
  EXPECT_EQ(report_.error.source, path(trainRunSourceName(names())));
  EXPECT_EQ(report_.error.line, 6u);
  EXPECT_TRUE(report_.written.empty());
}

TEST_F(Driver, ErrorsOfTheCompletionBelongToNoSource) {
  // A slow-down start in cell 10 with code points in cells 3 to 5: its window 5-7 cells before it is full.
  writeSources("abbattimento, 150, 1\r\nabbattimento, 200, 1\r\nabbattimento, 250, 1\r\n"
               "rallentamento, 450, 110, 100, 0, 0, 0\r\n");
  compile();
  EXPECT_EQ(report_.error.code, 12);
  EXPECT_TRUE(report_.error.source.empty());
  EXPECT_EQ(report_.error.line, 0u);
  EXPECT_EQ(report_.fatal, 0);
}

}  // namespace
}  // namespace pack
