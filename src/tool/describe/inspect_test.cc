// scenario-tool inspect on the compiled embedded scenario and on damaged copies of its files.
#include <algorithm>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "output/compiled_decoders.h"
#include "tool/describe/inspect.h"
#include "tool/describe/json_text.h"
#include "tool/describe/scenario_facts.h"
#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

namespace fs = std::filesystem;
using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;
using tool_testing::writeBytes;

constexpr const char* kPlan = "Borgorosso_MontegranoC_linea.dat";
constexpr const char* kTable = "Borgorosso_MontegranoC_517.sim";
constexpr const char* kCells = "Borgorosso_MontegranoC_517.dat";

class Inspect : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(runToolCaptured({"export", folder_.str()}).status, 0);
    ASSERT_EQ(runToolCaptured({"compile", folder_.str()}).status, 0);
  }

  std::string file(const std::string& name) const { return (folder_.path() / name).string(); }

  // The text line that begins with `prefix`, or the whole output when none does.
  static std::string lineOf(const std::string& out, const std::string& prefix) {
    std::size_t at = out.find(prefix);
    if (at == std::string::npos) return out;
    return out.substr(at, out.find('\n', at) - at);
  }

  TempFolder folder_;
};

TEST(InspectWords, KilometrePostsAndClockTimes) {
  const std::pair<std::int64_t, const char*> posts[] = {
      {100050, "100+050"}, {100000, "100+000"}, {160950, "160+950"}, {0, "0+000"}, {-1500, "-1+500"}, {999, "0+999"}};
  for (const auto& [metres, text] : posts) EXPECT_EQ(kilometrePostText(metres), text) << metres;
  EXPECT_EQ(clockText(61020), "16:57:00");
  EXPECT_EQ(clockText(90000), "25:00:00");
  EXPECT_EQ(boardKilometre("(Cippo     )(Km 151+997)"), 151997);
  EXPECT_EQ(boardKilometre("(Cippo  )(157+622)"), std::nullopt);
  EXPECT_EQ(boardKilometre("(Galleria  )(m 275)"), std::nullopt);
}

TEST_F(Inspect, TableRowsByTheirMeaning) {
  tool_testing::ToolRun run = runToolCaptured({"inspect", "--strict", file(kTable)});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::pair<const char*, const char*> expected[] = {
      {"row  1", "station 1 \"BORGOROSSO\": type 12, at 0 m, platform -300 to 300 m, due 16:57:00"},
      {"row  2", "no time"},
      {"row 80", "text board text \"(F)\""},
      {"row 81", "at 0 m the line's count is 160+950 (flag 1"},
      {"row 82", "unused"},
      {"row 84", "braked mass 105 %, route length 32850 m, 8 coaches"},
      {"row 85", "the compiler's identification, not from any entry: the fixed value 610 and the code 34655 of "
                 "the train number and scenario name"},
      {"row 86", "run of train \"517\": signal repetition off; sand 180; clock at the start 16:56:00"},
  };
  for (const auto& [row, words] : expected) {
    EXPECT_NE(lineOf(run.out, row).find(words), std::string::npos) << lineOf(run.out, row);
  }
  EXPECT_EQ(run.out.find("row  0"), std::string::npos);
  EXPECT_EQ(run.out.find("row 10"), std::string::npos);  // an empty row between stations and boards

  nlohmann::json rows = nlohmann::json::parse(runToolCaptured({"inspect", "--json", file(kTable)}).out)["rows"];
  EXPECT_EQ(rows[0]["role"], "station");
  EXPECT_EQ(rows[0]["time"], "16:57:00");
  // Each field under the name the reference gives the value it keeps, the value as stored.
  const std::map<int, std::map<std::string, int>> named = {
      {1, {{"type", 12}, {"position", 0}, {"platform start", -300}, {"platform end", 300}, {"attribute A", 1},
           {"attribute C", 4}, {"attribute I", 1}, {"time in seconds of the day", 61020}}},
      {81, {{"position", 0}, {"kilometre-post value", 160950}, {"flag", 1}}},
      {84, {{"braked-mass percentage", 105}, {"route length", 32850}, {"coaches", 8}}},
      {85, {{"identification fixed value", 610}, {"identification code", 34655}}},
      {86, {{"sand", 180}, {"clock hours", 16}, {"clock minutes", 56}, {"first position", 0}}},
  };
  for (const nlohmann::json& row : rows) {
    if (row["row"] == 81) {
      EXPECT_EQ(row["kilometrePost"], "160+950");
    }
    auto wanted = named.find(row["row"].get<int>());
    if (wanted == named.end()) continue;
    for (const auto& [name, value] : wanted->second) EXPECT_EQ(row[name], value) << row["row"] << " " << name;
    EXPECT_FALSE(row.contains("numberA")) << row["row"];
  }
}

