// The real program, run as a user runs it: copied alone into a folder and started from elsewhere.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "compiler/model.h"
#include "output/compiled_decoders.h"
#include "tests/support/bytes.h"

namespace fs = std::filesystem;

namespace pack {
namespace {

using test::hex;
using test::readFile;

// A folder holding a copy of the program, and another folder to start it from.
class PackProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("pack-program-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(home_ = root_ / "Scenari di prova");
    fs::create_directories(elsewhere_ = root_ / "elsewhere");
    fs::copy_file(fs::path(PACK_BIN_DIR) / "scenario-pack", home_ / "scenario-pack");
  }
  void TearDown() override { fs::remove_all(root_); }

  int run() {
    std::string command = "cd '" + elsewhere_.string() + "' && '" + (home_ / "scenario-pack").string() + "' 2>'" +
                          (root_ / "stderr.txt").string() + "'";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::map<std::string, std::string> filesAtHome() {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(home_)) {
      if (e.path().filename() != "scenario-pack") files[e.path().filename().string()] = readFile(e.path());
    }
    return files;
  }

  fs::path root_, home_, elsewhere_;
};

TEST_F(PackProgram, WritesTheScenarioIntoItsOwnFolder) {
  ASSERT_EQ(run(), 0) << readFile(root_ / "stderr.txt");
  EXPECT_EQ(readFile(root_ / "stderr.txt"), "Attendere\n");
  EXPECT_TRUE(fs::is_empty(elsewhere_));
  std::map<std::string, std::string> files = filesAtHome();
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "Borgorosso_MontegranoC_517.dat", "Borgorosso_MontegranoC_517.sim",
                       "Borgorosso_MontegranoC_517_note.txt", "Borgorosso_MontegranoC_517_rallentamenti.txt",
                       "Borgorosso_MontegranoC_517_scheda_treno.txt", "Borgorosso_MontegranoC_linea.dat"}));

  const std::string& cells = files["Borgorosso_MontegranoC_517.dat"];
  ASSERT_EQ(cells.size(), 11970u);
  EXPECT_EQ(hex(cells.substr(15 * 1, 15)), "00 01 14 E8 09 00 00 00 00 00 00 00 0F 63 64");
  EXPECT_EQ(hex(cells.substr(15 * 110, 15)), "01 28 00 00 00 00 00 03 00 00 00 00 0F 66 50");

  std::array<ScenarioRecord, kTableRows> table = decodeScenarioTable(files["Borgorosso_MontegranoC_517.sim"]);
  EXPECT_EQ(table[kRowScenario].param1, 610);
  EXPECT_EQ(table[kRowScenario].numberD, 34655);
  EXPECT_EQ(table[kRowScenario].text, "Borgorosso_MontegranoC");
  const std::string& sim = files["Borgorosso_MontegranoC_517.sim"];
  EXPECT_EQ(hex(sim.substr(sim.size() - 37)),
            "00 00 00 00 00 00 00 00 00 00 00 00 00 00 03 00 35 31 37 B4 00 00 00 10 00 38 00 00 00 "
            "00 00 00 00 00 00 00 00");

  const std::string& plan = files["Borgorosso_MontegranoC_linea.dat"];
  ASSERT_EQ(plan.size(), 796964u);
  EXPECT_EQ(hex(plan.substr(0, 8)), "02 00 00 00 02 00 00 00");
  EXPECT_EQ(hex(plan.substr(plan.size() / 2, 8)), "02 00 00 00 02 00 01 00");
}

TEST_F(PackProgram, ASecondRunReplacesEveryFileWithTheSameBytes) {
  ASSERT_EQ(run(), 0);
  std::map<std::string, std::string> first = filesAtHome();
  // An older, longer file of the same name leaves nothing of itself behind.
  std::ofstream(home_ / "Borgorosso_MontegranoC_517.dat", std::ios::binary) << std::string(50000, 'x');
  std::ofstream(home_ / "Borgorosso_MontegranoC_517_note.txt", std::ios::binary) << std::string(50000, 'x');
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(filesAtHome(), first);
}

TEST_F(PackProgram, AReadOnlyCompiledFileStopsTheRunAndStaysAsItWas) {
  fs::path cells = home_ / "Borgorosso_MontegranoC_517.dat";
  std::ofstream(cells, std::ios::binary) << "old scenario";
  fs::permissions(cells, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(run(), 2);
  EXPECT_EQ(readFile(cells), "old scenario");
  std::string message = readFile(root_ / "stderr.txt");
  EXPECT_NE(message.find("cannot replace \"" + cells.string() + "\": Permission denied"), std::string::npos)
      << message;
  for (const auto& e : fs::directory_iterator(home_)) {
    EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << "temporary file left: " << e.path();
  }
}

}  // namespace
}  // namespace pack
