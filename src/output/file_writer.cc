#include "output/file_writer.h"

namespace pack {

void writeFile(FileSystem& fs, const std::string& path, const std::function<void(BinaryWriter&)>& body) {
  std::unique_ptr<OutputFile> file = fs.create(path);
  BinaryWriter writer(*file);
  body(writer);
  writer.flush();
  file->commit();
}

}  // namespace pack
