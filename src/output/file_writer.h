// The one way a file is written: streamed through a BinaryWriter into a temporary file beside the
// target, then renamed over it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "output/binary_writer.h"
#include "platform/platform.h"

namespace pack {

using FileBody = std::function<void(BinaryWriter&)>;

// Writes the whole file and renames it over the target.
void writeFile(FileSystem& fs, const std::string& path, const FileBody& body);

// Writes the whole file but leaves it uncommitted, so that several files can be replaced together:
// commit each once all are written (dropping one removes its temporary file).
std::unique_ptr<OutputFile> writeUncommitted(FileSystem& fs, const std::string& path, const FileBody& body);

}  // namespace pack
