// scenario-tool in a folder that holds what a careless author or an attacker may leave there: special
// files where a file is read or written, outputs that would land on inputs, names full of control
// characters or bytes that are not UTF-8, two writers at once. Every case ends soon with a refusal or a
// sound result, and leaves the author's files as they were.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/bytes.h"

namespace fs = std::filesystem;

namespace pack {
namespace {

using test::readFile;

const std::string kRoute = "Borgorosso_MontegranoC_linea.txt";
const std::string kTrain = "Borgorosso_MontegranoC_517-.txt";
const std::string kNotes = "Borgorosso_MontegranoC_517_note.txt";
const std::string kCells = "Borgorosso_MontegranoC_517.dat";
const std::string kTable = "Borgorosso_MontegranoC_517.sim";
const std::string kPlan = "Borgorosso_MontegranoC_linea.dat";

std::string shellQuoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class HostileFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("hostile-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // Runs scenario-tool with `args` (already quoted) from the test's root, ended after ten seconds; the
  // exit status (124 when it had to be ended), standard output in out_, standard error in err_.
  int tool(const std::string& args) {
    std::string tool = (fs::path(PACK_BIN_DIR) / "scenario-tool").string();
    std::string line = "cd " + shellQuoted(root_.string()) + " && timeout 10 " + shellQuoted(tool) + " " + args + " >" +
                       shellQuoted((root_ / ".stdout").string()) + " 2>" + shellQuoted((root_ / ".stderr").string()) +
                       " </dev/null";
    int status = std::system(line.c_str());
    out_ = readFile(root_ / ".stdout");
    err_ = readFile(root_ / ".stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The embedded scenario's five texts in `folder`, and its compiled files too when asked.
  void scenario(const std::string& folder, bool compiled) {
    ASSERT_EQ(tool("export " + shellQuoted(folder)), 0) << err_;
    if (compiled) {
      ASSERT_EQ(tool("compile " + shellQuoted(folder)), 0) << err_;
    }
  }

  fs::path root_;
  std::string out_, err_;
};

// What a command finds where it expects a file.
enum class Special { kFifo, kDevice, kLinkToFifo, kFolder, kBinary, kHuge };

struct SpecialCase {
  Special kind;
  const char* name;
  const char* said;  // what the one-line refusal calls it; empty: the command's own reading refuses it
};

const SpecialCase kSpecials[] = {
    {Special::kFifo, "FIFO", "FIFO"},
    {Special::kDevice, "device", "device"},
    {Special::kLinkToFifo, "link to a FIFO", "FIFO"},
    {Special::kFolder, "folder", "folder"},
    {Special::kBinary, "binary", ""},
    {Special::kHuge, "huge", "bytes, more than"},
};

void plant(Special kind, const fs::path& at, const fs::path& aside) {
  fs::remove_all(at);
  switch (kind) {
    case Special::kFifo: ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0); break;
    case Special::kDevice:
      // The zero device: endless bytes. A node of its own where allowed, else a link to the system's.
      if (::mknod(at.c_str(), S_IFCHR | 0644, makedev(1, 5)) != 0) fs::create_symlink("/dev/zero", at);
      break;
    case Special::kLinkToFifo:
      ASSERT_EQ(::mkfifo(aside.c_str(), 0644), 0);
      fs::create_symlink(aside, at);
      break;
    case Special::kFolder: fs::create_directory(at); break;
    case Special::kBinary: {
      std::string bytes;
      for (int i = 0; i < 4099; ++i) bytes += static_cast<char>((i * 151 + 7) % 256);
      std::ofstream(at, std::ios::binary) << bytes;
      break;
    }
    case Special::kHuge:
      std::ofstream(at, std::ios::binary) << "x";
      fs::resize_file(at, std::uintmax_t{100} << 20);  // sparse: no disk space taken
      break;
  }
}

// The special file is still what it was (nothing written into it or put in its place).
void expectUntouched(Special kind, const fs::path& at, const std::string& binaryBefore) {
  switch (kind) {
    case Special::kFifo: EXPECT_TRUE(fs::is_fifo(at)); break;
    case Special::kDevice: EXPECT_TRUE(fs::is_character_file(at)); break;
    case Special::kLinkToFifo: EXPECT_TRUE(fs::is_symlink(at)); break;
    case Special::kFolder: EXPECT_TRUE(fs::is_directory(at)); break;
    case Special::kBinary: EXPECT_EQ(readFile(at), binaryBefore); break;
    case Special::kHuge: EXPECT_EQ(fs::file_size(at), std::uintmax_t{100} << 20); break;
  }
}

struct CommandCase {
  const char* command;  // the arguments, with DIR for the scenario's folder and FILE for the special file
  std::string subject;  // the file of the scenario that is special
  bool compiled;        // whether the scenario's compiled files are there too
};

TEST_F(HostileFolder, EveryCommandRefusesSpecialFilesSoonAndLeavesThemAsTheyWere) {
  const CommandCase commands[] = {
      {"normalize FILE", kRoute, false},     {"check DIR", kRoute, false},
      {"compile DIR", kTrain, false},        {"inspect FILE", kCells, true},
      {"decompile DIR -o DIR/dec", kCells, true}, {"plot DIR", kCells, true},
      {"export DIR", kNotes, false},
  };
  for (const CommandCase& c : commands) {
    for (const SpecialCase& special : kSpecials) {
      SCOPED_TRACE(std::string(c.command) + " with " + special.name);
      fs::path folder = root_ / "scenario";
      fs::remove_all(folder);
      fs::remove_all(root_ / "aside");
      scenario(folder.string(), c.compiled);
      fs::path subject = folder / c.subject;
      plant(special.kind, subject, root_ / "aside");
      std::string binaryBefore = special.kind == Special::kBinary ? readFile(subject) : "";

      std::string args = c.command;
      args.replace(args.find(args.find("FILE") != std::string::npos ? "FILE" : "DIR"),
                   args.find("FILE") != std::string::npos ? 4 : 3,
                   shellQuoted(args.find("FILE") != std::string::npos ? subject.string() : folder.string()));
      if (std::size_t dec = args.find("DIR/dec"); dec != std::string::npos) {
        args.replace(dec, 7, shellQuoted((root_ / "dec").string()));
      }
      int status = tool(args);
      EXPECT_NE(status, 124) << "not refused within ten seconds";
      EXPECT_LT(status, 128) << err_;
      // A binary source is compiled and checked as the pack would read it; everything else is refused.
      bool read = special.kind == Special::kBinary && (args.starts_with("check") || args.starts_with("compile"));
      if (!read) {
        EXPECT_NE(status, 0) << err_;
      }
      if (*special.said != '\0') {
        EXPECT_NE(err_.find(special.said), std::string::npos) << err_;
        EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
      }
      expectUntouched(special.kind, subject, binaryBefore);
    }
  }
}

TEST_F(HostileFolder, NormalizeRewritesOnlySourceTexts) {
  scenario("s", true);
  std::string cells = readFile(root_ / "s" / kCells);
  EXPECT_EQ(tool("normalize s/" + kCells), 65);
  EXPECT_NE(err_.find("named as a compiled file"), std::string::npos) << err_;
  EXPECT_EQ(readFile(root_ / "s" / kCells), cells);

  std::ofstream(root_ / "s" / "binary.txt", std::ios::binary) << std::string("line\nwith a NUL \0 byte\n", 23);
  EXPECT_EQ(tool("normalize s/binary.txt"), 65);
  EXPECT_NE(err_.find("NUL byte at offset 16"), std::string::npos) << err_;
  EXPECT_EQ(readFile(root_ / "s" / "binary.txt"), std::string("line\nwith a NUL \0 byte\n", 23));
}

TEST_F(HostileFolder, NormalizeThroughALinkRewritesTheLinkedFileKeepingItsMode) {
  fs::create_directories(root_ / "real");
  std::ofstream(root_ / "real" / "route.txt", std::ios::binary) << "[generale]\nlunghezza percorso, 1000\n";
  ::chmod((root_ / "real" / "route.txt").c_str(), 0600);
  fs::create_symlink(root_ / "real" / "route.txt", root_ / "link.txt");
  ASSERT_EQ(tool("normalize link.txt"), 0) << err_;
  EXPECT_TRUE(fs::is_symlink(root_ / "link.txt"));
  EXPECT_EQ(readFile(root_ / "real" / "route.txt"), "[generale]\r\nlunghezza percorso, 1000\r\n");
  EXPECT_EQ(fs::status(root_ / "real" / "route.txt").permissions(), fs::perms::owner_read | fs::perms::owner_write);

  fs::create_hard_link(root_ / "real" / "route.txt", root_ / "second-name.txt");
  std::ofstream(root_ / "second-name.txt", std::ios::binary | std::ios::app) << "x\n";
  EXPECT_EQ(tool("normalize second-name.txt"), 73);
  EXPECT_NE(err_.find("has 2 names"), std::string::npos) << err_;
}

TEST_F(HostileFolder, PlotNeverWritesOverWhatItReadsOrWhatIsNotAPicture) {
  scenario("s", true);
  for (const std::string& input : {kCells, kTable, kPlan, kRoute}) {
    std::string before = readFile(root_ / "s" / input);
    EXPECT_EQ(tool("plot s -o s/" + input), 73) << input;
    EXPECT_NE(err_.find("which this command reads"), std::string::npos) << err_;
    EXPECT_EQ(readFile(root_ / "s" / input), before) << input;
  }
  fs::create_symlink(root_ / "s" / kCells, root_ / "picture.svg");  // the same file under another name
  EXPECT_EQ(tool("plot s -o picture.svg"), 73);
  std::ofstream(root_ / "notes.svg") << "an author's notes";
  EXPECT_EQ(tool("plot s -o notes.svg"), 73);
  EXPECT_EQ(readFile(root_ / "notes.svg"), "an author's notes");
  EXPECT_EQ(tool("plot s -o fresh.svg"), 0) << err_;
  EXPECT_EQ(tool("plot s -o fresh.svg"), 0) << err_;  // a picture of its own is replaced
}

TEST_F(HostileFolder, EmptyPathsAreBadArgumentsNotTheRoot) {
  for (const char* args : {"compile ''", "check ''", "decompile ''", "plot ''", "plot --html ''",
                           "plot s -o ''", "compile s -o ''"}) {
    EXPECT_EQ(tool(args), 64) << args << ": " << err_;
    EXPECT_NE(err_.find("must not be empty"), std::string::npos) << args << ": " << err_;
  }
}

TEST_F(HostileFolder, AFolderNameThatIsNotUtf8StillGivesValidJson) {
  std::string folder = "sc\xff\xfe";
  scenario(folder, false);
  EXPECT_EQ(tool("compile --json " + shellQuoted(folder)), 0) << err_;
  EXPECT_TRUE(nlohmann::json::accept(out_)) << out_;
  EXPECT_NE(tool("check --json " + shellQuoted(folder)), 70) << err_;
  EXPECT_TRUE(nlohmann::json::accept(out_)) << out_;
}

TEST_F(HostileFolder, ControlCharactersReachTheTerminalEscaped) {
  std::string name = "Evil\x1b]0;owned\x07\xc2\x9b" "31m";
  EXPECT_NE(tool("compile " + shellQuoted(name)), 0);
  EXPECT_EQ(err_.find('\x1b'), std::string::npos) << err_;
  EXPECT_EQ(err_.find("\xc2\x9b"), std::string::npos) << err_;
  EXPECT_NE(err_.find("\\u001b"), std::string::npos) << err_;
}

TEST_F(HostileFolder, TwoCompilesIntoOneFolderAtOnceLeaveOneWholeSet) {
  scenario("a", false);
  scenario("b", false);
  std::string route = readFile(root_ / "b" / kRoute);
  route.replace(route.find("32850"), 5, "32800");
  std::ofstream(root_ / "b" / kRoute, std::ios::binary) << route;
  ASSERT_EQ(tool("compile a -o wantA"), 0) << err_;
  ASSERT_EQ(tool("compile b -o wantB"), 0) << err_;
  for (const std::string& name : {kCells, kTable, kPlan}) {
    ASSERT_NE(readFile(root_ / "wantA" / name), readFile(root_ / "wantB" / name)) << name;
  }
  std::string toolPath = shellQuoted((fs::path(PACK_BIN_DIR) / "scenario-tool").string());
  for (int pair = 0; pair < 12; ++pair) {
    std::string line = "cd " + shellQuoted(root_.string()) + " && (" + toolPath + " compile a -o out >/dev/null & " +
                       toolPath + " compile b -o out >/dev/null & wait)";
    ASSERT_EQ(std::system(line.c_str()), 0);
    std::string which = readFile(root_ / "out" / kCells) == readFile(root_ / "wantA" / kCells) ? "wantA" : "wantB";
    for (const std::string& name : {kCells, kTable, kPlan}) {
      EXPECT_EQ(readFile(root_ / "out" / name), readFile(root_ / which / name)) << "pair " << pair << ": " << name;
    }
  }
  for (const auto& e : fs::directory_iterator(root_ / "out")) {
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
  }
}


// The folder's lock as writers take it: a file in the folder, locked while a set is put in place.
int holdWritersLock(const fs::path& folder) {
  int fd = ::open((folder / ".scenario-lock").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0200);
  if (fd >= 0 && ::flock(fd, LOCK_EX) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TEST_F(HostileFolder, AReaderCannotHoldWritersAndAWriterHoldsEachForABoundedTime) {
  // The pack writes beside itself, and deletes the sources it compiled: it has a folder of its own.
  scenario("s", true);
  fs::create_directory(root_ / "p");
  fs::copy_file(fs::path(PACK_BIN_DIR) / "scenario-pack", root_ / "p" / "scenario-pack");
  struct Writer {
    std::string program;  // scenario-tool, or the pack beside its files
    std::string args;
    int busyStatus;
  };
  const std::string tool = shellQuoted((fs::path(PACK_BIN_DIR) / "scenario-tool").string());
  // Each names its scenario: `new` adds a second one to the folder while the others run.
  const Writer writers[] = {{tool, "compile s Borgorosso_MontegranoC 517", 75}, {tool, "export --force s", 75},
                            {tool, "decompile --force s Borgorosso_MontegranoC 517", 75}, {tool, "new s Nuova 1", 75},
                            {"p/scenario-pack", "", 4}};
  // Runs every writer at once; each one's exit status, standard error and seconds taken.
  struct Ended {
    int status;
    std::string err;
    double seconds;
  };
  auto runAll = [&] {
    std::vector<Ended> ended(std::size(writers));
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < std::size(writers); ++i) {
      threads.emplace_back([&, i] {
        const fs::path errFile = root_ / (".stderr" + std::to_string(i));
        std::string line = "cd " + shellQuoted(root_.string()) + " && timeout 30 " + writers[i].program + " " +
                           writers[i].args + " >/dev/null 2>" + shellQuoted(errFile.string()) + " </dev/null";
        auto start = std::chrono::steady_clock::now();
        int status = std::system(line.c_str());
        ended[i] = {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(errFile),
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
      });
    }
    for (std::thread& t : threads) t.join();
    fs::remove(root_ / "s" / "Nuova_linea.txt");  // so that the next round's new writes again
    fs::remove(root_ / "s" / "Nuova_1-.txt");
    return ended;
  };

  // Anyone who may read a folder can take a shared lock on it: writers no longer wait for that.
  std::vector<int> readers;
  for (const char* folder : {"s", "p"}) {
    readers.push_back(::open((root_ / folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_GE(readers.back(), 0);
    ASSERT_EQ(::flock(readers.back(), LOCK_SH), 0);
  }
  std::vector<Ended> ended = runAll();
  for (int fd : readers) ::close(fd);
  for (std::size_t i = 0; i < ended.size(); ++i) {
    EXPECT_EQ(ended[i].status, 0) << writers[i].args << ": " << ended[i].err;
    EXPECT_LT(ended[i].seconds, 5) << writers[i].args;
  }
  EXPECT_FALSE(fs::exists(root_ / "s" / ".scenario-lock")) << "the lock goes with its last holder";

  // Another writer holding the lock: each waits its bound, says what for after a second, then gives up.
  std::vector<int> writerLocks = {holdWritersLock(root_ / "s"), holdWritersLock(root_ / "p")};
  ASSERT_GE(std::min(writerLocks[0], writerLocks[1]), 0);
  ended = runAll();
  for (int fd : writerLocks) ::close(fd);
  for (std::size_t i = 0; i < ended.size(); ++i) {
    const Ended& e = ended[i];
    EXPECT_EQ(e.status, writers[i].busyStatus) << writers[i].args << ": " << e.err;
    EXPECT_GE(e.seconds, 9.5) << writers[i].args;
    EXPECT_LT(e.seconds, 20) << writers[i].args;
    EXPECT_NE(e.err.find("waiting for another program writing files in"), std::string::npos) << e.err;
    EXPECT_NE(e.err.find(".scenario-lock"), std::string::npos) << e.err;
    EXPECT_NE(e.err.find("gave up after 10 s"), std::string::npos) << e.err;
  }
  EXPECT_TRUE(fs::is_regular_file(root_ / "s" / kCells)) << "nothing was taken away";
}

}  // namespace
}  // namespace pack
