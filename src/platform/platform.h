// The platform interfaces: files, the waiting window and the message box, the program's own folder.
// Only the implementations in this folder call the operating system.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_sink.h"
#include "platform/io_error.h"

namespace pack {

// A file being written. Bytes go to a temporary file beside the target; commit() renames it over the
// target, so the old file stays intact until the new one is complete. Destroying an uncommitted file
// removes the temporary file and leaves the target as it was.
class OutputFile : public ByteSink {
 public:
  virtual void commit() = 0;
};

// Paths are UTF-8. Every failure throws IoError.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool exists(const std::string& path) = 0;
  virtual std::string read(const std::string& path) = 0;
  virtual void remove(const std::string& path) = 0;
  // Fails at once when the target cannot be replaced (a read-only file, a directory).
  virtual std::unique_ptr<OutputFile> create(const std::string& path) = 0;
  // folder + separator + name; the separator is the platform's ("\" on Windows).
  virtual std::string join(std::string_view folder, std::string_view name) const = 0;
  // Makes the folder and any missing parents; a folder that already exists is fine. The pack never needs
  // it (it writes beside itself); scenario-tool does. Platforms without it fail with IoError.
  virtual void createDirectories(const std::string& path) {
    throw IoError("create folder", path, "not supported on this platform");
  }
  // When the file was last written, in milliseconds of the platform's clock; nothing when the file is
  // missing or the platform cannot tell. Only compared between files, never shown. The pack never needs
  // it; scenario-tool uses it to find a plan file left by an earlier compile.
  virtual std::optional<std::int64_t> modifiedMilliseconds(const std::string& path) {
    (void)path;
    return std::nullopt;
  }
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // Shows the window with its one label and paints it once; it stays until the process ends.
  virtual void showWaitWindow(std::string_view label) = 0;
  // A modal message with an OK button only; returns when it has been dismissed.
  virtual void showMessage(std::string_view text) = 0;
};

class Platform : public FileSystem, public UserInterface {
 public:
  // The folder that holds the running program (not the current folder).
  virtual std::string programFolder() = 0;
  // The last `count` bytes of the running program's own file, or the whole file when it is shorter: where
  // a scenario appended to the pack lies. Read only when the program's slot says that one was appended.
  virtual std::string readProgramTail(std::size_t count) = 0;
};

// The platform the program runs on.
std::unique_ptr<Platform> makeNativePlatform();

// A console program's arguments (without the program name) as UTF-8, whatever the system's code page;
// also makes the console show UTF-8 output.
std::vector<std::string> consoleArguments(int argc, char** argv);

// Makes standard input and output carry bytes unchanged (Windows would otherwise turn "\n" into "\r\n"
// and stop reading at a Ctrl-Z), for a program that speaks a byte-counted protocol over them.
void useBinaryStandardStreams();

}  // namespace pack
