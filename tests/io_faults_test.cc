// File-system faults met by the real programs: each ends with a message that names the operation, the
// path and the reason, leaves every older file as it was and no temporary file behind.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "app/form1.h"
#include "platform/fake_platform.h"
#include "tests/support/bytes.h"

namespace fs = std::filesystem;

namespace pack {
namespace {

using test::readFile;

const char* const kCompiled[] = {"Borgorosso_MontegranoC_linea.dat", "Borgorosso_MontegranoC_517.sim",
                                 "Borgorosso_MontegranoC_517.dat"};

bool canDropPrivileges() { return ::geteuid() == 0 && std::system("command -v setpriv >/dev/null 2>&1") == 0; }

class IoFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("io-faults-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(home_ = root_ / "pack");
    fs::permissions(root_, fs::perms::all);  // reachable by an unprivileged user too
  }
  void TearDown() override {
    if (mounted_) ::umount(home_.c_str());
    fs::remove_all(root_);
  }

  void installPack() {
    fs::copy_file(fs::path(PACK_BIN_DIR) / "scenario-pack", home_ / "scenario-pack");
    fs::permissions(home_ / "scenario-pack", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                                 fs::perms::others_read | fs::perms::others_exec);
  }

  // Older compiled files the run must not touch.
  void placeOlderScenario() {
    for (const char* name : kCompiled) {
      if (!fs::exists(home_ / name)) std::ofstream(home_ / name, std::ios::binary) << "older " << name;
    }
  }

  void expectOlderScenario() {
    for (const char* name : kCompiled) {
      if (fs::is_regular_file(home_ / name)) {
        EXPECT_EQ(readFile(home_ / name), std::string("older ") + name);
      }
    }
  }

  void expectNoTemporaryFile() {
    for (const auto& e : fs::directory_iterator(home_)) {
      EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
  }

  // Runs a command from the test's root; returns its exit status, standard error in err_.
  int run(const std::string& command, bool unprivileged = false) {
    std::string prefix = unprivileged ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    std::string line = "cd '" + root_.string() + "' && " + prefix + command + " 2>'" + (root_ / "err").string() + "'";
    int status = std::system(line.c_str());
    err_ = readFile(root_ / "err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path root_, home_;
  std::string err_;
  bool mounted_ = false;
};

TEST_F(IoFaults, AFolderThatCannotBeWrittenEndsTheRunFirstThing) {
  if (!canDropPrivileges()) GTEST_SKIP() << "needs root and setpriv to run as an unprivileged user";
  installPack();
  placeOlderScenario();
  fs::permissions(home_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
  EXPECT_EQ(run("'" + (home_ / "scenario-pack").string() + "'", true), 2);
  EXPECT_NE(err_.find("cannot create \"" + (home_ / "Borgorosso_MontegranoC_linea.txt").string() +
                      "\": Permission denied"),
            std::string::npos)
      << err_;
  expectOlderScenario();
  expectNoTemporaryFile();
}

TEST_F(IoFaults, ADirectoryWhereAnOutputFileGoes) {
  installPack();
  placeOlderScenario();
  fs::remove(home_ / kCompiled[1]);
  fs::create_directory(home_ / kCompiled[1]);
  EXPECT_EQ(run("'" + (home_ / "scenario-pack").string() + "'"), 2);
  EXPECT_NE(err_.find("cannot replace \"" + (home_ / kCompiled[1]).string() + "\": Is a directory"), std::string::npos)
      << err_;
  EXPECT_TRUE(fs::is_directory(home_ / kCompiled[1]));
  expectOlderScenario();  // the plan written before the table was not put in place either
  expectNoTemporaryFile();
}

TEST_F(IoFaults, ADiskThatFillsUpDuringAWrite) {
  // A small file system holding the program, the texts and the older scenario, but not the new plan.
  std::uintmax_t size = fs::file_size(fs::path(PACK_BIN_DIR) / "scenario-pack") + 400 * 1024;
  std::string options = "size=" + std::to_string((size + 4095) / 4096 * 4096);
  if (::mount("tmpfs", home_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    GTEST_SKIP() << "cannot mount a small file system here";
  }
  mounted_ = true;
  installPack();
  placeOlderScenario();
  EXPECT_EQ(run("'" + (home_ / "scenario-pack").string() + "'"), 2);
  EXPECT_NE(err_.find("cannot write \"" + (home_ / kCompiled[0]).string() + "\": No space left on device"),
            std::string::npos)
      << err_;
  expectOlderScenario();
  expectNoTemporaryFile();
  EXPECT_TRUE(fs::exists(home_ / "Borgorosso_MontegranoC_517_note.txt"));  // written before the fault, complete
}

TEST_F(IoFaults, ASourceThatCannotBeReadByTheTool) {
  if (!canDropPrivileges()) GTEST_SKIP() << "needs root and setpriv to run as an unprivileged user";
  std::string tool = "'" + (fs::path(PACK_BIN_DIR) / "scenario-tool").string() + "'";
  ASSERT_EQ(run(tool + " export '" + home_.string() + "'"), 0) << err_;
  fs::permissions(home_, fs::perms::all);
  fs::path route = home_ / "Borgorosso_MontegranoC_linea.txt";
  fs::permissions(route, fs::perms::none);
  EXPECT_EQ(run(tool + " compile '" + home_.string() + "'", true), 74);
  EXPECT_EQ(err_, "scenario-tool compile: cannot open \"" + route.string() + "\": Permission denied\n");
  EXPECT_TRUE(fs::exists(route));
  for (const char* name : kCompiled) EXPECT_FALSE(fs::exists(home_ / name)) << name;
}

TEST(IoFaultsInMemory, ASourceThatCannotBeReadByThePack) {
  FakePlatform p;
  p.fs.unreadable.insert("/pack/Borgorosso_MontegranoC_517-.txt");
  p.fs.files["/pack/Borgorosso_MontegranoC_517.dat"] = "older";
  EXPECT_EQ(runPack(p), 2);
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(p.messages[0], "cannot read \"/pack/Borgorosso_MontegranoC_517-.txt\": Input/output error");
  EXPECT_EQ(p.fs.files["/pack/Borgorosso_MontegranoC_517.dat"], "older");
}

}  // namespace
}  // namespace pack
