// A file operation that failed: names the operation, the path and the system's reason.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pack {

class IoError : public std::runtime_error {
 public:
  IoError(std::string operation, std::string path, std::string reason);

  const std::string& operation() const { return operation_; }
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string operation_;
  std::string path_;
  std::string reason_;
};

// A writer of a set of files that waited its longest for another writer of the same folder (see
// FileSystem::lockFolder). Not an IoError: nothing failed, and the writer ends with a status of its own.
class FolderBusy : public std::runtime_error {
 public:
  FolderBusy(const std::string& folder, const std::string& lock, int seconds);
};

// What a writer says when it has waited a while for the lock `lock` on `folder`: the same words on every
// platform.
std::string folderLockWaitNotice(const std::string& folder, const std::string& lock);

// A file refused because it holds more than a read may take: the same words on every platform.
IoError readTooLarge(const std::string& path, std::uint64_t size, std::uint64_t maxBytes);

}  // namespace pack
