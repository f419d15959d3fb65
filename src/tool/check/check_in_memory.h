// A scenario's two sources checked as `check` does, without touching the disk: the sources are copied
// into memory under their own paths, linted, and compiled there, so the compiled files (when the compile
// ran to its end) are in memory too. `check` reports it; `serve` draws it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "platform/memory_file_system.h"
#include "tool/check/source_lint.h"

namespace pack {

// Files in memory under the paths `disk` gives them: the memory file system joins with "/", the disk's
// own separator may differ, so the compile and whatever reads its files after it join as the disk does.
class SameNames : public FileSystem {
 public:
  SameNames(MemoryFileSystem& memory, FileSystem& disk) : memory_(memory), disk_(disk) {}
  using FileSystem::read;
  bool exists(const std::string& path) override { return memory_.exists(path); }
  std::string read(const std::string& path, std::uint64_t maxBytes) override { return memory_.read(path, maxBytes); }
  void remove(const std::string& path) override { memory_.remove(path); }
  std::unique_ptr<OutputFile> create(const std::string& path) override { return memory_.create(path); }
  std::string join(std::string_view folder, std::string_view name) const override { return disk_.join(folder, name); }

 private:
  MemoryFileSystem& memory_;
  FileSystem& disk_;
};

struct SourcesInMemory {
  CompileReport compile;
  std::optional<std::string> missingRun;  // the message naming a missing train run source
  std::vector<LintWarning> warnings;
  MemoryFileSystem files;  // the sources and the compiled files, under the paths they have on disk

  bool hasError() const { return compile.error.code != 0 || compile.fatal != 0 || missingRun; }
};

// Reads the sources named by `request` from `disk` (a missing one stays missing) and checks them in
// memory. File-system failures throw IoError.
void checkInMemory(FileSystem& disk, const CompileRequest& request, SourcesInMemory& result);

}  // namespace pack
