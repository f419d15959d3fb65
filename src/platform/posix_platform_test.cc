// The POSIX file layer in a folder someone else may write to: temporary files that nothing planted can
// redirect, permissions kept, nothing left behind, only regular files read, and a folder's files listed.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "output/file_writer.h"
#include "platform/platform.h"
#include "platform/temporary_files.h"
#include "tests/support/bytes.h"

namespace fs = std::filesystem;

namespace pack {
namespace {

using test::readFile;

// The random parts a test's writes will draw, known in advance: 1, 2, 3...
std::uint64_t counter = 0;
std::uint64_t nextCount() { return ++counter; }

class PosixFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("posix-files-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    counter = 0;
  }
  void TearDown() override {
    setTemporaryRandomSource(nullptr);
    fs::remove_all(root_);
  }

  std::string path(const std::string& name) const { return (root_ / name).string(); }
  std::string temporary(std::uint64_t random) const {
    return path(temporaryName(static_cast<std::uint64_t>(::getpid()), random));
  }
  void put(const std::string& name, const std::string& bytes) { std::ofstream(root_ / name, std::ios::binary) << bytes; }
  void write(const std::string& target, const std::string& bytes) {
    writeFile(*platform_, target, [&](BinaryWriter& out) { out.bytes(bytes); });
  }
  std::vector<std::string> temporariesLeft() const {
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(root_)) {
      if (temporaryOwner(e.path().filename().string())) left.push_back(e.path().filename().string());
    }
    return left;
  }

  fs::path root_;
  std::unique_ptr<Platform> platform_ = makeNativePlatform();
};

TEST_F(PosixFiles, ALinkPlantedAtEveryTemporaryNameIsNeverWrittenThrough) {
  put("victim", "the victim's bytes");
  setTemporaryRandomSource(nextCount);
  // Every name the write may try, for the file and for the older file kept aside.
  for (std::uint64_t i = 1; i <= kTemporaryNameAttempts - 1; ++i) fs::create_symlink(root_ / "victim", temporary(i));
  put("target", "older");
  writeFileSet(*platform_, {{path("target"), [](BinaryWriter& out) { out.bytes("newer"); }}});
  EXPECT_EQ(readFile(root_ / "target"), "newer");
  EXPECT_EQ(readFile(root_ / "victim"), "the victim's bytes");
  for (std::uint64_t i = 1; i <= kTemporaryNameAttempts - 1; ++i) EXPECT_TRUE(fs::is_symlink(temporary(i))) << i;
}

TEST_F(PosixFiles, LinksAtAllTheNamesTriedRefuseTheWriteAndLeaveEverythingAsItWas) {
  put("victim", "the victim's bytes");
  put("target", "older");
  setTemporaryRandomSource(nextCount);
  for (std::uint64_t i = 1; i <= kTemporaryNameAttempts; ++i) fs::create_symlink(root_ / "victim", temporary(i));
  try {
    write(path("target"), "newer");
    FAIL() << "the write went through";
  } catch (const IoError& e) {
    EXPECT_EQ(e.path(), path("target"));
    EXPECT_EQ(e.reason(), "no free name for a temporary file beside it");
  }
  EXPECT_EQ(readFile(root_ / "target"), "older");
  EXPECT_EQ(readFile(root_ / "victim"), "the victim's bytes");
}

TEST_F(PosixFiles, ALinkAtTheTargetIsReplacedNotFollowed) {
  put("victim", "the victim's bytes");
  fs::create_symlink(root_ / "victim", root_ / "target");
  write(path("target"), "newer");
  EXPECT_FALSE(fs::is_symlink(root_ / "target"));
  EXPECT_EQ(readFile(root_ / "target"), "newer");
  EXPECT_EQ(readFile(root_ / "victim"), "the victim's bytes");
}

