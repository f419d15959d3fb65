// scenario-tool check on the exported scenario and edits of it, and the missing train run source.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>

#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

namespace fs = std::filesystem;
using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;
using tool_testing::ToolRun;
using tool_testing::writeBytes;

using tool_testing::kRoute;
using tool_testing::kTrain;

// The findings of check --json that `keep` accepts.
nlohmann::json findingsWhere(const nlohmann::json& j, const std::function<bool(const nlohmann::json&)>& keep) {
  nlohmann::json kept = nlohmann::json::array();
  for (const nlohmann::json& f : j["findings"]) {
    if (keep(f)) kept.push_back(f);
  }
  return kept;
}
nlohmann::json laterErrorsOf(const nlohmann::json& j) {
  return findingsWhere(j, [](const nlohmann::json& f) { return !f["setAside"].empty(); });
}
nlohmann::json warningsOf(const nlohmann::json& j) {
  return findingsWhere(j, [](const nlohmann::json& f) { return f["severity"] == "warning"; });
}

class CheckCommand : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(runToolCaptured({"export", dir()}).status, 0); }

  std::string dir() const { return folder_.str(); }
  std::string path(const char* name) const { return (folder_.path() / name).string(); }

  void edit(const char* name, const std::string& from, const std::string& to) {
    std::string bytes = readBytes(path(name));
    std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    writeBytes(path(name), bytes.replace(at, from.size(), to));
  }

  // Every file in the folder with its bytes.
  std::map<std::string, std::string> snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder_.path())) {
      files[entry.path().filename().string()] = readBytes(entry.path());
    }
    return files;
  }

  TempFolder folder_;
};

