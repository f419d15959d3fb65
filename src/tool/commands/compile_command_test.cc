// scenario-tool compile, inspect and plot run in-process on the exported scenario and edits of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>

#include "app/form1.h"
#include "platform/fake_platform.h"
#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

namespace fs = std::filesystem;
using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;
using tool_testing::writeBytes;

using tool_testing::kRoute;
using tool_testing::kTrain;
constexpr const char* kCompiled[] = {"Borgorosso_MontegranoC_linea.dat", "Borgorosso_MontegranoC_517.sim",
                                     "Borgorosso_MontegranoC_517.dat"};

// Replaces the one occurrence of `from` in a file.
void replaceOnce(const fs::path& path, const std::string& from, const std::string& to) {
  std::string bytes = readBytes(path);
  std::size_t at = bytes.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  ASSERT_EQ(bytes.find(from, at + 1), std::string::npos) << "not unique: " << from;
  writeBytes(path, bytes.replace(at, from.size(), to));
}

// The embedded scenario exported into `folder`, with one edit of one source.
void exportEdited(const TempFolder& folder, const char* file, const std::string& from, const std::string& to) {
  ASSERT_EQ(runToolCaptured({"export", folder.str()}).status, 0);
  replaceOnce(folder.path() / file, from, to);
}

// The exported scenario in a temporary folder, with edits of its sources.
class ExportedScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(runToolCaptured({"export", dir()}).status, 0);
  }

  std::string dir() const { return folder_.str(); }
  fs::path file(const std::string& name) const { return folder_.path() / name; }

  // Replaces the one occurrence of `from` in a source.
  void edit(const std::string& name, const std::string& from, const std::string& to) {
    replaceOnce(file(name), from, to);
  }

  bool compiledFilesExist() const {
    for (const char* name : kCompiled) {
      if (fs::exists(file(name))) return true;
    }
    return false;
  }

  TempFolder folder_;
};