TEST_F(PosixFiles, TheNewFileKeepsTheOlderOnesPermissions) {
  put("private", "older");
  ::chmod(path("private").c_str(), 0600);
  put("shared", "older");
  ::chmod(path("shared").c_str(), 0664);
  write(path("private"), "newer");
  write(path("shared"), "newer");
  struct stat st;
  ASSERT_EQ(::stat(path("private").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  ASSERT_EQ(::stat(path("shared").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
}

TEST_F(PosixFiles, ATargetWhoseNameIsAsLongAsNamesMayBeIsWritten) {
  std::string name(255, 'n');
  write(path(name), "bytes");
  EXPECT_EQ(readFile(root_ / name), "bytes");
  EXPECT_TRUE(temporariesLeft().empty());
}

TEST_F(PosixFiles, TemporariesOfARunThatIsGoneAreSweptOthersStay) {
  // A child that has ended is a process that is gone; this process runs.
  pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  std::string stale = temporaryName(static_cast<std::uint64_t>(child), 7);
  std::string live = temporaryName(static_cast<std::uint64_t>(::getppid()), 7);
  put(stale, "left by a killed run");
  put(live, "being written by a running one");
  put(".scenario-notes.tmp", "not a temporary of ours");
  write(path("target"), "bytes");
  EXPECT_FALSE(fs::exists(root_ / stale));
  EXPECT_TRUE(fs::exists(root_ / live));
  EXPECT_TRUE(fs::exists(root_ / ".scenario-notes.tmp"));
}

TEST_F(PosixFiles, ATerminatedWriterLeavesNoTemporary) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    pid_t child = ::fork();
    if (child == 0) {
      std::unique_ptr<Platform> platform = makeNativePlatform();
      std::unique_ptr<OutputFile> file = platform->create(path("target"));
      file->write(reinterpret_cast<const std::uint8_t*>("half"), 4);
      ::raise(signal);
      ::_exit(0);  // not reached: the signal ends the process
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << signal;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_TRUE(temporariesLeft().empty()) << signal;
    EXPECT_FALSE(fs::exists(root_ / "target"));
  }
}

// What stands where a file is read, and the one line that refuses it, before anything is waited for.
TEST_F(PosixFiles, OnlyRegularFilesAreReadAndOnlyUpToTheLimit) {
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  fs::create_directory(root_ / "folder");
  fs::create_symlink("/dev/zero", root_ / "device");
  fs::create_symlink(root_ / "fifo", root_ / "link");
  put("large", std::string(2000, 'x'));
  struct Case {
    const char* name;
    std::uint64_t limit;
    const char* reason;
  } cases[] = {
      {"fifo", kMaxReadBytes, "it is a FIFO (named pipe), not a file"},
      {"folder", kMaxReadBytes, "it is a folder, not a file"},
      {"device", kMaxReadBytes, "it is a character device, not a file"},
      {"link", kMaxReadBytes, "it is a FIFO (named pipe), not a file"},
      {"large", 1999, "it holds 2000 bytes, more than the 1999 that any scenario's file of its kind needs"},
  };
  for (const Case& c : cases) {
    try {
      platform_->read(path(c.name), c.limit);
      ADD_FAILURE() << c.name << " was read";
    } catch (const IoError& e) {
      EXPECT_EQ(e.reason(), c.reason) << c.name;
    }
  }
  EXPECT_EQ(platform_->read(path("large"), 2000).size(), 2000u);
}

TEST_F(PosixFiles, LookingUpTellsMissingFromCannotBeLookedUp) {
  EXPECT_FALSE(platform_->exists(path("missing")));
  EXPECT_FALSE(platform_->exists(""));
  fs::create_directory(root_ / "folder");
  EXPECT_TRUE(platform_->exists(path("folder")));  // there, and refused by read()
  EXPECT_THROW(platform_->exists(path(std::string(300, 'n'))), IoError);
}

// Everything that stands right in a folder (a FIFO and a folder too, which reading then refuses), and
// nothing for what is not a folder.
TEST_F(PosixFiles, AFolderListsWhatStandsInIt) {
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  put("a.txt", "a");
  put("b.sim", "b");
  fs::create_directory(root_ / "inner");
  put("inner/c.txt", "c");
  fs::create_symlink(root_ / "a.txt", root_ / "link.txt");
  fs::create_symlink(root_ / "inner", root_ / "folder-link");
  std::optional<std::vector<std::string>> names = platform_->listFiles(root_.string());
  ASSERT_TRUE(names);
  std::sort(names->begin(), names->end());
  EXPECT_EQ(*names, (std::vector<std::string>{"a.txt", "b.sim", "fifo", "folder-link", "inner", "link.txt"}));
  EXPECT_FALSE(platform_->listFiles(path("missing")));
  EXPECT_FALSE(platform_->listFiles(path("a.txt"))) << "a file is no folder";
}

TEST_F(PosixFiles, AnEmptyFolderIsTheCurrentOneNotTheRoot) {
  EXPECT_EQ(platform_->join("", "name"), "name");
  EXPECT_EQ(platform_->join("/", "name"), "/name");
  EXPECT_EQ(platform_->folderOf("name"), "");
  EXPECT_EQ(platform_->folderOf("/name"), "/");
  EXPECT_EQ(platform_->folderOf("a/b/name"), "a/b");
}

}  // namespace
}  // namespace pack
