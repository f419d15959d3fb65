// The real program, run as a user runs it: copied alone into a folder and started from elsewhere.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "app/form1.h"
#include "compiler/model.h"
#include "formats/file_names.h"
#include "output/compiled_decoders.h"
#include "output/compiled_files.h"
#include "output/pack_payload.h"
#include "writers/embedded_tables.h"
#include "platform/fake_platform.h"
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

// The embedded scenario's texts under the names of another scenario, and what compiling them gives.
struct Carried {
  PackPayload payload;
  std::map<std::string, std::string> files;  // what the pack should leave in its folder
};

Carried carriedScenario() {
  FakePlatform texts;
  Form1 form(texts, texts, texts.folder);
  form.setEmbeddedNames();
  form.writeTexts();
  const ScenarioNames from{kScenarioName, kTrainNumber};
  const ScenarioNames to{"Val d'Oro", "88"};
  auto text = [&](const std::string& name) { return texts.fs.files.at(texts.join(texts.folder, name)); };
  Carried c;
  c.payload = {std::string(to.scenarioName), std::string(to.trainNumber), {{slowDownOrderName(to),
               text(slowDownOrderName(from))}}, text(routeSourceName(from)), text(trainRunSourceName(from))};
  FakePlatform compiled;
  compiled.fs.files["/pack/" + routeSourceName(to)] = c.payload.routeSource;
  compiled.fs.files["/pack/" + trainRunSourceName(to)] = c.payload.trainRunSource;
  Model model;
  compileAndWrite(compiled, {"Val d'Oro", "88", "/pack", true, true}, "/pack", model);
  for (const auto& [path, bytes] : compiled.fs.files) c.files[path.substr(6)] = bytes;
  c.files[slowDownOrderName(to)] = text(slowDownOrderName(from));
  return c;
}

// The program as built holds its payload slot once; the tool, which carries the same library, never.
TEST(PackTemplate, OnlyThePackProgramHoldsThePayloadSlot) {
  std::string packProgram = readFile(fs::path(PACK_BIN_DIR) / "scenario-pack");
  std::size_t at = packProgram.find(payloadSlotMarker());
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(packProgram.find(payloadSlotMarker(), at + 1), std::string::npos);
  EXPECT_EQ(hex(packProgram.substr(at + kPayloadSlotMarkerSize, 4)), "00 00 00 00");
  fs::path tool = fs::path(PACK_BIN_DIR) / "scenario-tool";
  if (fs::exists(tool)) {
    EXPECT_EQ(readFile(tool).find(payloadSlotMarker()), std::string::npos);
  }
}

class CarryingPackProgram : public PackProgram {
 protected:
  void carry(const std::string& program) {
    fs::path exe = home_ / "scenario-pack";
    std::ofstream(exe, std::ios::binary | std::ios::trunc) << program;
    fs::permissions(exe, fs::perms::owner_all);
  }
  std::string packed(const PackPayload& payload) {
    return attachPayload(readFile(fs::path(PACK_BIN_DIR) / "scenario-pack"), payload);
  }
};

TEST_F(CarryingPackProgram, WritesTheCarriedScenarioAsItsCompileGivesIt) {
  Carried c = carriedScenario();
  carry(packed(c.payload));
  ASSERT_EQ(run(), 0) << readFile(root_ / "stderr.txt");
  EXPECT_EQ(readFile(root_ / "stderr.txt"), "Attendere\n");
  EXPECT_TRUE(fs::is_empty(elsewhere_));
  std::map<std::string, std::string> files = filesAtHome();
  EXPECT_EQ(files.size(), 4u);  // the document and the three compiled files; the sources deleted
  EXPECT_TRUE(files == c.files);
  EXPECT_EQ(decodeScenarioTable(files["Val d'Oro_88.sim"])[kRowScenario].text, "Val d'Oro");
}

TEST_F(CarryingPackProgram, ADamagedPayloadShowsWhyWritesNothingAndEndsWithThree) {
  const PackPayload payload = carriedScenario().payload;
  const std::string good = packed(payload);
  const std::size_t half = encodePayload(payload).size() / 2;
  struct Case {
    const char* what;
    std::string program;
    const char* reason;
  };
  std::string flipped = good;
  flipped[good.size() - half] ^= 1;
  std::string otherVersion = good;
  otherVersion[good.size() - 12] = 9;
  const Case cases[] = {
      {"a flipped bit", flipped, "its checksum does not match"},
      {"its last byte missing", good.substr(0, good.size() - 1), "damaged or cut short"},
      {"half of it missing", good.substr(0, good.size() - half), "damaged or cut short"},
      {"another version", otherVersion, "made for format version 9"},
  };
  for (const Case& c : cases) {
    carry(c.program);
    EXPECT_EQ(run(), 3) << c.what;
    std::string message = readFile(root_ / "stderr.txt");
    EXPECT_TRUE(message.starts_with("the scenario this program carries cannot be used: ")) << message;
    EXPECT_NE(message.find(c.reason), std::string::npos) << c.what << ": " << message;
    EXPECT_TRUE(filesAtHome().empty()) << c.what;
  }
}

}  // namespace
}  // namespace pack