TEST_F(ExportedScenario, CompileGivesThePacksBytes) {
  tool_testing::ToolRun run = runToolCaptured({"compile", dir()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");  // the embedded scenario raises no warning

  FakePlatform p;
  ASSERT_EQ(runPack(p), 0);
  for (const char* name : kCompiled) EXPECT_EQ(readBytes(file(name)), p.fs.files.at("/pack/" + std::string(name))) << name;
  EXPECT_TRUE(fs::exists(file(kRoute)));  // sources are kept unless asked
  EXPECT_TRUE(fs::exists(file(kTrain)));
}

TEST_F(ExportedScenario, CompileWithoutPlanWritesNoPlanFile) {
  ASSERT_EQ(runToolCaptured({"compile", "--no-plan", dir()}).status, 0);
  EXPECT_FALSE(fs::exists(file(kCompiled[0])));
  EXPECT_TRUE(fs::exists(file(kCompiled[2])));
}

// The commands that write a set of files take a folder, made with its parents when missing; a name that
// ends like one of the set's files means a file and is refused before anything is made.
TEST_F(ExportedScenario, CommandsWritingSetsMakeTheirFolderAndRefuseAFileName) {
  ASSERT_EQ(runToolCaptured({"compile", dir()}).status, 0);
  struct Case {
    std::vector<std::string> args;  // "OUT" stands for the folder asked for
    std::string folder;             // under a fresh folder
    int status;
    std::string oneWritten;         // a file the folder then holds
  };
  const Case cases[] = {
      {{"compile", dir(), "-o", "OUT"}, "compiled/today", 0, kCompiled[2]},
      {{"compile", dir(), "-o", "OUT"}, "out.dat", 64, ""},
      {{"compile", dir(), "-o", "OUT"}, "sub/OUT.Sim", 64, ""},
      {{"decompile", dir(), "--force", "-o", "OUT"}, "sources/again", 0, kTrain},
      {{"decompile", dir(), "-o", "OUT"}, "route.txt", 64, ""},
      {{"export", "OUT"}, "a/b", 0, kRoute},
      {{"export", "OUT"}, "notes.TXT", 64, ""},
      {{"new", "OUT", "Breve", "1"}, "a/b", 0, "Breve_linea.txt"},
      {{"new", "OUT", "Breve", "1"}, "Breve_linea.txt", 64, ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    const fs::path out = file("out" + std::to_string(++n));
    const fs::path folder = out / c.folder;
    std::vector<std::string> args = c.args;
    std::replace(args.begin(), args.end(), std::string("OUT"), folder.string());
    tool_testing::ToolRun run = runToolCaptured(args);
    EXPECT_EQ(run.status, c.status) << args[0] << " " << c.folder << ": " << run.err;
    if (c.oneWritten.empty()) {
      EXPECT_FALSE(fs::exists(out)) << args[0] << " " << c.folder;
      EXPECT_NE(run.err.find("names a file"), std::string::npos) << run.err;
    } else {
      EXPECT_TRUE(fs::is_regular_file(folder / c.oneWritten)) << args[0] << " " << c.folder;
    }
  }
}

// The lines of standard error that report an error (not the warnings).
std::vector<std::string> errorLines(const std::string& err) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = err.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = err.substr(start, end - start);
    if (line.find(": warning: ") == std::string::npos) lines.push_back(line);
  }
  return lines;
}

// One refused source per family: route reading, train run reading, completion, fatal stops.
TEST_F(ExportedScenario, RefusalsNameFileLineCodeAndPosition) {
  struct Case {
    const char* name;
    const char* file;
    const char* from;
    const char* to;
    int status;
    std::string expected;  // the error line, with DIR/ for the folder
  } cases[] = {
      {"curve without class", kRoute, "curvad5,  400,  200", "curvad,  400,  200", 1,
       "DIR/Borgorosso_MontegranoC_linea.txt:11: error 103: "},
      {"number not whole", kTrain, "numero vetture,    8", "numero vetture,    8.5", 1,
       "DIR/Borgorosso_MontegranoC_517-.txt:2: error 25: "},
      {"station off the grid", kTrain, "stazione,    9750,", "stazione,    9760,", 1,
       "DIR/Borgorosso_MontegranoC_517-.txt:36: error 8 at 9760 m: "},
      {"signal on a stop point", kTrain, "segnale,    9200,", "segnale,    9850,", 1,
       "DIR/Borgorosso_MontegranoC_517-.txt:44: error 16 at 9850 m: "},
      {"gradient beyond the track", kRoute, "pendenza,  28850,   -3", "pendenza,  99850,   -3", 1,
       "DIR/Borgorosso_MontegranoC_linea.txt:183: error 15 at 99850 m: "},
      {"route too long", kRoute, "lunghezza percorso,    32850", "lunghezza percorso,    1000001", 2,
       "DIR/Borgorosso_MontegranoC_linea.txt:2: error 1: "},
      {"reserved slot", kTrain, "[codici]", "[codici]\r\nabbattimento, 50, 5", 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder scratch;
    exportEdited(scratch, c.file, c.from, c.to);

    tool_testing::ToolRun run = runToolCaptured({"compile", scratch.str()});
    EXPECT_EQ(run.status, c.status) << run.err;
    std::string expected = c.expected;
    if (expected.starts_with("DIR/")) expected.replace(0, 3, scratch.str());
    std::vector<std::string> lines = errorLines(run.err);
    // A fatal stop has a line of its own after the recorded error, when there is one.
    const std::size_t errors = (expected.empty() ? 0 : 1) + (c.status == 2 ? 1 : 0);
    ASSERT_EQ(lines.size(), errors) << run.err;
    if (!expected.empty()) {
      EXPECT_TRUE(lines[0].starts_with(expected)) << lines[0];
      EXPECT_GT(lines[0].size(), expected.size() + 20) << "a message that says what is wrong";
    }
    if (c.status == 2) {
      EXPECT_TRUE(lines.back().ends_with("; the compile stopped and wrote nothing")) << lines.back();
    }
    bool written = fs::exists(scratch.path() / kCompiled[2]);
    EXPECT_EQ(written, c.status == 1) << "files are written after an error, never after a fatal stop";
  }
}

TEST_F(ExportedScenario, MissingRouteSourceIsFatalAndNamesTheFile) {
  fs::remove(file(kRoute));
  tool_testing::ToolRun run = runToolCaptured({"compile", dir()});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.err.starts_with(dir() + "/" + kRoute + ": error 101: ")) << run.err;
  EXPECT_FALSE(compiledFilesExist());
}

// The line (from 1) of the one occurrence of `text` in a source.
std::size_t lineOf(const fs::path& path, const std::string& text) {
  std::string bytes = readBytes(path);
  std::size_t at = bytes.find(text);
  return at == std::string::npos ? 0 : 1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + at, '\n'));
}

