// `scenario-tool decompile` end to end on real folders: the embedded scenario's compiled files come back
// as sources that `scenario-tool compile` turns into the same bytes.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/file_names.h"
#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;
using tool_testing::writeBytes;

const ScenarioNames kNames{"Borgorosso_MontegranoC", "517"};

class DecompileCommand : public testing::Test {
 protected:
  std::filesystem::path at(const std::string& folder, const std::string& name) { return temp_.path() / folder / name; }
  std::string folder(const std::string& name) { return (temp_.path() / name).string(); }

  // The embedded scenario's sources in "src", compiled into "bin".
  void compileEmbedded(bool plan = true) {
    ASSERT_EQ(runToolCaptured({"export", folder("src")}).status, 0);
    std::vector<std::string> args = {"compile", folder("src"), "-o", folder("bin")};
    if (!plan) args.push_back("--no-plan");
    ASSERT_EQ(runToolCaptured(args).status, 0);
  }

  void expectSameFile(const std::string& name) {
    std::string want = readBytes(at("bin", name));
    ASSERT_FALSE(want.empty()) << name;
    EXPECT_TRUE(want == readBytes(at("re", name))) << name << " differs after the round trip";
  }

  TempFolder temp_;
};

TEST_F(DecompileCommand, TheEmbeddedScenarioRecompilesByteForByte) {
  compileEmbedded();
  tool_testing::ToolRun run = runToolCaptured({"decompile", folder("bin"), "-o", folder("dec")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("same three files, byte for byte"), std::string::npos) << run.out;
  EXPECT_TRUE(run.err.empty()) << run.err;

  ASSERT_EQ(runToolCaptured({"compile", folder("dec"), "-o", folder("re")}).status, 0);
  expectSameFile(planFileName(kNames));
  expectSameFile(scenarioTableFileName(kNames));
  expectSameFile(trackCellFileName(kNames));

  // Laid out like the embedded sources: CR LF line ends, sections in the written order.
  std::string route = readBytes(at("dec", routeSourceName(kNames)));
  EXPECT_NE(route.find("\r\n[curve]\r\ncurvad5, "), std::string::npos);
  EXPECT_NE(route.find("cartello_indicatore, "), std::string::npos);
  EXPECT_TRUE(route.ends_with("[fine]\r\n"));
  std::string trainRun = readBytes(at("dec", trainRunSourceName(kNames)));
  EXPECT_NE(trainRun.find("BORGOROSSO\r\n"), std::string::npos);

  // The tool's own output passes its own strictest check: a joined mountain stretch is written with a
  // plain type, not the 3 the compile gives it.
  tool_testing::ToolRun check = runToolCaptured({"check", "--strict", folder("dec")});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
}

TEST_F(DecompileCommand, WithoutThePlanTheRouteHasNoCurvesAndCompilesWithoutIt) {
  compileEmbedded(false);
  tool_testing::ToolRun run = runToolCaptured({"decompile", folder("bin"), "-o", folder("dec")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("without curves"), std::string::npos) << run.out;
  EXPECT_EQ(readBytes(at("dec", routeSourceName(kNames))).find("curva"), std::string::npos);

  ASSERT_EQ(runToolCaptured({"compile", folder("dec"), "-o", folder("re"), "--no-plan"}).status, 0);
  expectSameFile(scenarioTableFileName(kNames));
  expectSameFile(trackCellFileName(kNames));
}

TEST_F(DecompileCommand, NeverReplacesASourceUnlessForced) {
  compileEmbedded();
  writeBytes(at("bin", routeSourceName(kNames)), "mine\r\n");
  tool_testing::ToolRun run = runToolCaptured({"decompile", folder("bin")});
  EXPECT_EQ(run.status, 74);
  EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
  EXPECT_EQ(readBytes(at("bin", routeSourceName(kNames))), "mine\r\n");
  EXPECT_FALSE(std::filesystem::exists(at("bin", trainRunSourceName(kNames))));

  EXPECT_EQ(runToolCaptured({"decompile", folder("bin"), "--force"}).status, 0);
  EXPECT_NE(readBytes(at("bin", routeSourceName(kNames))), "mine\r\n");
}

TEST_F(DecompileCommand, ACellNoSourceGivesIsNamedAndTheBestSourcesAreWritten) {
  compileEmbedded();
  std::string cells = readBytes(at("bin", trackCellFileName(kNames)));
  cells[15 * 300] = 7;  // cell 300 gets a kind no feature has
  writeBytes(at("bin", trackCellFileName(kNames)), cells);
  tool_testing::ToolRun run = runToolCaptured({"decompile", folder("bin"), "-o", folder("dec")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cell 300: kind 7 cannot be explained"), std::string::npos) << run.err;
  std::string route = readBytes(at("dec", routeSourceName(kNames)));
  EXPECT_NE(route.find("-- not explained: cell 300"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(at("dec", trainRunSourceName(kNames))));
}

TEST_F(DecompileCommand, AFileThatIsNotACompiledFileIsRefusedWithItsOffset) {
  compileEmbedded();
  std::string cells = readBytes(at("bin", trackCellFileName(kNames)));
  writeBytes(at("bin", trackCellFileName(kNames)), cells.substr(0, cells.size() - 4));
  tool_testing::ToolRun run = runToolCaptured({"decompile", folder("bin"), "-o", folder("dec")});
  EXPECT_EQ(run.status, 65);
  EXPECT_NE(run.err.find("not a compiled file: offset 11955"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(at("dec", routeSourceName(kNames))));
}

TEST_F(DecompileCommand, MissingFilesAndBadNamesAreReported) {
  std::filesystem::create_directories(temp_.path() / "empty");
  tool_testing::ToolRun missing = runToolCaptured({"decompile", folder("empty")});
  EXPECT_EQ(missing.status, 74);
  EXPECT_EQ(missing.err, "scenario-tool decompile: " + folder("empty") +
                             " holds no compiled scenario (SCENARIO_TRAIN.dat and SCENARIO_TRAIN.sim)\n");
  EXPECT_EQ(runToolCaptured({"decompile", folder("empty"), "../x"}).status, 64);
}

}  // namespace
}  // namespace pack
