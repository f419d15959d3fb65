// An in-memory file system for tests and fuzzing: the same contract as the real ones, with faults that
// can be injected (read-only files, a disk that fills up, the n-th write or rename failing).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pack {

class MemoryFileSystem : public FileSystem {
 public:
  using FileSystem::read;
  bool exists(const std::string& path) override;
  std::string read(const std::string& path, std::uint64_t maxBytes) override;
  void remove(const std::string& path) override;
  std::unique_ptr<OutputFile> create(const std::string& path) override;
  std::string join(std::string_view folder, std::string_view name) const override;
  void createDirectories(const std::string& path) override;
  std::optional<std::vector<std::string>> listFiles(const std::string& folder) override;

  // Counts a write or a rename, failing the one the test asked for.
  void countWrite(const std::string& path);
  void countRename(const std::string& path);

  std::map<std::string, std::string> files;
  std::set<std::string> readOnly;     // files that cannot be removed or replaced
  std::set<std::string> unreadable;   // files whose reading fails
  // Total bytes that may still be written before writes fail with "No space left on device";
  // negative means no limit.
  std::int64_t spaceLeft = -1;
  // The write or rename (counted from 1 since the file system was made) that fails; 0: none.
  std::int64_t failingWrite = 0;
  std::int64_t failingRename = 0;
  std::int64_t writes = 0;
  std::int64_t renames = 0;
  std::vector<std::string> removed;   // every successful removal, in order
  // Files need no folder here; folders are only recorded, so a test can see which were asked for.
  std::set<std::string> directories;
};

}  // namespace pack
