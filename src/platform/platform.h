// The platform interfaces: files, the waiting window and the message box, the program's own folder.
// Only the implementations in this folder call the operating system.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_sink.h"
#include "platform/io_error.h"

namespace pack {

// A file being written. Bytes go to a temporary file created new beside the target (under a name no other
// run can guess, never through a link), which takes the target's permissions; commit() renames it over the
// target, so the old file stays intact until the new one is complete. Destroying an uncommitted file
// removes the temporary file and leaves the target as it was; so does an interrupt or a termination signal
// (the console's closing on Windows) while the file is open.
class OutputFile : public ByteSink {
 public:
  // The file committed in place of an older one, which is kept aside until this is dropped: restore() puts
  // the older file back (or removes the new one when there was none before).
  class Replaced {
   public:
    virtual ~Replaced() = default;
    virtual void restore() = 0;
  };

  virtual void commit() = 0;
  // Like commit(), but keeps what it replaced, so that a set of files can be put back as it was.
  virtual std::unique_ptr<Replaced> commitKeepingOld() = 0;
};

// Held while a set of files is put in place in one folder: another writer into the same folder waits, so
// that each set lands whole and the last one to land wins. Only someone who may write the folder can take
// it, so that a reader cannot hold the writers up; and a writer waits a bounded time: it says after
// kFolderLockNoticeAfter what it waits for and where, and gives up with FolderBusy after kFolderLockPatience.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};
constexpr std::chrono::milliseconds kFolderLockNoticeAfter{1000};
constexpr std::chrono::seconds kFolderLockPatience{10};

// What tells two paths to one file apart from two files with equal bytes.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  std::uint64_t links = 1;  // names the file has (hard links)

  bool sameFile(const FileIdentity& other) const { return device == other.device && file == other.file; }
};

// The most a file read without a limit of its own may hold: far past any scenario's source or compiled
// file, so that a runaway file is refused rather than read into memory.
constexpr std::uint64_t kMaxReadBytes = std::uint64_t{64} << 20;

// Paths are UTF-8. Every failure throws IoError.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Whether anything is at the path (a file, a folder, or something else that read() then refuses).
  // A path that cannot be looked up (a name too long, a folder that may not be searched) is a failure.
  virtual bool exists(const std::string& path) = 0;
  // The whole of a regular file. A folder, a FIFO, a device or a file of more than `maxBytes` is refused
  // with one message saying what it is, before anything is read or waited for.
  virtual std::string read(const std::string& path, std::uint64_t maxBytes) = 0;
  std::string read(const std::string& path) { return read(path, kMaxReadBytes); }
  virtual void remove(const std::string& path) = 0;
  // Fails at once when the target cannot be replaced (a read-only file, a directory).
  virtual std::unique_ptr<OutputFile> create(const std::string& path) = 0;
  // folder + separator + name; the separator is the platform's ("\" on Windows). An empty folder is the
  // current one: the name alone.
  virtual std::string join(std::string_view folder, std::string_view name) const = 0;
  // The folder part of a path, as join() would have built it; empty for a bare name.
  virtual std::string folderOf(std::string_view path) const {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return {};
    return std::string(path.substr(0, slash == 0 ? 1 : slash));
  }
  // Locks the folder against other writers of file sets (see FolderLock); throws FolderBusy when another
  // writer holds it too long. Platforms without locks do nothing.
  virtual std::unique_ptr<FolderLock> lockFolder(const std::string& folder) {
    (void)folder;
    return std::make_unique<FolderLock>();
  }
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
  // Which file the path leads to (through links); nothing when it is missing or the platform cannot tell.
  virtual std::optional<FileIdentity> identity(const std::string& path) {
    (void)path;
    return std::nullopt;
  }
  // The path with every symbolic link on the way resolved, for rewriting the file a link leads to rather
  // than replacing the link; the path itself where there is nothing to resolve.
  virtual std::string resolvedPath(const std::string& path) { return path; }
  // Lets everyone who may read the file run it too, where the platform keeps such a permission (a made
  // program); nothing where it does not.
  virtual void makeExecutable(const std::string& path) { (void)path; }
  // The names of everything that stands right in `folder` (files, folders, links, and whatever else read()
  // then refuses), in no particular order; nothing when there is no folder at the path. The pack never
  // needs it; scenario-tool looks into a folder for the scenarios there. Platforms without it fail with
  // IoError.
  virtual std::optional<std::vector<std::string>> listFiles(const std::string& folder) {
    throw IoError("list", folder, "not supported on this platform");
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
