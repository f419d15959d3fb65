// Each way an editor saves gives exactly one settled save, with the system's watcher and with polling.
#include "tool/serve/save_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

namespace fs = std::filesystem;
using tool_testing::TempFolder;
using tool_testing::writeBytes;

using Save = void (*)(const fs::path& file);

void inPlace(const fs::path& file) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << "new";
  out.flush();
  out << " content";
}

void throughRename(const fs::path& file) {
  fs::path temp = file;
  temp += ".swp";
  writeBytes(temp, "new content");
  fs::rename(temp, file);
}

void deleteFirst(const fs::path& file) {
  fs::remove(file);
  writeBytes(file, "new content");
}

// The new file comes well after the old one went, but within the wait for a vanished file.
void deleteThenLate(const fs::path& file) {
  fs::remove(file);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  writeBytes(file, "new content");
}

struct Case {
  const char* name;
  Save save;
};
const Case kSaves[] = {
    {"in place", inPlace}, {"rename", throughRename}, {"delete first", deleteFirst}, {"late", deleteThenLate}};

// Stops once `ms` have passed since it was made.
auto after(int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  return [end] { return std::chrono::steady_clock::now() >= end; };
}

// The system's watcher and the polling one, which must behave alike.
std::unique_ptr<FileWatcher> watcher(Platform& platform, const TempFolder& folder, bool system) {
  const std::vector<std::string> names = {"a_linea.txt"};
  return system ? watchFiles(platform, folder.str(), names) : pollFiles(platform, folder.str(), names, 20);
}

TEST(SaveWatch, EachSaveIsOneChange) {
  TempFolder folder;
  std::unique_ptr<Platform> platform = makeNativePlatform();
  const fs::path source = folder.path() / "a_linea.txt";
  writeBytes(source, "old content");
  for (bool system : {true, false}) {
    for (const Case& c : kSaves) {
      const std::string what = std::string(c.name) + (system ? ", system" : ", polling");
      std::unique_ptr<FileWatcher> w = watcher(*platform, folder, system);
      SaveWatch saves(*w, *platform, {source.string()});
      // Polling tells saves apart by modification time only: let the clock move on.
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      std::thread editor([&] { c.save(source); });
      EXPECT_TRUE(saves.next(after(5000))) << what;
      editor.join();
      EXPECT_TRUE(fs::exists(source)) << what << ": the save was over before the file was back";
      writeBytes(folder.path() / "unrelated.txt", "not watched");
      EXPECT_FALSE(saves.next(after(400))) << what << ": one save gave a second change";
    }
  }
}

TEST(SaveWatch, AFileThatStaysAwayIsAChangeAfterTheWait) {
  TempFolder folder;
  std::unique_ptr<Platform> platform = makeNativePlatform();
  const fs::path source = folder.path() / "a_linea.txt";
  for (bool system : {true, false}) {
    writeBytes(source, "old content");
    std::unique_ptr<FileWatcher> w = watcher(*platform, folder, system);
    SaveWatch saves(*w, *platform, {source.string()}, SaveTiming{40, 300, 50});
    fs::remove(source);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(saves.next(after(5000)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_FALSE(saves.next(after(300)));
  }
}

}  // namespace
}  // namespace pack
