// An in-memory file system for tests and fuzzing: the same contract as the real ones, with faults that
// can be injected (read-only files, a disk that fills up).
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
  bool exists(const std::string& path) override;
  std::string read(const std::string& path) override;
  void remove(const std::string& path) override;
  std::unique_ptr<OutputFile> create(const std::string& path) override;
  std::string join(std::string_view folder, std::string_view name) const override;
  void createDirectories(const std::string& path) override;

  std::map<std::string, std::string> files;
  std::set<std::string> readOnly;     // files that cannot be removed or replaced
  std::set<std::string> unreadable;   // files whose reading fails
  // Total bytes that may still be written before writes fail with "No space left on device";
  // negative means no limit.
  std::int64_t spaceLeft = -1;
  std::vector<std::string> removed;   // every successful removal, in order
  // Files need no folder here; folders are only recorded, so a test can see which were asked for.
  std::set<std::string> directories;
};

}  // namespace pack
