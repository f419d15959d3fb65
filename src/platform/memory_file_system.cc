#include "platform/memory_file_system.h"

#include <optional>

namespace pack {
namespace {

class MemoryReplaced : public OutputFile::Replaced {
 public:
  MemoryReplaced(MemoryFileSystem& fs, std::string path, std::optional<std::string> old)
      : fs_(fs), path_(std::move(path)), old_(std::move(old)) {}

  void restore() override {
    fs_.countRename(path_);
    if (old_) {
      fs_.files[path_] = *old_;
    } else {
      fs_.files.erase(path_);
    }
  }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
  std::optional<std::string> old_;
};

class MemoryOutputFile : public OutputFile {
 public:
  MemoryOutputFile(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}

  void write(const std::uint8_t* data, std::size_t size) override {
    fs_.countWrite(path_);
    if (fs_.spaceLeft >= 0) {
      if (static_cast<std::uint64_t>(fs_.spaceLeft) < size) throw IoError("write", path_, "No space left on device");
      fs_.spaceLeft -= static_cast<std::int64_t>(size);
    }
    content_.append(reinterpret_cast<const char*>(data), size);
  }

  void commit() override {
    if (fs_.readOnly.count(path_)) throw IoError("replace", path_, "Permission denied");
    fs_.countRename(path_);
    fs_.files[path_] = std::move(content_);
  }

  std::unique_ptr<Replaced> commitKeepingOld() override {
    auto it = fs_.files.find(path_);
    std::optional<std::string> old;
    if (it != fs_.files.end()) old = it->second;
    commit();
    return std::make_unique<MemoryReplaced>(fs_, path_, std::move(old));
  }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
  std::string content_;
};

}  // namespace

bool MemoryFileSystem::exists(const std::string& path) { return files.count(path) != 0; }

std::string MemoryFileSystem::read(const std::string& path, std::uint64_t maxBytes) {
  auto it = files.find(path);
  if (it == files.end()) throw IoError("open", path, "No such file or directory");
  if (unreadable.count(path)) throw IoError("read", path, "Input/output error");
  if (it->second.size() > maxBytes) throw IoError("read", path, "it holds more than " + std::to_string(maxBytes) + " bytes");
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

// A folder is there when it was created or holds a file at any depth; the files right in it are listed
// (folders here are only recorded, so none are).
std::optional<std::vector<std::string>> MemoryFileSystem::listFiles(const std::string& folder) {
  const std::string prefix = join(folder, "");
  auto first = files.lower_bound(prefix);
  bool holdsFiles = first != files.end() && first->first.starts_with(prefix);
  if (!holdsFiles && directories.count(folder) == 0) return std::nullopt;
  std::vector<std::string> names;
  for (auto it = first; it != files.end() && it->first.starts_with(prefix); ++it) {
    std::string name = it->first.substr(prefix.size());
    if (name.find('/') == std::string::npos) names.push_back(std::move(name));
  }
  return names;
}

std::string MemoryFileSystem::join(std::string_view folder, std::string_view name) const {
  return std::string(folder) + "/" + std::string(name);
}

void MemoryFileSystem::countWrite(const std::string& path) {
  if (++writes == failingWrite) throw IoError("write", path, "Input/output error (injected)");
}

void MemoryFileSystem::countRename(const std::string& path) {
  if (++renames == failingRename) throw IoError("replace", path, "Input/output error (injected)");
}

}  // namespace pack
