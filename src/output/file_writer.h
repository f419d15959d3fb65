// The one way a file is written: streamed through a BinaryWriter into a temporary file beside the
// target, then renamed over it.
#pragma once

#include <functional>
#include <string>

#include "output/binary_writer.h"
#include "platform/platform.h"

namespace pack {

void writeFile(FileSystem& fs, const std::string& path, const std::function<void(BinaryWriter&)>& body);

}  // namespace pack
