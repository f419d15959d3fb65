#include "platform/io_error.h"

namespace pack {

IoError::IoError(std::string operation, std::string path, std::string reason)
    : std::runtime_error("cannot " + operation + " \"" + path + "\": " + reason),
      operation_(std::move(operation)),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

}  // namespace pack
