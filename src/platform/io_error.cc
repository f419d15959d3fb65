#include "platform/io_error.h"

namespace pack {

IoError::IoError(std::string operation, std::string path, std::string reason)
    : std::runtime_error("cannot " + operation + " \"" + path + "\": " + reason),
      operation_(std::move(operation)),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

namespace {
std::string shownFolder(const std::string& folder) { return folder.empty() ? "." : folder; }
}  // namespace

FolderBusy::FolderBusy(const std::string& folder, const std::string& lock, int seconds)
    : std::runtime_error("gave up after " + std::to_string(seconds) + " s waiting for another program writing files in \"" +
                         shownFolder(folder) + "\" (it holds \"" + lock +
                         "\"); nothing was written: try again when it has finished") {}

std::string folderLockWaitNotice(const std::string& folder, const std::string& lock) {
  return "waiting for another program writing files in \"" + shownFolder(folder) + "\" to finish (it holds \"" +
         lock + "\")";
}

IoError readTooLarge(const std::string& path, std::uint64_t size, std::uint64_t maxBytes) {
  return IoError("read", path,
                 "it holds " + std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) +
                     " that any scenario's file of its kind needs");
}

}  // namespace pack
