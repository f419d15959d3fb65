// The timetable of the embedded scenario as a golden text, a terminus one minute after the start, and the
// runtime command on the published paths and on a broken train file.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "output/compiled_decoders.h"
#include "tool/commands/tool_test_support.h"
#include "running_time/scenario_timetable.h"
#include "tool/describe/timetable_findings.h"

namespace pack {
namespace {

using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;

const std::string kSource = PACK_SOURCE_DIR;

// The embedded scenario's sources in `dir`, with `edit` applied to the train run, compiled there.
void compiledScenario(const TempFolder& dir, const std::string& from = "", const std::string& to = "") {
  for (const auto& [name, text] : tool_testing::embeddedTexts()) {
    std::string bytes = text;
    if (name == tool_testing::kTrain && !from.empty()) {
      std::size_t at = bytes.find(from);
      ASSERT_NE(at, std::string::npos);
      bytes.replace(at, from.size(), to);
    }
    tool_testing::writeBytes(dir.path() / name, bytes);
  }
  ASSERT_EQ(runToolCaptured({"compile", dir.str()}).status, 0);
}

TEST(TimetableCommand, EmbeddedScenarioMatchesItsGoldenText) {
  TempFolder dir;
  compiledScenario(dir);
  tool_testing::ToolRun run = runToolCaptured({"timetable", dir.str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, readBytes(kSource + "/tests/data/running_time/embedded_timetable.txt")) << run.out;
}

TEST(TimetableCommand, TerminusOneMinuteAfterTheStartCannotBeKept) {
  TempFolder dir;
  compiledScenario(dir, "17,27, 0, MONTEGRANO", "16,58, 0, MONTEGRANO");
  tool_testing::ToolRun run = runToolCaptured({"timetable", dir.str(), "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  nlohmann::json sections = nlohmann::json::parse(run.out)["sections"];
  const nlohmann::json& whole = sections.back();
  EXPECT_EQ(whole["from"], "BORGOROSSO");
  EXPECT_EQ(whole["to"], "MONTEGRANO C.");
  EXPECT_EQ(whole["scheduled_s"], 60);
  EXPECT_EQ(whole["verdict"], "impossible");

  std::string cells = readBytes(dir.path() / "Borgorosso_MontegranoC_517.dat");
  std::string table = readBytes(dir.path() / "Borgorosso_MontegranoC_517.sim");
  std::string plan = readBytes(dir.path() / "Borgorosso_MontegranoC_linea.dat");
  std::vector<TimetableFinding> findings =
      timetableFindings(decodeTrackCells(cells), decodeScenarioTable(table), decodePlan(plan));
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].id, FindingId::kSectionCannotBeKept);
  EXPECT_EQ(findings[0].toRow, 4);
  double minimum = whole["minimum_s"];
  EXPECT_EQ(findings[0].message, "MONTEGRANO C. at 16:58:00 is 0:01:00 after BORGOROSSO; the train needs at least " +
                                     running_time::clockText(std::ceil(minimum)));
}

TEST(RuntimeCommand, PrintsThePublishedRunAndRefusesABrokenTrain) {
  tool_testing::ToolRun run = runToolCaptured({"runtime", "--train", kSource + "/trains/local.yaml", "--path",
                                               kSource + "/tests/data/running_time/const.yaml", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  nlohmann::json j = nlohmann::json::parse(run.out);
  EXPECT_NEAR(j["total_s"].get<double>(), 391.6152532734451, 0.2);
  EXPECT_EQ(j["points"].size(), 7u);
  EXPECT_EQ(j["points"][2]["s_m"], 3333.3 + 41.7);

  TempFolder dir;
  std::string broken = readBytes(kSource + "/trains/local.yaml");
  std::size_t at = broken.find("[10.0, 80000.0]");
  ASSERT_NE(at, std::string::npos);
  broken.replace(at, 15, "[10.0, lots]");
  tool_testing::writeBytes(dir.path() / "broken.yaml", broken);
  int line = 1 + static_cast<int>(std::count(broken.begin(), broken.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
  run = runToolCaptured({"runtime", "--train", (dir.path() / "broken.yaml").string(), "--path",
                         kSource + "/tests/data/running_time/const.yaml"});
  EXPECT_EQ(run.status, 65);
  EXPECT_NE(run.err.find("broken.yaml:" + std::to_string(line) + ":"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("tractive_effort[10] effort: must be a number, not \"lots\""), std::string::npos) << run.err;
}

}  // namespace
}  // namespace pack
