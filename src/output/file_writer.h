// The one way a file is written: streamed through a BinaryWriter into a temporary file beside the
// target, then renamed over it; and the one way files that belong together are written: all or none.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "output/binary_writer.h"
#include "platform/platform.h"

namespace pack {

using FileBody = std::function<void(BinaryWriter&)>;

// Writes the whole file and renames it over the target.
void writeFile(FileSystem& fs, const std::string& path, const FileBody& body);

// One file of a set: where it goes and what it holds.
struct FileInSet {
  std::string path;
  FileBody body;
};

// Writes files that belong together (a scenario's compiled files, its two sources, the pack's texts) so
// that the folder holds either the whole new set or the whole older one: every file is written to its
// temporary first, then all are put in place while the folders are locked against other writers of sets;
// when one cannot be put in place, those already replaced get their older versions back before the
// failure is thrown. Two writers of sets into one folder at once each land whole; the later one wins.
void writeFileSet(FileSystem& fs, const std::vector<FileInSet>& files);

}  // namespace pack
