// scenario-tool pack in-process, with the native pack program as its template: what the packs it makes
// write when they run, and what it refuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "formats/file_names.h"
#include "output/pack_payload.h"
#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

namespace fs = std::filesystem;
using tool_testing::embeddedTexts;
using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;
using tool_testing::ToolRun;
using tool_testing::writeBytes;

const ScenarioNames kSorgente{"Val Sorgente", "314"};
const std::string kTemplate = std::string(PACK_BIN_DIR) + "/scenario-pack";

// The embedded scenario's sources under the names of another scenario, with one crew document of its own.
class PackCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(sources_ = folder_.path() / "sorgenti");
    std::map<std::string, std::string> texts = embeddedTexts();
    writeBytes(sources_ / routeSourceName(kSorgente), texts.at("Borgorosso_MontegranoC_linea.txt"));
    writeBytes(sources_ / trainRunSourceName(kSorgente), texts.at("Borgorosso_MontegranoC_517-.txt"));
    writeBytes(sources_ / notesName(kSorgente), "Note per il macchinista\r\nlinea inventata, citt\xE0 inventate\r\n");
  }

  ToolRun pack(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"pack", sources_.string(), "Val Sorgente", "314", "-o", packPath()};
    args.insert(args.end(), extra.begin(), extra.end());
    return runToolCaptured(args);
  }
  std::string packPath() const { return (folder_.path() / "ValSorgente").string(); }

  // The folder's file names and bytes, the program aside.
  static std::map<std::string, std::string> filesIn(const fs::path& folder, const std::string& program = "") {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) {
      if (e.path().filename() != program) files[e.path().filename().string()] = readBytes(e.path());
    }
    return files;
  }

  TempFolder folder_;
  fs::path sources_;
};

TEST_F(PackCommand, ThePackWritesTheDocumentsAndWhatCompileWrites) {
  ToolRun made = pack({"--template", kTemplate});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out, "wrote " + packPath() + " (1 crew document and the two sources, " +
                          std::to_string(fs::file_size(packPath())) + " bytes)\n");
  EXPECT_EQ(made.err, "check: 0 errors, 0 warnings\n");

  fs::path runs = folder_.path() / "Scenari";
  // The program made is one its reader may run, as it is.
  EXPECT_NE(fs::status(packPath()).permissions() & fs::perms::owner_exec, fs::perms::none);
  fs::create_directories(runs);
  fs::copy_file(packPath(), runs / "ValSorgente");
  std::string command = "cd '" + folder_.str() + "' && '" + (runs / "ValSorgente").string() + "' 2>/dev/null";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

  fs::path compiled = folder_.path() / "compilati";
  ASSERT_EQ(runToolCaptured({"compile", sources_.string(), "Val Sorgente", "314", "-o", compiled.string()}).status, 0);
  std::map<std::string, std::string> expected = filesIn(compiled);
  ASSERT_EQ(expected.size(), 3u);
  expected[notesName(kSorgente)] = readBytes(sources_ / notesName(kSorgente));
  EXPECT_TRUE(filesIn(runs, "ValSorgente") == expected);
}

TEST_F(PackCommand, APackedProgramIsATemplateWhosePayloadIsReplaced) {
  ASSERT_EQ(pack({"--template", kTemplate}).status, 0);
  std::string once = readBytes(packPath());
  fs::path again = folder_.path() / "again";
  fs::copy_file(packPath(), again);
  fs::remove(sources_ / notesName(kSorgente));
  ASSERT_EQ(pack({"--template", again.string()}).status, 0);
  std::string fromPacked = readBytes(packPath());
  ASSERT_EQ(pack({"--template", kTemplate}).status, 0);
  EXPECT_EQ(fromPacked, readBytes(packPath()));
  EXPECT_LT(fromPacked.size(), once.size());
}

TEST_F(PackCommand, AScenarioWithAnErrorIsPackedOnlyWhenAllowed) {
  std::string route = readBytes(sources_ / routeSourceName(kSorgente));
  writeBytes(sources_ / routeSourceName(kSorgente), route.substr(route.find('\n') + 1));  // no [generale]
  ToolRun refused = pack({"--template", kTemplate});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("error 102"), std::string::npos) << refused.err;
  EXPECT_TRUE(refused.err.ends_with(
      "scenario-tool pack: the scenario has an error; nothing was written (--allow-errors packs it as it is)\n"))
      << refused.err;
  EXPECT_FALSE(fs::exists(packPath()));

  ToolRun allowed = pack({"--template", kTemplate, "--allow-errors"});
  EXPECT_EQ(allowed.status, 0) << allowed.err;
  std::string packed = readBytes(packPath());
  std::size_t appended = packed.size() - fs::file_size(kTemplate);
  EXPECT_EQ(decodePayload(std::string_view(packed).substr(packed.size() - appended)).routeSource,
            route.substr(route.find('\n') + 1));
}