// A second code point at 50 m is refused with 7; the first one, in cell 1, then stops the compile with
// 1250. The author must learn about the 7 first: it names the line to fix.
TEST_F(ExportedScenario, AFatalStopKeepsTheRecordedError) {
  edit(kTrain, "[codici]", "[codici]\r\nabbattimento, 50, 5\r\nabbattimento,  50, 6");
  const std::size_t line = lineOf(file(kTrain), "abbattimento,  50, 6");
  const std::string recorded = dir() + "/" + kTrain + ":" + std::to_string(line) + ": error 7 at 50 m: ";

  tool_testing::ToolRun text = runToolCaptured({"compile", dir()});
  EXPECT_EQ(text.status, 2);
  std::vector<std::string> lines = errorLines(text.err);
  ASSERT_EQ(lines.size(), 2u) << text.err;
  EXPECT_TRUE(lines[0].starts_with(recorded)) << lines[0];
  // The stop is said at the file the compile stopped in, without a line: it is not one entry's.
  EXPECT_TRUE(lines[1].starts_with(dir() + "/" + kTrain + ": error 1250: a feature in cell 1")) << lines[1];
  EXPECT_TRUE(lines[1].ends_with("; the compile stopped and wrote nothing")) << lines[1];
  EXPECT_EQ(text.out, "");

  tool_testing::ToolRun json = runToolCaptured({"compile", "--json", dir()});
  EXPECT_EQ(json.status, 2);
  nlohmann::json j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j["errorCode"], 7);
  EXPECT_EQ(j["errorPosition"], 50);
  EXPECT_EQ(j["file"], dir() + "/" + kTrain);
  EXPECT_EQ(j["line"], line);
  EXPECT_TRUE(j["message"].get<std::string>().starts_with(recorded));
  EXPECT_EQ(j["fatal"], 1250);
  EXPECT_TRUE(lines[1].ends_with(": " + j["fatalMessage"].get<std::string>())) << lines[1];
  EXPECT_EQ(j["written"], nlohmann::json::array());
  EXPECT_FALSE(compiledFilesExist());
}

TEST_F(ExportedScenario, AFatalStopWithoutARecordedErrorHasNoFile) {
  edit(kTrain, "[codici]", "[codici]\r\nabbattimento, 50, 5");
  nlohmann::json j = nlohmann::json::parse(runToolCaptured({"compile", "--json", dir()}).out);
  EXPECT_EQ(j["errorCode"], 0);
  EXPECT_TRUE(j["file"].is_null());
  EXPECT_TRUE(j["line"].is_null());
  EXPECT_TRUE(j["message"].is_null());
  EXPECT_EQ(j["fatal"], 1250);
}

