// Code points and stations, through whole readings of train run sources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/error_codes.h"
#include "compiler/runtime_failure.h"
#include "compiler/train_run_test_support.h"

namespace pack {
namespace {

using namespace test;

TEST(TrainRunCodePoints, StandInTheCellOfTheirPosition) {
  const LineCase cases[] = {
      {"a code of 180", {"abbattimento, 1000, 180"}, {{20, codePoint(180)}}},
      {"a code of 0 places a point without a code", {"abbattimento, 1000, 0"}, {{20, bareCodePoint()}}},
      {"so does a negative code", {"abbattimento, 1025, -4"}, {{20, bareCodePoint()}}},
      {"1075 m rounds to cell 22", {"abbattimento, 1075, 1"}, {{22, codePoint(1)}}},
      {"the code wraps on 16 bits", {"abbattimento, 1000, 70000"}, {{20, codePoint(4464)}}},
      {"cell 0", {"abbattimento, 0, 7"}, {{0, codePoint(7)}}},
      {"a taken cell: 7", {"abbattimento, 1000, 5", "abbattimento, 1010, 6"}, {{20, codePoint(5)}}, 7, 1010},
      {"a negative position", {"abbattimento, -1, 5"}, {}, 15, -1},
      {"beyond the track", {"abbattimento, 39751, 5"}, {}, 15, 39751},
  };
  for (const LineCase& k : cases) expectLines(k);
}

struct StationCase {
  const char* what;
  std::vector<std::string> lines;
  std::vector<ScenarioRecord> rows;  // rows 1 upward; the row after them stays empty
  CellList cells;
  std::int32_t code = 0;
  std::int32_t position = kUntouched;
};

TEST(TrainRunStations, FillTheirRowsMarksAndStopPoints) {
  ScenarioRecord sassocandido = plainRow(22, 9600, 9950, 9750, 1, 0);
  sassocandido.param3 = 4;
  sassocandido.param4 = 1;
  sassocandido.param5 = 1;
  sassocandido.text = "SASSOCANDIDO";
  ScenarioRecord wrapped = plainRow(30, 5000, 5000, 5000);
  wrapped.numberD = 2160000000 - 4294967296;  // (600000 x 60 + 0) x 60 wraps on 32 bits
  ScenarioRecord cutName = firstTerminusRow();
  cutName.text = "BORGO";
  ScenarioRecord withExtension = firstTerminusRow();
  withExtension.numberB = 350;  // the first station's flags are cleared only after the platform is laid

  const StationCase cases[] = {
      {"the written first terminus: marks 81 to 83 in cells 4 to 2, the stop point in cell 5",
       {kFirstTerminus},
       {firstTerminusRow()},
       kFirstTerminusCells},
      {"a station in capitals",
       {"STAZIONE,       0, 12,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  16,57, 0, BORGOROSSO"},
       {firstTerminusRow()},
       kFirstTerminusCells},
      {"the first station's extension flag still lengthens its platform",
       {"stazione, 0, 12, 600, 1, 1, 1, 4,1,0, 2,1,1, 1, 16,57,0, BORGOROSSO"},
       {withExtension},
       {{2, mark(84)}, {3, mark(83)}, {4, mark(82)}, {5, mark(81)}, {6, stop(1)}}},
      {"a 300 m platform at 9750 with the extension flag: 9600 to 9950, attribute B cleared",
       {kFirstTerminus,
        "stazione,    9750, 22,  300,  0, 1, 1,  0,0,0,  4,1,1,    0,   0, 0, 0, SASSOCANDIDO"},
       {firstTerminusRow(), sassocandido},
       withFirstTerminus(
           {{194, mark(84)}, {195, mark(83)}, {196, mark(82)}, {197, mark(81)}, {198, stop(2)}})},
      {"attribute B kept from 600 m on, after the first station",
       {kFirstTerminus, plainStation("5000", "22", "600", "0, 1, 1")},
       {firstTerminusRow(), plainRow(22, 4700, 5350, 5000, 1, 1)},
       withFirstTerminus(
           {{102, mark(84)}, {103, mark(83)}, {104, mark(82)}, {105, mark(81)}, {106, stop(2)}})},
      {"types 5 and 6 run from S - Lp to S + 150, with a stop point but no marks",
       {kFirstTerminus, plainStation("5000", "5", "400", "0, 1, 1"), plainStation("9000", "6", "400")},
       {firstTerminusRow(), plainRow(5, 4600, 5150, 5000), plainRow(6, 8600, 9150, 9000)},
       withFirstTerminus({{102, stop(2)}, {182, stop(3)}})},
      {"types 7 and 8 run from S - Lp to S + Lp",
       {kFirstTerminus, plainStation("5000", "7", "400", "0, 0, 1"), plainStation("9000", "8", "400")},
       {firstTerminusRow(), plainRow(7, 4600, 5400, 5000), plainRow(8, 8600, 9400, 9000)},
       withFirstTerminus({{103, mark(84)},
                          {104, mark(83)},
                          {105, mark(82)},
                          {106, mark(81)},
                          {107, stop(2)},
                          {183, mark(84)},
                          {184, mark(83)},
                          {185, mark(82)},
                          {186, mark(81)},
                          {187, stop(3)}})},
      {"type 24 is laid on the track, type 25 only in the table",
       {kFirstTerminus, plainStation("5000", "24", "200"), plainStation("9000", "25", "200", "0, 0, 1")},
       {firstTerminusRow(), plainRow(24, 4900, 5100, 5000), plainRow(25, 8900, 9150, 9000, 1)},
       withFirstTerminus({{97, mark(84)}, {98, mark(83)}, {99, mark(82)}, {100, mark(81)}, {101, stop(2)}})},
      {"the scheduled time wraps on 32 bits",
       {"stazione, 5000, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, 600000,0,0, NOME"},
       {wrapped},
       {}},
      {"a name with a comma keeps the text before it; the rest is a key field",
       {"stazione, 0, 12, 600, 1, 0, 0, 4,1,0, 2,1,1, 1, 16,57, 0, BORGO, ROSSO", "sabbia, 3"},
       {cutName},
       kFirstTerminusCells},
      {"platforms 350 m apart are accepted",
       {kFirstTerminus, plainStation("800", "30", "300")},
       {firstTerminusRow(), plainRow(30, 650, 950, 800)},
       kFirstTerminusCells},

      {"beyond the track: 15, after only the position was stored",
       {plainStation("39100", "12", "600")},
       {positionOnly(39100)},
       {},
       15,
       39100},
      {"the last position the track allows",
       {plainStation("39050", "30", "600")},
       {plainRow(30, 38750, 39350, 39050)},
       {}},
      {"a negative position", {plainStation("-50", "30", "0")}, {positionOnly(-50)}, {}, 15, -50},
      {"a stop point beyond the last cell: 15, before any mark is written",
       {plainStation("39000", "12", "2000")},
       {plainRow(12, 38000, 40000, 39000)},
       {},
       15,
       39000},
      {"a position off the 50 m grid: 8",
       {plainStation("125", "12", "600")},
       {positionOnly(125)},
       {},
       8,
       125},
      {"a platform length off the 100 m grid: 9",
       {plainStation("1000", "12", "250")},
       {positionOnly(1000, 12)},
       {},
       9,
       1000},
      {"a platform end not beyond 100 m: 24, no position",
       {plainStation("100", "12", "0")},
       {plainRow(12, 100, 100, 100)},
       {},
       24},
      {"a platform end at 150 m is enough",
       {plainStation("150", "12", "0")},
       {plainRow(12, 150, 150, 150)},
       {{2, stop(1)}}},
      {"too close to the previous platform: 22, after its own marks and stop point",
       {kFirstTerminus, plainStation("750", "22", "300")},
       {firstTerminusRow(), plainRow(22, 600, 900, 750)},
       withFirstTerminus({{13, mark(84)}, {14, mark(83)}, {15, mark(82)}, {16, mark(81)}, {17, stop(2)}}),
       22,
       750},

      {"order: 15 before 8 and 9",
       {plainStation("39125", "12", "650")},
       {positionOnly(39125)},
       {},
       15,
       39125},
      {"order: 8 before 9", {plainStation("125", "12", "650")}, {positionOnly(125)}, {}, 8, 125},
      {"order: 9 before 24", {plainStation("0", "12", "50")}, {positionOnly(0, 12)}, {}, 9, 0},
      {"order: 24 before 22",
       {kFirstTerminus, plainStation("0", "12", "0")},
       {firstTerminusRow(), plainRow(12, 0, 0, 0)},
       kFirstTerminusCells,
       24},
  };
  for (const StationCase& k : cases) {
    SCOPED_TRACE(k.what);
    Compile c(trainRun(k.lines));
    EXPECT_EQ(c.model.errorCode, k.code);
    EXPECT_EQ(c.model.errorPosition, k.position);
    for (std::size_t i = 0; i <= k.rows.size(); ++i) {
      const ScenarioRecord expected = i < k.rows.size() ? k.rows[i] : ScenarioRecord{};
      EXPECT_EQ(describe(c.row(static_cast<int>(i) + 1)), describe(expected)) << "row " << i + 1;
    }
    EXPECT_EQ(featureCells(c.model), featureCells(k.cells));
    expectTrainRunDeletedOnce(c);
  }
}

// The text boards of the route take rows from 80 downward; the stations stop below the lowest of them.
TEST(TrainRunStations, TheStationAtTheBoardsRowIsRecordedAndRefused) {
  std::vector<std::string> boards;
  for (int k = 0; k < 27; ++k)
    boards.push_back("cartello_indicatore, " + std::to_string(1000 + 100 * k) + ", (F)");
  for (int stations : {51, 52}) {
    SCOPED_TRACE(stations);
    std::vector<std::string> lines;
    for (int k = 0; k < stations; ++k) lines.push_back(plainStation(std::to_string(400 * k), "30", "0"));
    lines.push_back("sabbia, 5");
    Compile c(trainRun(lines), route({}, boards));
    EXPECT_EQ(c.row(54).text, "(F)");  // the lowest board row
    EXPECT_EQ(c.row(53).text, "");
    EXPECT_EQ(c.row(stations).numberC, 400 * (stations - 1));
    EXPECT_EQ(c.row(stations).text, "NOME");
    if (stations == 51) {
      EXPECT_EQ(c.model.errorCode, 0);
      EXPECT_EQ(c.row(kRowRun).param1, 5);
    } else {
      EXPECT_EQ(c.model.errorCode, 10);
      EXPECT_EQ(c.model.errorPosition, kUntouched);
      EXPECT_EQ(c.row(kRowRun).param1, 0);
    }
    expectTrainRunDeletedOnce(c);
  }
}

}  // namespace
}  // namespace pack