TEST_F(Inspect, CellsInRealUnitsWithOneCellCount) {
  tool_testing::ToolRun run = runToolCaptured({"inspect", "--strict", file(kCells)});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.out.starts_with("798 cells (0 to 797)")) << lineOf(run.out, "");
  const std::pair<const char*, const char*> expected[] = {
      {"cell     1", "the compiler's identification, not from any entry: the fixed value 5121 and the code 2536"},
      {"cell     4", "approach to a station stop point, step 1"},
      {"cell     5", "stop point of station row 1 \"BORGOROSSO\""},
      {"cell    15", "text board, text in row 80: \"(F)\""},
      {"cell   108", "approach to a signal (left warning, right none), step 1"},
      {"cell   110", "signal: left warning, right none, placed at 5450 m, digits left 400 right 000  |  75 km/h, +2 per mille"},
      {"cell   320", "speed board: 65/65/65 km/h"},
      {"cell   560", "left protection, right none, placed at 27950 m, digits left 310 right 000, time 245"},
      {"cell   604", "mountain marker; mountain type 2"},
      {"cell   795", "0 km/h, no gradient, adhesion 0 %"},
  };
  for (const auto& [cell, words] : expected) {
    EXPECT_NE(lineOf(run.out, cell).find(words), std::string::npos) << lineOf(run.out, cell);
  }

  nlohmann::json j = nlohmann::json::parse(runToolCaptured({"inspect", "--json", "--all", file(kCells)}).out);
  EXPECT_EQ(j["cellCount"], 798);
  EXPECT_EQ(j["lastCell"], 797);
  EXPECT_EQ(j["cells"].size(), 798u);
  EXPECT_EQ(j["cells"][110]["signal"]["placedAt"], 5450);
  EXPECT_EQ(j["cells"][320]["speedKmh"], 75);
  EXPECT_EQ(j["problems"].size(), 0u);
}

// The cells' JSON is written a cell at a time, byte for byte the text of the whole object: with every cell,
// with the listed ones, with none listed, with problems and without the scenario table's names.
TEST_F(Inspect, TheCellsJsonWrittenAsItIsMadeIsTheWholeObjectsText) {
  std::vector<TrackCell> cells = decodeTrackCells(readBytes(file(kCells)));
  ScenarioTable table = decodeScenarioTable(readBytes(file(kTable)));
  std::vector<TrackCell> unlisted(3);
  std::vector<TrackCell> odd = cells;
  odd[7].speedLimit = 255;
  struct Case {
    const std::vector<TrackCell>* cells;
    bool all;
    const ScenarioTable* table;
  };
  for (const Case& c : {Case{&cells, true, &table}, Case{&cells, false, &table}, Case{&cells, false, nullptr},
                        Case{&unlisted, false, nullptr}, Case{&odd, false, &table}}) {
    nlohmann::json whole = cellsJson(*c.cells, c.all, c.table);
    whole["problems"] = problemsJson(checkCells(*c.cells));
    std::ostringstream streamed;
    writeCellsJson(*c.cells, c.all, c.table, streamed);
    EXPECT_EQ(streamed.str(), jsonText(whole) + "\n") << c.cells->size() << " cells, all " << c.all;
  }
}

