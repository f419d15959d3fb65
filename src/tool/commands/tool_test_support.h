// Helpers for tests that run scenario-tool in-process against real temporary folders.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fake_platform.h"
#include "tool/commands/tool_app.h"
#include "writers/embedded_tables.h"
#include "writers/line_table.h"

namespace pack::tool_testing {

// The embedded scenario's two sources, as export writes them.
inline constexpr const char* kRoute = "Borgorosso_MontegranoC_linea.txt";
inline constexpr const char* kTrain = "Borgorosso_MontegranoC_517-.txt";

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

inline ToolRun runToolCaptured(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  int status = runTool(args, out, err);
  return {status, out.str(), err.str()};
}

// The embedded scenario's five texts by file name, as the pack's own writers give them (in memory).
inline std::map<std::string, std::string> embeddedTexts() {
  FakePlatform p;
  for (const EmbeddedText& text : pack::embeddedTexts({kScenarioName, kTrainNumber})) {
    writeLineTable(p, p.join(p.folder, text.name), text.lines);
  }
  std::map<std::string, std::string> texts;
  for (const auto& [path, bytes] : p.fs.files) texts[path.substr(p.folder.size() + 1)] = bytes;
  return texts;
}

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh folder under the system's temporary folder, removed with the test.
class TempFolder {
 public:
  TempFolder() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("scenario-tool-" + std::to_string(::getpid()) + "-" + test->test_suite_name() + "-" + test->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace pack::tool_testing
