// POSIX implementation: files through POSIX calls; the window and the message box become lines on
// standard error.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace pack {
namespace {

std::string reason(int error) { return std::strerror(error); }

// Writes everything or throws.
void writeAll(int fd, const std::uint8_t* data, std::size_t size, const std::string& path) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError("write", path, reason(errno));
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

// A target that exists must be a regular file that its owner may write: a read-only file is not
// replaced, just as on Windows.
void checkReplaceable(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) throw IoError("replace", path, reason(EISDIR));
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) throw IoError("replace", path, reason(EACCES));
}

// Creates one folder; one that already exists is fine, anything else there is not. Failures name the
// folder asked for (`target`), not the parent that could not be made.
void makeFolder(const std::string& folder, const std::string& target) {
  if (::mkdir(folder.c_str(), 0777) == 0) return;
  int error = errno;
  struct stat st;
  if (error == EEXIST && ::stat(folder.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return;
    error = ENOTDIR;
  }
  throw IoError("create folder", target, reason(error));
}

// A line on standard error, written at once. Not through iostreams: their start-up work would come before
// the window, which needs none of it. A failure to show the line is ignored, as a window would be.
void printLine(std::string_view text) {
  std::string line(text);
  line += '\n';
  std::string_view rest = line;
  while (!rest.empty()) {
    ssize_t n = ::write(STDERR_FILENO, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
}

class PosixOutputFile : public OutputFile {
 public:
  PosixOutputFile(std::string path, std::string temp, int fd)
      : path_(std::move(path)), temp_(std::move(temp)), fd_(fd) {}

  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temp_.c_str());
  }

  void write(const std::uint8_t* data, std::size_t size) override { writeAll(fd_, data, size, path_); }

  void commit() override {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw IoError("write", path_, reason(errno));
    checkReplaceable(path_);
    if (::rename(temp_.c_str(), path_.c_str()) != 0) throw IoError("replace", path_, reason(errno));
    committed_ = true;
  }

 private:
  std::string path_;
  std::string temp_;
  int fd_;
  bool committed_ = false;
};

class PosixPlatform : public Platform {
 public:
  bool exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }

  std::optional<std::int64_t> modifiedMilliseconds(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return std::int64_t{st.st_mtim.tv_sec} * 1000 + st.st_mtim.tv_nsec / 1000000;
  }

  std::string read(const std::string& path) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw IoError("open", path, reason(errno));
    std::string content;
    char buffer[1 << 16];
    for (;;) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0) {
        if (errno == EINTR) continue;
        int error = errno;
        ::close(fd);
        throw IoError("read", path, reason(error));
      }
      if (n == 0) break;
      content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
  }

  void remove(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      throw IoError("delete", path, reason(EACCES));
    }
    if (::unlink(path.c_str()) != 0) throw IoError("delete", path, reason(errno));
  }

  std::unique_ptr<OutputFile> create(const std::string& path) override {
    checkReplaceable(path);
    std::string temp = path + ".tmp" + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw IoError("create", path, reason(errno));
    return std::make_unique<PosixOutputFile>(path, std::move(temp), fd);
  }

  void createDirectories(const std::string& path) override {
    // Each prefix ending before a "/" is a parent; the whole path comes last.
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
      std::string folder = path.substr(0, end);
      if (!folder.empty() && folder.back() != '/') makeFolder(folder, path);
      if (end == std::string::npos) break;
    }
  }

  std::string join(std::string_view folder, std::string_view name) const override {
    std::string path(folder);
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
  }

  std::string programFolder() override {
    std::string path = programPath();
    std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
  }

  std::string readProgramTail(std::size_t count) override {
    const std::string path = programPath();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw IoError("open", path, reason(errno));
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      int error = errno;
      ::close(fd);
      throw IoError("read", path, reason(error));
    }
    std::size_t size = static_cast<std::size_t>(st.st_size);
    std::string tail(std::min(count, size), '\0');
    std::size_t done = 0;
    while (done < tail.size()) {
      ssize_t n = ::pread(fd, tail.data() + done, tail.size() - done, static_cast<off_t>(size - tail.size() + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        int error = n < 0 ? errno : EIO;
        ::close(fd);
        throw IoError("read", path, reason(error));
      }
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return tail;
  }

  void showWaitWindow(std::string_view label) override { printLine(label); }

  void showMessage(std::string_view text) override { printLine(text); }

 private:
  static std::string programPath() {
    std::string buffer(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
      throw IoError("locate", "/proc/self/exe", n < 0 ? reason(errno) : "path too long");
    }
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
  }
};

}  // namespace

std::unique_ptr<Platform> makeNativePlatform() { return std::make_unique<PosixPlatform>(); }

std::vector<std::string> consoleArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void useBinaryStandardStreams() {}  // POSIX streams are bytes already

}  // namespace pack
