// scenario-tool new: the starter scenario is clean for check, compile and plot under any valid names,
// and never replaces an author's file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

namespace fs = std::filesystem;
using tool_testing::ToolRun;

ToolRun tool(const std::vector<std::string>& args) { return tool_testing::runToolCaptured(args); }

class NewCommand : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("scenario-tool-new-" + std::to_string(std::random_device{}()));
    fs::remove_all(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path root_;
};

// The next commands are printed to be pasted: a name with a blank or a quote is quoted for the shell.
TEST_F(NewCommand, TheNextCommandsCanBePasted) {
#ifndef _WIN32
  const fs::path dir = root_ / "my lines";
  ToolRun made = tool({"new", dir.string(), "Val Bruna", "8812"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_NE(made.out.find("next: scenario-tool check '" + dir.string() + "' 'Val Bruna' 8812\n"), std::string::npos)
      << made.out;
  ToolRun quoted = tool({"new", (root_ / "o").string(), "Sant'Elia", "1"});
  ASSERT_EQ(quoted.status, 0) << quoted.err;
  EXPECT_NE(quoted.out.find(" 'Sant'\\''Elia' 1\n"), std::string::npos) << quoted.out;
#endif
}

TEST_F(NewCommand, TheStarterChecksCleanCompilesAndPlots) {
  const fs::path dir = root_ / "lines" / "first";
  ToolRun made = tool({"new", dir.string(), "Valchiusa_Pratoverde", "2041"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_NE(made.out.find("next: scenario-tool check " + dir.string() + " Valchiusa_Pratoverde 2041"),
            std::string::npos) << made.out;
  for (const char* name : {"Valchiusa_Pratoverde_linea.txt", "Valchiusa_Pratoverde_2041-.txt"}) {
    const std::string bytes = tool_testing::readBytes(dir / name);
    ASSERT_FALSE(bytes.empty()) << name;
    EXPECT_TRUE(bytes.starts_with("[generale]\r\n")) << name;
    EXPECT_TRUE(bytes.ends_with("[fine]\r\n")) << name;
    std::size_t lineFeeds = 0, crlf = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      lineFeeds += bytes[i] == '\n';
      crlf += bytes[i] == '\n' && i > 0 && bytes[i - 1] == '\r';
    }
    EXPECT_EQ(crlf, lineFeeds) << name << ": every line ends in CR LF";
  }

  ToolRun checked = tool({"check", "--strict", dir.string(), "Valchiusa_Pratoverde", "2041"});
  EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
  EXPECT_NE(checked.out.find("0 errors, 0 warnings"), std::string::npos) << checked.out;
  ToolRun compiled = tool({"compile", dir.string(), "Valchiusa_Pratoverde", "2041"});
  EXPECT_EQ(compiled.status, 0) << compiled.out << compiled.err;
  ToolRun plotted = tool({"plot", dir.string(), "Valchiusa_Pratoverde", "2041"});
  EXPECT_EQ(plotted.status, 0) << plotted.out << plotted.err;
  EXPECT_TRUE(fs::exists(dir / "Valchiusa_Pratoverde_2041.svg"));
}

TEST_F(NewCommand, RefusesWhatItCannotDoAndKeepsEveryFile) {
  fs::create_directories(root_);
  std::ofstream(root_ / "Kept_7-.txt", std::ios::binary) << "an author's train run\r\n";
  std::ofstream(root_ / "blocked", std::ios::binary) << "a file where a folder should go";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string errHas;
  };
  const Case cases[] = {
      {{"new", root_.string(), "Kept", "7"}, 73, "Kept_7-.txt already exists"},
      {{"new", root_.string(), "a/b", "7"}, 64, "scenario-tool new: "},
      {{"new", root_.string(), "CON.x", "7"}, 64, "scenario-tool new: "},
      {{"new", "", "Fine", "7"}, 64, "DIR must not be empty"},
      {{"new", root_.string(), "Fine"}, 64, "TRAIN"},
      {{"new", (root_ / "blocked" / "sub").string(), "Fine", "7"}, 74, "scenario-tool new: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.size() > 2 ? c.args[2] : c.args[1]);
    ToolRun run = tool(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.errHas), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(tool_testing::readBytes(root_ / "Kept_7-.txt"), "an author's train run\r\n");
  EXPECT_FALSE(fs::exists(root_ / "Kept_linea.txt")) << "nothing is written when one source is there";
  EXPECT_FALSE(fs::exists(root_ / "Fine_linea.txt"));
}

// The whole way: a scenario made from each of the published paths, checked, compiled and timed with the
// published runs' model and trains, against their published totals.
TEST_F(NewCommand, ScenariosFromThePublishedPathsRunInThePublishedTimes) {
  struct Published {
    const char* train;
    const char* path;
    double totalS;
  };
  const Published published[] = {
      {"local", "const", 391.6152532734451},        {"local", "slope", 395.5151496271005},
      {"longdistance", "const", 330.7461710917806}, {"longdistance", "slope", 331.608618035596},
      {"freight", "const", 745.0704270565875},      {"freight", "slope", 840.8168602923618},
  };
  const std::string source = PACK_SOURCE_DIR;
  for (const char* path : {"const", "slope"}) {
    const std::string dir = (root_ / path).string();
    ToolRun made = tool({"new", dir, "Percorso", "1", "--from-path", source + "/tests/data/running_time/" + path + ".yaml"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find("rounding moved the line: gradient by at most 0.00 per mille, limit by at most 0.0 km/h"),
              std::string::npos) << made.out;
    ToolRun checked = tool({"check", "--strict", dir, "Percorso", "1"});
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    ASSERT_EQ(tool({"compile", dir, "Percorso", "1"}).status, 0);
    for (const Published& p : published) {
      if (std::string(p.path) != path) continue;
      SCOPED_TRACE(std::string(p.train) + " on " + path);
      ToolRun timed = tool({"timetable", dir, "--train", source + "/trains/" + p.train + ".yaml", "--reference-model", "--json"});
      ASSERT_EQ(timed.status, 0) << timed.err;
      nlohmann::json sections = nlohmann::json::parse(timed.out)["sections"];
      ASSERT_EQ(sections.size(), 1u);
      EXPECT_DOUBLE_EQ(sections[0]["distance_m"].get<double>(), 10000);
      EXPECT_NEAR(sections[0]["minimum_s"].get<double>(), p.totalS, p.totalS * 0.0005);
    }
  }
}

}  // namespace
}  // namespace pack