TEST_F(ExportedScenario, DeleteSourcesFollowsThePacksRules) {
  struct Case {
    const char* name;
    const char* file;
    const char* from;
    const char* to;
    bool routeLeft;
    bool trainLeft;
  } cases[] = {
      {"success deletes both", kTrain, "sabbia,    180", "sabbia,    180", false, false},
      {"route refusal keeps the train run", kRoute, "curvad5,  400,  200", "curvad,  400,  200", false, true},
      {"train refusal deletes both", kTrain, "stazione,    9750,", "stazione,    9760,", false, false},
      {"run-time failure deletes both", kRoute, "sfondo due,    1", "sfondo due,    x", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder scratch;
    exportEdited(scratch, c.file, c.from, c.to);
    runToolCaptured({"compile", "--delete-sources", scratch.str()});
    EXPECT_EQ(fs::exists(scratch.path() / kRoute), c.routeLeft);
    EXPECT_EQ(fs::exists(scratch.path() / kTrain), c.trainLeft);
  }
}

TEST_F(ExportedScenario, JsonReportParsesBack) {
  edit(kTrain, "stazione,    9750,", "stazione,    9760,");
  edit(kTrain, "aderenza,   15900,    80", "aderenza,   15900,    80\r\nvelocita,  100,  75,  9");
  tool_testing::ToolRun run = runToolCaptured({"compile", "--json", "-o", dir(), dir()});
  EXPECT_EQ(run.status, 1);
  nlohmann::json j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["errorCode"], 8);
  EXPECT_EQ(j["errorPosition"], 9760);
  EXPECT_TRUE(j["fatal"].is_null());
  EXPECT_EQ(j["file"], dir() + "/" + kTrain);
  EXPECT_EQ(j["line"], 37);
  EXPECT_EQ(j["written"], nlohmann::json::array({kCompiled[0], kCompiled[1], kCompiled[2]}));
  ASSERT_FALSE(j["findings"].empty());
  bool countWarning = false;
  for (const auto& w : j["findings"]) {
    countWarning |= w["severity"] == "warning" && w["message"].get<std::string>().find("takes 2 values") != std::string::npos;
  }
  EXPECT_TRUE(countWarning) << j["findings"].dump();
}

TEST_F(ExportedScenario, WarningsForWhatTheCompilerDoesNotCheck) {
  edit(kRoute, "pendenza,  300,   0", "pendenza,  200,   0\r\npendenza,  100,   1");
  edit(kTrain, "segnale,    5450,   1, 4, 0,  0, 0,    0,  0,0,0, 0", "segnale,    5450,   3, 4, 0,  0, 0,    0,  0,0,12, 50");
  edit(kTrain, "sabbia,    180", "sabbia,    180\r\nfischio, 3");
  edit(kRoute, "[montagne]", "[montagne]\r\nsfondo uno, 0");
  edit(kRoute, "curvas4,  700,  500", "curvas4,  700,  800");
  tool_testing::ToolRun run = runToolCaptured({"compile", dir()});
  EXPECT_EQ(run.status, 0) << run.err;
  for (const std::string& expected :
       {std::string(kRoute) + ":102:1: warning: the gradient at 100 m does not follow the previous one at 200 m",
        std::string(kTrain) + ":5:1: warning: \"fischio\" matches no entry",
        std::string(kTrain) + ":42:21: warning: value 2 of \"segnale\": left signal kind (sx) is 3, outside 0 to 2",
        std::string(kTrain) + ":42:48: warning: value 10 of \"segnale\": third right digit (d3) is 12, outside 0 to 9",
        std::string(kTrain) + ":42:52: warning: value 11 of \"segnale\": time (tempo): 50 is stored as 101",
        std::string(kRoute) + ":186:1: warning: \"sfondo uno\" is a general entry and",
        std::string(kRoute) + ":13:1: warning: the curve starting at 1450 m overlaps the previous one, which ends at 1500 m"}) {
    EXPECT_NE(run.err.find(expected), std::string::npos) << expected << "\n" << run.err;
  }
}

