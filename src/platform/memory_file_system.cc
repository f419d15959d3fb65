#include "platform/memory_file_system.h"

namespace pack {
namespace {

class MemoryOutputFile : public OutputFile {
 public:
  MemoryOutputFile(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}

  void write(const std::uint8_t* data, std::size_t size) override {
    if (fs_.spaceLeft >= 0) {
      if (static_cast<std::uint64_t>(fs_.spaceLeft) < size) throw IoError("write", path_, "No space left on device");
      fs_.spaceLeft -= static_cast<std::int64_t>(size);
    }
    content_.append(reinterpret_cast<const char*>(data), size);
  }

  void commit() override {
    if (fs_.readOnly.count(path_)) throw IoError("replace", path_, "Permission denied");
    fs_.files[path_] = std::move(content_);
  }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
  std::string content_;
};

}  // namespace

bool MemoryFileSystem::exists(const std::string& path) { return files.count(path) != 0; }

std::string MemoryFileSystem::read(const std::string& path) {
  auto it = files.find(path);
  if (it == files.end()) throw IoError("open", path, "No such file or directory");
  if (unreadable.count(path)) throw IoError("read", path, "Input/output error");
  return it->second;
}

void MemoryFileSystem::remove(const std::string& path) {
  if (!files.count(path)) throw IoError("delete", path, "No such file or directory");
  if (readOnly.count(path)) throw IoError("delete", path, "Permission denied");
  files.erase(path);
  removed.push_back(path);
}

std::unique_ptr<OutputFile> MemoryFileSystem::create(const std::string& path) {
  if (readOnly.count(path)) throw IoError("replace", path, "Permission denied");
  return std::make_unique<MemoryOutputFile>(*this, path);
}

void MemoryFileSystem::createDirectories(const std::string& path) {
  if (files.count(path)) throw IoError("create folder", path, "Not a directory");
  directories.insert(path);
}

std::string MemoryFileSystem::join(std::string_view folder, std::string_view name) const {
  return std::string(folder) + "/" + std::string(name);
}

}  // namespace pack
