// Files that belong together under a file system whose n-th write or n-th rename fails, for every n up to a
// run without a failure: every set on disk is then the whole older set or the whole new one, never a mix.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "output/compiled_files.h"
#include "platform/fake_platform.h"
#include "tool/commands/decompile_command.h"
#include "tool/commands/tool_test_support.h"
#include "writers/line_table.h"

namespace pack {
namespace {

using State = std::map<std::string, std::optional<std::string>>;  // nothing: no file there

const ScenarioNames kNames{kScenarioName, kTrainNumber};

State stateOf(const MemoryFileSystem& fs, const std::vector<std::string>& paths) {
  State state;
  for (const std::string& path : paths) {
    auto it = fs.files.find(path);
    state[path] = it == fs.files.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  return state;
}

// Older versions of every path, so that old and new always differ.
void placeOlder(MemoryFileSystem& fs, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) fs.files[path] = "older " + path;
}

enum class Fault { kWrite, kRename };

// Runs `action` on a fresh file system from `prepare` with the n-th write (or rename) failing, n = 1, 2...
// until a run meets no failure, and checks after each that every set is all older or all new (as the run
// without a failure leaves it).
void expectWholeSets(const std::function<void(MemoryFileSystem&)>& prepare,
                     const std::function<void(MemoryFileSystem&)>& action,
                     const std::vector<std::vector<std::string>>& sets) {
  MemoryFileSystem clean;
  prepare(clean);
  std::vector<State> older, newer;
  for (const auto& set : sets) older.push_back(stateOf(clean, set));
  action(clean);
  for (const auto& set : sets) newer.push_back(stateOf(clean, set));
  for (std::size_t i = 0; i < sets.size(); ++i) ASSERT_NE(older[i], newer[i]) << "set " << i << " is not written";

  for (Fault fault : {Fault::kWrite, Fault::kRename}) {
    for (std::int64_t n = 1;; ++n) {
      MemoryFileSystem fs;
      prepare(fs);
      fs.writes = fs.renames = 0;
      (fault == Fault::kWrite ? fs.failingWrite : fs.failingRename) = n;
      action(fs);
      for (std::size_t i = 0; i < sets.size(); ++i) {
        State now = stateOf(fs, sets[i]);
        EXPECT_TRUE(now == older[i] || now == newer[i])
            << "set " << i << " is mixed after " << (fault == Fault::kWrite ? "write " : "rename ") << n << " failed";
      }
      if ((fault == Fault::kWrite ? fs.writes : fs.renames) < n) break;  // nothing failed: every n was tried
    }
  }
}

std::vector<std::string> inFolder(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(folder + "/" + name);
  return paths;
}

const std::vector<std::string> kCompiled = {planFileName(kNames), scenarioTableFileName(kNames), trackCellFileName(kNames)};
const std::vector<std::string> kSources = {routeSourceName(kNames), trainRunSourceName(kNames)};
const std::vector<std::string> kDocuments = {notesName(kNames), slowDownOrderName(kNames), timetableName(kNames)};

void putEmbeddedSources(MemoryFileSystem& fs, const std::string& folder) {
  for (const auto& [name, bytes] : tool_testing::embeddedTexts()) fs.files[folder + "/" + name] = bytes;
}

TEST(FileSetFaults, ThePacksTextsAndCompiledFiles) {
  // The pack's sources are read and deleted once written: afterwards they are gone, which is their new state.
  std::vector<std::string> texts = inFolder("/pack", kSources);
  for (const std::string& path : inFolder("/pack", kDocuments)) texts.push_back(path);
  std::vector<std::string> compiled = inFolder("/pack", kCompiled);
  auto prepare = [&](MemoryFileSystem& fs) {
    placeOlder(fs, texts);
    placeOlder(fs, compiled);
  };
  auto action = [](MemoryFileSystem& fs) {
    FakePlatform p;
    p.fs = fs;
    runPack(p);
    fs = p.fs;
  };
  expectWholeSets(prepare, action, {texts, compiled});
}

TEST(FileSetFaults, ExportsFiveTexts) {
  std::vector<std::string> texts = inFolder("/work", kSources);
  for (const std::string& path : inFolder("/work", kDocuments)) texts.push_back(path);
  expectWholeSets([&](MemoryFileSystem& fs) { placeOlder(fs, texts); },
                  [](MemoryFileSystem& fs) {
                    try {
                      writeLineTables(fs, "/work", embeddedTexts(kNames));
                    } catch (const IoError&) {
                    }
                  },
                  {texts});
}

TEST(FileSetFaults, CompilesThreeFiles) {
  std::vector<std::string> compiled = inFolder("/out", kCompiled);
  expectWholeSets(
      [&](MemoryFileSystem& fs) {
        putEmbeddedSources(fs, "/src");
        placeOlder(fs, compiled);
      },
      [](MemoryFileSystem& fs) {
        Model model;
        CompileRequest request{std::string(kScenarioName), std::string(kTrainNumber), "/src", true, false};
        try {
          compileAndWrite(fs, request, "/out", model);
        } catch (const IoError&) {
        }
      },
      {compiled});
}

TEST(FileSetFaults, DecompilesTwoSources) {
  std::vector<std::string> sources = inFolder("/dec", kSources);
  expectWholeSets(
      [&](MemoryFileSystem& fs) {
        putEmbeddedSources(fs, "/src");
        Model model;
        CompileRequest request{std::string(kScenarioName), std::string(kTrainNumber), "/src", true, false};
        compileAndWrite(fs, request, "/bin", model);
        placeOlder(fs, sources);
      },
      [](MemoryFileSystem& fs) {
        DecompileOptions options;
        options.outDir = "/dec";
        options.force = true;
        ChosenScenario chosen{"/bin", std::string(kScenarioName), std::string(kTrainNumber), ""};
        std::ostringstream out, err;
        runDecompile(options, fs, chosen, out, err);
      },
      {sources});
}

}  // namespace
}  // namespace pack
