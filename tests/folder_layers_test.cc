// The folders of the system's code are floors: each includes only from the floors below it, so that a
// constant shared by a reader and a writer lives below both and no include runs back up. Tests are not
// held to it: they may drive a lower floor with what a higher one makes (the stored route, the program).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace {

const std::map<std::string, std::set<std::string>> kMayInclude = {
    {"formats", {}},
    {"platform", {}},
    {"compiler", {"formats", "platform"}},
    {"output", {"formats", "platform", "compiler"}},
    {"writers", {"formats", "platform", "output"}},
    {"app", {"formats", "platform", "compiler", "output", "writers"}},
    {"tool", {"formats", "platform", "compiler", "output", "writers", "app"}},
};

bool isTest(const std::filesystem::path& file) {
  const std::string name = file.filename().string();
  return name.ends_with("_test.cc") || name.ends_with("_test_support.h");
}

TEST(FolderLayers, EveryIncludeGoesToALowerFloor) {
  const std::filesystem::path src = std::filesystem::path(PACK_SOURCE_DIR) / "src";
  int filesRead = 0;
  for (const auto& [folder, below] : kMayInclude) {
    for (const auto& entry : std::filesystem::directory_iterator(src / folder)) {
      if (!entry.is_regular_file() || isTest(entry.path())) continue;
      ++filesRead;
      std::ifstream in(entry.path());
      std::string line;
      for (int number = 1; std::getline(in, line); ++number) {
        if (!line.starts_with("#include \"")) continue;
        const std::string target = line.substr(10, line.find('/', 10) - 10);
        if (target == folder || !kMayInclude.contains(target)) continue;
        EXPECT_TRUE(below.contains(target)) << entry.path().string() << ":" << number << ": " << line;
      }
    }
  }
  EXPECT_GT(filesRead, 0);
}

}  // namespace
