#include "output/file_writer.h"

namespace pack {

std::unique_ptr<OutputFile> writeUncommitted(FileSystem& fs, const std::string& path, const FileBody& body) {
  std::unique_ptr<OutputFile> file = fs.create(path);
  BinaryWriter writer(*file);
  body(writer);
  writer.flush();
  return file;
}

void writeFile(FileSystem& fs, const std::string& path, const FileBody& body) {
  writeUncommitted(fs, path, body)->commit();
}

}  // namespace pack
