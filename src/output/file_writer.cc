#include "output/file_writer.h"

#include <set>

namespace pack {
namespace {

std::unique_ptr<OutputFile> writeUncommitted(FileSystem& fs, const std::string& path, const FileBody& body) {
  std::unique_ptr<OutputFile> file = fs.create(path);
  BinaryWriter writer(*file);
  body(writer);
  writer.flush();
  return file;
}

// Puts back what the set replaced so far, newest first. A file that cannot be put back is left for the
// failure being reported; the others are still tried.
void restore(std::vector<std::unique_ptr<OutputFile::Replaced>>& replaced) {
  for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
    try {
      (*it)->restore();
    } catch (const IoError&) {
    }
  }
}

}  // namespace

void writeFile(FileSystem& fs, const std::string& path, const FileBody& body) {
  writeUncommitted(fs, path, body)->commit();
}

void writeFileSet(FileSystem& fs, const std::vector<FileInSet>& files) {
  std::vector<std::unique_ptr<OutputFile>> written;
  for (const FileInSet& file : files) written.push_back(writeUncommitted(fs, file.path, file.body));

  // Locked in one order (the folders' names), so that two writers never wait for each other's second lock.
  std::set<std::string> folders;
  for (const FileInSet& file : files) folders.insert(fs.folderOf(file.path));
  std::vector<std::unique_ptr<FolderLock>> locks;
  for (const std::string& folder : folders) locks.push_back(fs.lockFolder(folder));

  std::vector<std::unique_ptr<OutputFile::Replaced>> replaced;
  try {
    for (std::unique_ptr<OutputFile>& file : written) replaced.push_back(file->commitKeepingOld());
  } catch (...) {
    restore(replaced);
    throw;
  }
}

}  // namespace pack