TEST(CompileNames, HostileNamesAreRefusedBeforeAnythingIsTouched) {
  TempFolder scratch;
  const char* names[] = {"", "a/b", "a\\b", "..", "x..y", "tab\there", "bell\x07", "\xE4\xB8\xAD", "a:b"};
  for (const char* name : names) {
    for (bool asTrain : {false, true}) {
      std::vector<std::string> args = {"compile", scratch.str()};
      args.push_back(asTrain ? "Borgorosso_MontegranoC" : name);
      if (asTrain) args.push_back(name);
      tool_testing::ToolRun run = runToolCaptured(args);
      EXPECT_EQ(run.status, 64) << name;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
  }
  EXPECT_TRUE(fs::is_empty(scratch.path()));
}

TEST_F(ExportedScenario, InspectDecodesTheCompiledFiles) {
  ASSERT_EQ(runToolCaptured({"compile", dir()}).status, 0);
  tool_testing::ToolRun cells = runToolCaptured({"inspect", (file(kCompiled[2])).string()});
  ASSERT_EQ(cells.status, 0) << cells.err;
  std::size_t at = cells.out.find("cell   110     5500 m  signal");
  ASSERT_NE(at, std::string::npos) << cells.out;
  std::string line = cells.out.substr(at, cells.out.find('\n', at) - at);
  EXPECT_NE(line.find("left warning, right none, placed at 5450 m"), std::string::npos) << line;

  tool_testing::ToolRun table = runToolCaptured({"inspect", "--json", (file(kCompiled[1])).string()});
  nlohmann::json rows = nlohmann::json::parse(table.out)["rows"];
  EXPECT_EQ(rows[0]["text"], "BORGOROSSO");
  EXPECT_EQ(rows.back()["row"], 86);
  EXPECT_EQ(rows.back()["text"], "517");

  tool_testing::ToolRun plan = runToolCaptured({"inspect", "--every", "10000", (file(kCompiled[0])).string()});
  EXPECT_NE(plan.out.find("39851 metres per column, 39849 points"), std::string::npos) << plan.out;
  EXPECT_NE(plan.out.find("metre 0  x 0.000000000  y 0.000000000"), std::string::npos) << plan.out;
}

TEST_F(ExportedScenario, InspectReportsACutFileWithItsOffset) {
  ASSERT_EQ(runToolCaptured({"compile", dir()}).status, 0);
  std::string bytes = readBytes(file(kCompiled[1]));
  writeBytes(file(kCompiled[1]), bytes.substr(0, 100));
  tool_testing::ToolRun run = runToolCaptured({"inspect", file(kCompiled[1]).string()});
  EXPECT_EQ(run.status, 65);
  EXPECT_NE(run.err.find(": offset "), std::string::npos) << run.err;
  EXPECT_EQ(runToolCaptured({"inspect", file("notes.txt").string()}).status, 64);
}

TEST_F(ExportedScenario, PlotWritesOneWellFormedSvgWithTheStations) {
  ASSERT_EQ(runToolCaptured({"compile", dir()}).status, 0);
  tool_testing::ToolRun run = runToolCaptured({"plot", "-o", file("line.svg").string(), dir()});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string svg = readBytes(file("line.svg"));
  EXPECT_TRUE(svg.starts_with("<?xml")) << svg.substr(0, 40);
  EXPECT_TRUE(svg.ends_with("</svg>\n"));
  for (const char* station : {"BORGOROSSO", "MONTEGRANO C."}) EXPECT_NE(svg.find(station), std::string::npos) << station;
  // Every element opened is closed.
  std::size_t opened = 0, closed = 0;
  for (std::size_t at = svg.find('<'); at != std::string::npos; at = svg.find('<', at + 1)) {
    std::size_t end = svg.find('>', at);
    ASSERT_NE(end, std::string::npos);
    std::string_view tag(svg.data() + at, end - at + 1);
    if (tag.starts_with("<?")) continue;
    if (tag.starts_with("</")) ++closed;
    else if (!tag.ends_with("/>")) ++opened;
  }
  EXPECT_EQ(opened, closed);
}

}  // namespace
}  // namespace pack
