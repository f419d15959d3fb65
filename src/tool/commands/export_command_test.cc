// scenario-tool run in-process: export into a real temporary folder, and the command line's usage rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

namespace fs = std::filesystem;

const char* const kNames[] = {
    "Borgorosso_MontegranoC_linea.txt",
    "Borgorosso_MontegranoC_517-.txt",
    "Borgorosso_MontegranoC_517_note.txt",
    "Borgorosso_MontegranoC_517_rallentamenti.txt",
    "Borgorosso_MontegranoC_517_scheda_treno.txt",
};

using tool_testing::ToolRun;

ToolRun tool(const std::vector<std::string>& args) { return tool_testing::runToolCaptured(args); }

std::string readFile(const fs::path& path) { return tool_testing::readBytes(path); }

std::size_t lineCount(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

std::map<std::string, std::string> packTexts() { return tool_testing::embeddedTexts(); }

class ExportCommand : public testing::Test {
 protected:
  void SetUp() override {
    // Unique per run: other builds of this test may run on the same machine at the same time.
    root_ = fs::temp_directory_path() / ("scenario-tool-export-" + std::to_string(std::random_device{}()));
    fs::remove_all(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path root_;
};

TEST_F(ExportCommand, WritesTheFiveFilesAsThePackWritersDoIntoANewNestedFolder) {
  fs::path dir = root_ / "a" / "b";
  ToolRun run = tool({"export", dir.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(lineCount(run.out), std::size(kNames));

  std::map<std::string, std::string> expected = packTexts();
  for (const char* name : kNames) {
    SCOPED_TRACE(name);
    std::string bytes = readFile(dir / name);
    EXPECT_EQ(bytes, expected.at(name));
    std::string listed = "wrote " + (dir / name).string() + " (" + std::to_string(lineCount(bytes)) +
                         " lines, " + std::to_string(bytes.size()) + " bytes)\n";
    EXPECT_NE(run.out.find(listed), std::string::npos) << run.out;
  }
  std::size_t entries = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
  EXPECT_EQ(entries, std::size(kNames)) << "no temporary file may be left behind";
}

TEST_F(ExportCommand, KeepsEditedFilesUnlessForcedAndRepeatsItsBytes) {
  fs::create_directories(root_);
  ASSERT_EQ(tool({"export", root_.string()}).status, 0);
  std::map<std::string, std::string> first;
  for (const char* name : kNames) first[name] = readFile(root_ / name);
  EXPECT_EQ(first, packTexts());
  ASSERT_EQ(tool({"export", root_.string()}).status, 0) << "identical files are fine";
  for (const char* name : kNames) EXPECT_EQ(readFile(root_ / name), first[name]) << name;

  // An edited source and a removed document: nothing is written, the edit is named.
  std::string edited = first[kNames[1]] + "sabbia, 200\r\n";
  std::ofstream(root_ / kNames[1], std::ios::binary) << edited;
  fs::remove(root_ / kNames[4]);
  ToolRun refused = tool({"export", root_.string()});
  EXPECT_EQ(refused.status, 73);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(lineCount(refused.err), 1u) << refused.err;
  EXPECT_EQ(refused.err.rfind("scenario-tool export: " + (root_ / kNames[1]).string() + " differs", 0), 0u) << refused.err;
  EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
  EXPECT_EQ(readFile(root_ / kNames[1]), edited);
  EXPECT_FALSE(fs::exists(root_ / kNames[4])) << "nothing is written when one file is refused";

  // --force replaces older files entirely.
  for (const char* name : kNames) std::ofstream(root_ / name, std::ios::binary) << std::string(30000, '#');
  EXPECT_NE(tool({"export", root_.string()}).err.find("(with 4 more)"), std::string::npos);
  ASSERT_EQ(tool({"export", "--force", root_.string()}).status, 0);
  for (const char* name : kNames) EXPECT_EQ(readFile(root_ / name), first[name]) << name;
}

TEST_F(ExportCommand, AFolderThatCannotBeMadeIsOneLineAndStatus74) {
  std::ofstream(root_, std::ios::binary) << "a file where the folder should go";
  ToolRun run = tool({"export", (root_ / "sub").string()});
  EXPECT_EQ(run.status, 74);
  EXPECT_EQ(lineCount(run.err), 1u) << run.err;
  EXPECT_NE(run.err.find("cannot create folder"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST(ToolCommandLine, HelpUnknownCommandsAndBadArguments) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string outHas;  // help text goes to standard output
    std::string errHas;  // a usage error is one line on standard error
  };
  const Case cases[] = {
      {{"--help"}, 0, "export", ""},
      {{"-h"}, 0, "Exit status", ""},
      {{"export", "--help"}, 0, "DIR", ""},
      {{}, 64, "", "a command is required"},
      {{"frobnicate"}, 64, "", "unknown command \"frobnicate\""},
      {{"frobnicate", "--help"}, 64, "", "unknown command \"frobnicate\""},
      {{"--bogus"}, 64, "", "--bogus"},
      {{"export"}, 64, "", "DIR is required"},
      {{"export", "one", "two"}, 64, "", "two"},
      {{"export", "--bogus", "dir"}, 64, "", "--bogus"},
      {{"export", ""}, 64, "", "must not be empty"},
  };
  for (const Case& c : cases) {
    std::string what;
    for (const std::string& a : c.args) what += "[" + a + "]";
    SCOPED_TRACE(what);
    ToolRun run = tool(c.args);
    EXPECT_EQ(run.status, c.status);
    if (c.status == 0) {
      EXPECT_NE(run.out.find(c.outHas), std::string::npos) << run.out;
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(lineCount(run.err), 1u) << run.err;
      EXPECT_NE(run.err.find(c.errHas), std::string::npos) << run.err;
      EXPECT_EQ(run.err.rfind("scenario-tool", 0), 0u) << run.err;
    }
  }
}

}  // namespace
}  // namespace pack
