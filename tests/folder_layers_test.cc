// The folders of the system's code are floors: each includes only from the floors below it, so that a
// constant shared by a reader and a writer lives below both and no include runs back up. The tool's rooms
// are floors of their own inside the tool's floor: the commands sit on top of the rooms, and the rooms
// that draw and that decompile never reach into each other. Tests are not held to it: they may drive a
// lower floor with what a higher one makes (the stored route, the program).
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
    {"running_time", {"formats", "platform", "compiler", "output"}},
    {"tool", {"formats", "platform", "compiler", "output", "writers", "running_time"}},
};

// Rooms of the tool; "" is the tool's own top (its main).
const std::map<std::string, std::set<std::string>> kRoomMayInclude = {
    {"describe", {}},
    {"check", {"describe"}},
    {"plot", {"describe", "check"}},
    {"decompile", {"describe", "check"}},
    {"lsp", {"describe", "check"}},
    {"serve", {"describe", "check", "plot"}},
    {"commands", {"describe", "check", "plot", "decompile", "lsp", "serve"}},
    {"", {"commands"}},
};

bool isTest(const std::filesystem::path& file) {
  const std::string name = file.filename().string();
  return name.ends_with("_test.cc") || name.ends_with("_test_support.h");
}

// The first folder of `path` below `base`, or "" when the file lies in `base` itself.
std::string firstFolder(const std::filesystem::path& path, const std::filesystem::path& base) {
  const std::filesystem::path relative = path.lexically_relative(base);
  return std::distance(relative.begin(), relative.end()) > 1 ? relative.begin()->string() : "";
}

struct Include {
  std::string floor;  // the folder below src
  std::string room;   // for the tool: the folder below src/tool
};

Include includedFrom(const std::string& line) {
  const std::filesystem::path target = line.substr(10, line.find('"', 10) - 10);
  auto part = target.begin();
  Include include{part->string(), ""};
  if (include.floor == "tool" && std::distance(target.begin(), target.end()) > 2) include.room = (++part)->string();
  return include;
}

TEST(FolderLayers, EveryIncludeGoesToALowerFloor) {
  const std::filesystem::path src = std::filesystem::path(PACK_SOURCE_DIR) / "src";
  int filesRead = 0;
  for (const auto& [folder, below] : kMayInclude) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(src / folder)) {
      if (!entry.is_regular_file() || isTest(entry.path())) continue;
      ++filesRead;
      const std::string room = folder == "tool" ? firstFolder(entry.path(), src / "tool") : "";
      if (folder == "tool") {
        ASSERT_TRUE(kRoomMayInclude.contains(room)) << "a room without floors: " << room;
      }
      std::ifstream in(entry.path());
      std::string line;
      for (int number = 1; std::getline(in, line); ++number) {
        if (!line.starts_with("#include \"")) continue;
        const Include target = includedFrom(line);
        const std::string where = entry.path().string() + ":" + std::to_string(number) + ": " + line;
        if (target.floor == folder && folder == "tool") {
          if (target.room != room) {
            EXPECT_TRUE(kRoomMayInclude.at(room).contains(target.room)) << where;
          }
          continue;
        }
        if (target.floor == folder || !kMayInclude.contains(target.floor)) continue;
        EXPECT_TRUE(below.contains(target.floor)) << where;
      }
    }
  }
  EXPECT_GT(filesRead, 0);
}

}  // namespace