TEST_F(CheckCommand, TheExportedScenarioIsClean) {
  for (const char* strict : {"--json", "--strict"}) {
    ToolRun run = runToolCaptured({"check", strict, dir()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
  }
  EXPECT_EQ(runToolCaptured({"check", dir()}).out, "check: 0 errors, 0 warnings\n");
}

TEST_F(CheckCommand, ReportsEveryProblemInOneRunAndWritesNothing) {
  edit(kRoute, "curvad5,  400,  200", "curvax5,  400,  200");
  edit(kTrain, "numero vetture,    8", "numero vetture,    80");
  edit(kTrain, "velocita,   17050,    65", "velocita,   17050,    6x5");
  edit(kTrain, "segnale,    6850,   2,", "segnale,    6850,   7,");
  std::map<std::string, std::string> before = snapshot();

  ToolRun run = runToolCaptured({"check", "--all", dir()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "");
  // The error first, its specific reason first and said once (not again as a warning); then the warnings.
  std::string expected[] = {
      path(kTrain) + ":31: error 25: \"6x5\" is not a whole number",
      path(kRoute) + ":11:1: warning: \"curvax5\": no side letter d or s",
      path(kTrain) + ":2:20: warning: value 1 of \"numero vetture\": coaches is 80",
      path(kTrain) + ":42:21: warning: value 2 of \"segnale\": left signal kind (sx) is 7",
      "check: 1 error, 3 warnings\n",
  };
  std::size_t at = 0;
  for (const std::string& line : expected) {
    std::size_t found = run.out.find(line, at);
    EXPECT_NE(found, std::string::npos) << "in this order: " << line << "\n" << run.out;
    if (found != std::string::npos) at = found;
  }
  EXPECT_EQ(snapshot(), before) << "check writes, changes and deletes nothing";
  // Without --all the two values outside their ranges are one finding with a count.
  EXPECT_NE(runToolCaptured({"check", dir()}).out.find("  and 1 more like it, at " + path(kTrain) +
                                                       ":42 (--all lists each one)\n"),
            std::string::npos);

  nlohmann::json j = nlohmann::json::parse(runToolCaptured({"check", "--json", dir()}).out);
  EXPECT_EQ(j["errorCode"], 25);
  EXPECT_EQ(j["file"], path(kTrain));
  EXPECT_EQ(j["line"], 31);
  EXPECT_TRUE(j["fatal"].is_null());
  ASSERT_EQ(warningsOf(j).size(), 3u);
  EXPECT_EQ(j["warningCount"], 3);
  EXPECT_EQ(j["errorCount"], 1);
  EXPECT_NE(j["detail"].get<std::string>().find("\"6x5\" is not a whole number"), std::string::npos);
  EXPECT_EQ(laterErrorsOf(j).size(), 0u);
}

// The compiler stops at its first error; check sets each erring entry aside and compiles again.
TEST_F(CheckCommand, EveryErrorInOneRun) {
  edit(kTrain, "stazione,    9750,", "stazione,    9760,");
  edit(kTrain, "stazione,   22100,", "stazione,   22110,");
  std::map<std::string, std::string> before = snapshot();
  ToolRun run = runToolCaptured({"check", dir()});
  EXPECT_EQ(run.status, 2);
  const std::string first = path(kTrain) + ":36: error 8 at 9760 m: ";
  const std::string second = path(kTrain) + ":37: error 8 at 22110 m: ";
  const std::string note = " (found with " + path(kTrain) + ":36 set aside)\n";
  std::size_t at = run.out.find(first);
  ASSERT_NE(at, std::string::npos) << run.out;
  at = run.out.find(second, at);
  ASSERT_NE(at, std::string::npos) << run.out;
  EXPECT_NE(run.out.find(note, at), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("check: 2 errors, "), std::string::npos) << run.out;
  EXPECT_EQ(snapshot(), before) << "the entries are set aside in memory only";

  nlohmann::json j = nlohmann::json::parse(runToolCaptured({"check", "--json", dir()}).out);
  EXPECT_EQ(j["line"], 36);
  nlohmann::json later = laterErrorsOf(j);
  ASSERT_EQ(later.size(), 1u);
  EXPECT_EQ(later[0]["id"], "E8");
  EXPECT_EQ(later[0]["line"], 37);
  EXPECT_EQ(later[0]["position"], 22110);
  EXPECT_EQ(later[0]["setAside"], nlohmann::json::array({path(kTrain) + ":36"}));

  ToolRun compile = runToolCaptured({"compile", dir()});
  EXPECT_EQ(compile.status, 1);
  EXPECT_NE(compile.err.find(first), std::string::npos) << compile.err;
  EXPECT_EQ(compile.err.find(":37: error"), std::string::npos) << "compile reports the compiler's error alone";
}

// Errors in both sources, each found once the ones before are set aside; a clean scenario has none.
TEST_F(CheckCommand, LaterErrorsAcrossBothSources) {
  struct Case {
    const char* name;
    std::vector<std::array<const char*, 3>> edits;  // file, from, to
    std::size_t later;
    const char* laterSays;  // a part of the last later error's line
  } cases[] = {
      {"none", {}, 0, ""},
      {"one", {{kTrain, "stazione,    9750,", "stazione,    9760,"}}, 0, ""},
      {"three in the train run",
       {{kTrain, "stazione,    9750,", "stazione,    9760,"},
        {kTrain, "stazione,   22100,", "stazione,   22110,"},
        {kTrain, "velocita,   17050,    65", "velocita,   17050,    6x5"}},
       2, ":31, 36 set aside)"},
      // The later error names lines in its text too; they are the author's, not those of the text with
      // line 36 left out.
      {"a value missing after one set aside",
       {{kTrain, "stazione,    9750,", "stazione,    9760,"},
        {kTrain, "0,  0,0,0, 245\r\n[codici]", "0,  0,0,0\r\n[codici]"}},
       1, "line 48 has 10; \"[codici]\" of line 49 is not"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(runToolCaptured({"export", "--force", dir()}).status, 0);
    for (const auto& e : c.edits) edit(e[0], e[1], e[2]);
    nlohmann::json j = nlohmann::json::parse(runToolCaptured({"check", "--json", dir()}).out);
    ASSERT_EQ(laterErrorsOf(j).size(), c.later) << j.dump(1);
    ToolRun run = runToolCaptured({"check", dir()});
    if (c.later > 0) {
      EXPECT_NE(run.out.find(c.laterSays), std::string::npos) << run.out;
    }
  }
}

// A shortened route leaves every later feature beyond its end: one line of each kind with a count, after
// the errors.
TEST_F(CheckCommand, WarningsComeAfterTheErrorsByKind) {
  edit(kRoute, "lunghezza percorso,    32850", "lunghezza percorso,    20000");
  ToolRun some = runToolCaptured({"check", dir()});
  ToolRun all = runToolCaptured({"check", "--all", dir()});
  EXPECT_EQ(some.status, all.status);
  std::string summary = some.out.substr(some.out.rfind("check: "));
  EXPECT_TRUE(all.out.ends_with(summary)) << "the same count either way\n" << all.out;
  EXPECT_NE(some.out.find(" more like it, at "), std::string::npos) << some.out;
  EXPECT_NE(some.out.find("(--all lists each one)"), std::string::npos) << some.out;
  EXPECT_EQ(all.out.find(" more like it"), std::string::npos) << all.out;
  EXPECT_LT(std::count(some.out.begin(), some.out.end(), '\n'), std::count(all.out.begin(), all.out.end(), '\n'));
  for (const ToolRun* run : {&some, &all}) {
    std::size_t error = run->out.rfind(": error ");
    std::size_t warning = run->out.find(": warning: ");
    if (error != std::string::npos) {
      EXPECT_LT(error, warning) << run->out;
    }
  }
  nlohmann::json j = nlohmann::json::parse(runToolCaptured({"check", "--json", dir()}).out);
  EXPECT_NE(summary.find(", " + std::to_string(warningsOf(j).size()) + " warnings"), std::string::npos)
      << "the JSON keeps every warning\n" << summary;
  EXPECT_TRUE(j["omitted"].empty());
}

// A source of many faulty lines costs what a few hundred findings cost: the verdict keeps 200 warnings in
// full, the kinds the compiler stops at first, and counts the others by kind.
TEST_F(CheckCommand, FindingsAreBoundedTheErrorsKept) {
  std::string unknown;
  for (int i = 0; i < 500; ++i) unknown += "chiave ignota " + std::to_string(i) + ", 1\r\n";
  edit(kTrain, "[codici]", unknown + "[codici]");
  edit(kTrain, "velocita,   17050,    65", "velocita,   17050,    6x5");  // read before the unknown keys
  edit(kRoute, "pendenza,  900,   24", "pendenza,  900,   240");          // a value out of its range
  nlohmann::json j = nlohmann::json::parse(runToolCaptured({"check", "--json", dir()}).out);
  EXPECT_EQ(j["errorCount"], 1);
  EXPECT_EQ(j["warningCount"], 501);
  // 200 kept of the lint's, one of them the reading failure the error then says as its own.
  EXPECT_EQ(warningsOf(j).size(), 199u);
  EXPECT_EQ(j["omitted"], (nlohmann::json{{"L015", 302}}));
  EXPECT_EQ(j["findings"][0]["id"], "E25") << "the error first";
  EXPECT_EQ(findingsWhere(j, [](const nlohmann::json& f) { return f["id"] == "L018"; }).size(), 1u)
      << "a warning of a more serious kind than the many keeps its place";
  ToolRun text = runToolCaptured({"check", dir()});
  EXPECT_NE(text.out.find("  and 499 more like it, at "), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("(302 of them only counted)\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("check: 1 error, 501 warnings\n"), std::string::npos) << text.out;
}

TEST_F(CheckCommand, ExitStatusFollowsTheWorstProblem) {
  struct Case {
    const char* name;
    const char* file;
    const char* from;
    const char* to;
    int status;
    int strictStatus;
    std::string has;
  } cases[] = {
      {"warnings only", kRoute, "pendenza,  900,   24", "pendenza,  900,   240", 0, 1, ":103:19: warning: "},
      {"a recorded error", kTrain, "stazione,    9750,", "stazione,    9760,", 2, 2, ":36: error 8 at 9760 m: "},
      {"a fatal stop", kTrain, "[codici]", "[codici]\r\nabbattimento, 50, 5", 2, 2, "error 1250: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder scratch;
    ASSERT_EQ(runToolCaptured({"export", scratch.str()}).status, 0);
    fs::path file = scratch.path() / c.file;
    std::string bytes = readBytes(file);
    writeBytes(file, bytes.replace(bytes.find(c.from), std::string(c.from).size(), c.to));
    ToolRun run = runToolCaptured({"check", scratch.str()});
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.out.find(c.has), std::string::npos) << run.out;
    EXPECT_EQ(runToolCaptured({"check", "--strict", scratch.str()}).status, c.strictStatus);
  }
}

TEST_F(CheckCommand, AMissingSourceIsNamed) {
  ToolRun wrongTrain = runToolCaptured({"check", dir(), "Borgorosso_MontegranoC", "518"});
  EXPECT_EQ(wrongTrain.status, 2);
  std::string missing = "the train run source " + dir() + "/Borgorosso_MontegranoC_518-.txt does not exist";
  EXPECT_TRUE(wrongTrain.out.starts_with(path(kRoute) + ": error: " + missing)) << wrongTrain.out;
  EXPECT_EQ(wrongTrain.out.find("error 25"), std::string::npos) << "the failure it causes is not a second error\n"
                                                                 << wrongTrain.out;
  EXPECT_TRUE(nlohmann::json::parse(runToolCaptured({"check", "--json", dir(), "Borgorosso_MontegranoC", "518"}).out)
                  ["findings"][0]["message"]
                      .get<std::string>()
                      .starts_with(missing));

  fs::remove(path(kRoute));
  ToolRun noRoute = runToolCaptured({"check", dir()});
  EXPECT_EQ(noRoute.status, 2);
  EXPECT_TRUE(noRoute.out.starts_with(path(kRoute) + ": error 101: ")) << noRoute.out;
}

// The commands on one scenario look into DIR for what the arguments leave out, the same way.
TEST_F(CheckCommand, TheFolderIsLookedAt) {
  ASSERT_EQ(runToolCaptured({"compile", dir()}).status, 0);
  const std::string holds = "which holds Borgorosso_MontegranoC 517";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string says;  // in standard error, or standard output when the status is 0
  } cases[] = {
      {{"check", dir()}, 0, "check: 0 errors"},
      {{"check", dir(), "517"}, 0, "check: 0 errors"},
      {{"check", dir(), "Borgorosso_MontegranoC"}, 0, "check: 0 errors"},
      {{"check", dir(), "518"}, 64, "scenario-tool check: \"518\" is neither a scenario nor a train number in " +
                                        dir() + ", " + holds + "\n"},
      {{"compile", dir(), "518"}, 64, "scenario-tool compile: \"518\" is neither"},
      {{"plot", dir(), "518"}, 64, holds},
      {{"decompile", dir(), "518"}, 64, holds},
      {{"pack", dir(), "518", "-o", dir() + "/p.exe"}, 64, holds},
      {{"serve", dir(), "518"}, 64, holds},
      {{"check", dir() + "/nowhere"}, 74, "scenario-tool check: " + dir() + "/nowhere: no such folder\n"},
      {{"plot", dir() + "/nowhere"}, 74, "scenario-tool plot: " + dir() + "/nowhere: no such folder\n"},
      {{"check", path(kRoute)}, 64, "is a file; DIR is the folder"},
      {{"check", dir(), ""}, 64, "scenario-tool check: the scenario name is empty\n"},
      {{"check", dir(), "Borgorosso_MontegranoC", ""}, 64, "scenario-tool check: the train number is empty\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 2 ? c.args[2] : c.args[1]));
    ToolRun run = runToolCaptured(c.args);
    EXPECT_EQ(run.status, c.status);
    const std::string& said = c.status == 0 ? run.out : run.err;
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
  }
  writeBytes(path("Borgorosso_MontegranoC_518-.txt"), readBytes(path(kTrain)));
  ToolRun two = runToolCaptured({"check", dir()});
  EXPECT_EQ(two.status, 64);
  EXPECT_EQ(two.err, "scenario-tool check: " + dir() +
                         " holds more than one choice; name one as SCENARIO TRAIN: Borgorosso_MontegranoC 517, "
                         "Borgorosso_MontegranoC 518\n");
}

// A folder that holds only another scenario is checked as that one, not searched for the embedded one.
TEST_F(CheckCommand, AnotherScenarioAloneInTheFolderIsTheOneChecked) {
  fs::path other = folder_.path() / "other";
  fs::create_directories(other);
  writeBytes(other / "Val_Sorgente_linea.txt", readBytes(path(kRoute)));
  writeBytes(other / "Val_Sorgente_9-.txt", readBytes(path(kTrain)));
  ToolRun run = runToolCaptured({"check", other.string()});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "check: 0 errors, 0 warnings\n");
}

TEST_F(CheckCommand, CompileRefusesAMissingTrainRunUnlessAskedToCompileTheRouteAlone) {
  std::map<std::string, std::string> before = snapshot();
  ToolRun refused = runToolCaptured({"compile", dir(), "Borgorosso_MontegranoC", "518"});
  EXPECT_EQ(refused.status, 74);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "scenario-tool compile: the train run source " + dir() +
                             "/Borgorosso_MontegranoC_518-.txt does not exist; check the train "
                             "number (without it the route is compiled alone, into a scenario without stations and "
                             "with speed 0: --allow-missing-run does that, as the pack would)\n");
  EXPECT_EQ(snapshot(), before) << "nothing written";

  ToolRun allowed = runToolCaptured({"compile", "--allow-missing-run", dir(), "Borgorosso_MontegranoC", "518"});
  EXPECT_EQ(allowed.status, 1) << "the pack's behaviour: error 25, files written";
  EXPECT_TRUE(fs::exists(path("Borgorosso_MontegranoC_518.dat")));
}

}  // namespace
}  // namespace pack