// Options that belong to another kind of file, and bad --every values, are one-line usage errors.
TEST_F(Inspect, OptionsThatDoNotApplyAreRefused) {
  struct Case {
    std::vector<std::string> args;
    const char* words;
  };
  const Case cases[] = {
      {{"--all", file(kTable)}, "--all lists every track cell"},
      {{"--all", file(kPlan)}, "--all lists every track cell"},
      {{"--every", "10", file(kCells)}, "--every lists metres of a plan"},
      {{"--every", "10", file(kTable)}, "--every lists metres of a plan"},
      {{"--every", "0", file(kPlan)}, "from 1 up, not \"0\""},
      {{"--every", "-5", file(kPlan)}, "not \"-5\""},
      {{"--every", "ten", file(kPlan)}, "not \"ten\""},
      {{"--every", "99999999999999999999999", file(kPlan)}, "from 1 up"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"inspect"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    tool_testing::ToolRun run = runToolCaptured(args);
    EXPECT_EQ(run.status, 64) << c.words;
    EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

TEST_F(Inspect, EmptyCutAndForeignFilesAreReported) {
  std::string cells = readBytes(file(kCells));
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> options;
    int status;
    const char* words;
  };
  std::string random(15 * 40, '\0');
  for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 2654435761u) >> 13);
  std::string table = readBytes(file(kTable));
  std::string tableWrongCode = table;
  // Row 85's numberD is the last field of the row before row 86's 37 bytes.
  tableWrongCode[table.size() - 37 - 4] ^= 1;
  std::string plan = readBytes(file(kPlan));
  const Case cases[] = {
      {"x.dat", "", {}, 65, "empty file"},
      {"x.sim", "", {}, 65, "empty file"},
      {"x_linea.dat", "", {}, 65, "empty file"},
      {"x.dat", cells.substr(0, 100), {}, 65, "cut short"},
      {"x.dat", cells.substr(0, cells.size() - 1), {"--json", "--all"}, 65, "cut short (14 of 15 bytes)"},
      {"x.sim", table.substr(0, table.size() - 1), {}, 65, "file ends inside numberD"},
      {"x.sim", table.substr(0, 100), {"--json"}, 65, "offset 94: file ends inside text"},
      {"x_linea.dat", plan.substr(0, plan.size() - 3), {}, 65, "file ends inside element tag"},
      {"x_linea.dat", plan.substr(0, plan.size() / 2), {"--every", "1"}, 65, "offset "},
      {"x.dat", random, {}, 0, "not the marker 5121"},
      {"x.dat", random, {"--strict"}, 1, "not the marker 5121"},
      {"x.sim", tableWrongCode, {}, 0, "weighted scenario code"},
      {"x.sim", tableWrongCode, {"--strict"}, 1, "weighted scenario code"},
      {"x_linea.dat", std::string("\x05\x00", 2) + std::string(8, '\0') + std::string("\x02\x00\x00\x00", 4),
       {"--strict"}, 1, "metre 0: the plan starts with the integers"},
  };
  for (const Case& c : cases) {
    writeBytes(folder_.path() / c.name, c.bytes);
    std::vector<std::string> args = {"inspect"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(file(c.name));
    tool_testing::ToolRun run = runToolCaptured(args);
    EXPECT_EQ(run.status, c.status) << c.name << " " << c.words << "\n" << run.err;
    EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
    if (c.status == 65) {  // one line saying what and where, and nothing half shown
      EXPECT_EQ(run.err.rfind("scenario-tool inspect: " + file(c.name) + ": ", 0), 0u) << run.err;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
      EXPECT_EQ(run.out, "") << c.name;
    }
  }
}

// The plan is listed as it is read; the listing holds every metre with the decoder's values.
TEST_F(Inspect, PlanListingsMatchTheDecodedPlan) {
  std::vector<PlanPoint> plan = decodePlan(readBytes(file(kPlan)));
  nlohmann::json j = nlohmann::json::parse(runToolCaptured({"inspect", "--json", "--every", "1", file(kPlan)}).out);
  ASSERT_EQ(j["list"].size(), plan.size());
  EXPECT_EQ(j["metres"], 39851);
  EXPECT_EQ(j["points"], 39849);
  EXPECT_EQ(j["problems"].size(), 0u);
  for (std::size_t m : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{30300}, std::size_t{39848}}) {
    EXPECT_EQ(j["list"][m]["metre"], m);
    EXPECT_EQ(j["list"][m]["x"].get<double>(), plan[m].x.value) << m;
    EXPECT_EQ(j["list"][m]["y"].get<double>(), plan[m].y.value) << m;
  }
  EXPECT_TRUE(j["list"][39850]["x"].is_null());

  tool_testing::ToolRun text = runToolCaptured({"inspect", "--every", "10000", file(kPlan)});
  EXPECT_NE(text.out.find("metre 0  x 0.000000000  y 0.000000000\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("metre 10000  x "), std::string::npos) << text.out;
  EXPECT_EQ(text.out.find("metre 5000 "), std::string::npos);
}

}  // namespace
}  // namespace pack
