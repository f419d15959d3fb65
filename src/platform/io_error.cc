#include "platform/io_error.h"

namespace pack {

IoError::IoError(std::string operation, std::string path, std::string reason)
    : std::runtime_error("cannot " + operation + " \"" + path + "\": " + reason),
      operation_(std::move(operation)),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

IoError readTooLarge(const std::string& path, std::uint64_t size, std::uint64_t maxBytes) {
  return IoError("read", path,
                 "it holds " + std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) +
                     " that any scenario's file of its kind needs");
}

}  // namespace pack
