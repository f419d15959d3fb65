// A platform in memory: files in a MemoryFileSystem, the window and messages recorded.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/memory_file_system.h"

namespace pack {

class FakePlatform : public Platform {
 public:
  using FileSystem::read;
  bool exists(const std::string& path) override { return fs.exists(path); }
  std::string read(const std::string& path, std::uint64_t maxBytes) override { return fs.read(path, maxBytes); }
  void remove(const std::string& path) override { fs.remove(path); }
  std::unique_ptr<OutputFile> create(const std::string& path) override { return fs.create(path); }
  std::string join(std::string_view folder, std::string_view name) const override {
    return fs.join(folder, name);
  }
  std::optional<std::vector<std::string>> listFiles(const std::string& path) override { return fs.listFiles(path); }
  std::string programFolder() override { return folder; }
  std::string readProgramTail(std::size_t count) override {
    if (programUnreadable) throw IoError("read", folder + "/scenario-pack", "Permission denied");
    return program.substr(program.size() - std::min(count, program.size()));
  }
  void showWaitWindow(std::string_view label) override { windowLabels.emplace_back(label); }
  void showMessage(std::string_view text) override { messages.emplace_back(text); }

  MemoryFileSystem fs;
  std::string folder = "/pack";
  std::string program;  // the program's own file
  bool programUnreadable = false;
  std::vector<std::string> windowLabels;
  std::vector<std::string> messages;
};

}  // namespace pack