// A published pack must not carry text the simulator shows garbled: a source in UTF-8 is refused unless
// the author allows warnings; --strict refuses any warning.
TEST_F(PackCommand, AUtf8SourceIsRefusedUnlessWarningsAreAllowed) {
  const fs::path run = sources_ / trainRunSourceName(kSorgente);
  std::string text = readBytes(run);
  writeBytes(run, text.replace(text.find("SASSOCANDIDO"), 12, "PI\xC3\x88VE"));
  ToolRun refused = pack({"--template", kTemplate});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("warning: \"\xC3\x88\" (U+00C8) is written in UTF-8"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("scenario-tool pack: a source is not in the pack's form"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(packPath()));

  EXPECT_EQ(pack({"--template", kTemplate, "--allow-warnings", "--strict"}).status, 1) << "--strict refuses any warning";
  EXPECT_FALSE(fs::exists(packPath()));
  ToolRun allowed = pack({"--template", kTemplate, "--allow-warnings"});
  EXPECT_EQ(allowed.status, 0) << allowed.err;
  EXPECT_TRUE(fs::exists(packPath()));
}

TEST_F(PackCommand, RefusesWhatItCannotPackAndWritesNothing) {
  fs::path script = folder_.path() / "script.sh";
  writeBytes(script, "#!/bin/sh\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const std::string dir = sources_.string();
  const std::string route = (sources_ / routeSourceName(kSorgente)).string();
  const std::string routeBytes = readBytes(route);
  fs::path copied = folder_.path() / "template-copy";
  fs::copy_file(kTemplate, copied);
  const Case cases[] = {
      // An input of the pack is never written over, whatever the spelling.
      {{"pack", dir, "Val Sorgente", "314", "-o", route, "--template", kTemplate}, 73,
       "scenario-tool pack: " + route + " is " + route + ", which this command reads; nothing was written\n"},
      {{"pack", dir, "Val Sorgente", "314", "-o", folder_.path().string() + "/./template-copy", "--template",
        copied.string()},
       73, "which this command reads; nothing was written\n"},
      {{"pack", dir, "CON.x", "1", "-o", packPath(), "--template", kTemplate}, 64,
       "scenario-tool pack: scenario name \"CON.x\" gives the file name \"CON.x_linea.txt\", which Windows "
       "keeps for a device\n"},
      {{"pack", dir, "Val Sorgente", "315", "-o", packPath(), "--template", kTemplate}, 2,
       "error; nothing was written"},
      {{"pack", dir, "Val Sorgente", "314", "-o", packPath(), "--template", script.string()}, 65,
       "scenario-tool pack: the template " + script.string() + " cannot be used: it is not a program\n"},
      {{"pack", dir, "Val Sorgente", "314", "-o", packPath(), "--template", PACK_BIN_DIR "/scenario-tool"}, 65,
       "it is not a scenario pack program (it has no payload slot)\n"},
      {{"pack", dir, "Val Sorgente", "314", "-o", packPath(), "--template", dir + "/none"}, 74,
       "scenario-tool pack: cannot open \"" + dir + "/none\": No such file or directory\n"},
      {{"pack", dir, "Val Sorgente", "314", "-o", dir + "/no/such/folder/p"}, 74, "scenario-pack.exe"},
  };
  for (const Case& c : cases) {
    ToolRun run = runToolCaptured(c.args);
    EXPECT_EQ(run.status, c.status) << c.message << ": " << run.err;
    EXPECT_TRUE(run.err.ends_with(c.message) || run.err.find(c.message) != std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(packPath())) << c.message;
  }
  EXPECT_EQ(filesIn(sources_).size(), 3u);
  EXPECT_EQ(readBytes(route), routeBytes);
  EXPECT_EQ(readBytes(copied), readBytes(kTemplate));
}

}  // namespace
}  // namespace pack
