// POSIX implementation: files through POSIX calls; the window and the message box become lines on
// standard error.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/platform.h"
#include "platform/temporary_files.h"

namespace pack {

std::uint64_t systemRandom() {
  std::uint64_t value = 0;
  auto* at = reinterpret_cast<unsigned char*>(&value);
  std::size_t left = sizeof value;
  while (left > 0) {
    ssize_t n = ::getrandom(at, left, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw IoError("draw", "a random name", std::strerror(errno));
    at += n;
    left -= static_cast<std::size_t>(n);
  }
  return value;
}

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

// What stands at a path, in the words of a refusal.
std::string kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// A target that exists must be a regular file (or a link, which is replaced, never followed) that its
// owner may write: a read-only file is not replaced, just as on Windows. Returns its facts, when there is
// one to take the permissions from.
std::optional<struct stat> checkReplaceable(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  if (S_ISDIR(st.st_mode)) throw IoError("replace", path, reason(EISDIR));
  if (S_ISLNK(st.st_mode)) return std::nullopt;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) throw IoError("replace", path, reason(EACCES));
  if (!S_ISREG(st.st_mode)) return std::nullopt;
  return st;
}

// Interrupted or told to end, the process first removes the temporary files it has open; then the signal
// takes its default course (the handler is reset on entry), so the exit status still tells the signal.
extern "C" void removeTemporariesAndEnd(int signal) {
  int saved = errno;
  removeLiveTemporaries([](const char* path) { ::unlink(path); });
  errno = saved;
  ::raise(signal);
}

// Only signals whose default is to end the process, and only where nobody chose otherwise (an ignored
// SIGHUP under nohup stays ignored).
void removeTemporariesOnSignals() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction old;
      if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = removeTemporariesAndEnd;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_RESETHAND;
      ::sigaction(signal, &action, nullptr);
    }
  });
}

bool processRuns(std::uint64_t pid) {
  if (pid == 0 || pid > static_cast<std::uint64_t>(INT_MAX)) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

// Temporary files a killed run left in the folder (their process is gone); once per folder and process.
void sweepStaleTemporaries(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  std::lock_guard<std::mutex> lock(mutex);
  if (!swept.insert(folder).second) return;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    std::optional<std::uint64_t> owner = temporaryOwner(entry->d_name);
    if (owner && *owner != static_cast<std::uint64_t>(::getpid()) && !processRuns(*owner)) {
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

std::string folderPart(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

// A new file under a fresh temporary name beside `target`: created exclusively and never through a link,
// so nothing planted at the name is written to; another name is drawn when one is taken.
int createBeside(const std::string& target, std::string& temp, mode_t mode) {
  std::string folder = folderPart(target);
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temp = folder + temporaryName(static_cast<std::uint64_t>(::getpid()), temporaryRandom());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) return fd;
    if (errno != EEXIST && errno != ELOOP) throw IoError("create", target, reason(errno));
  }
  throw IoError("create", target, "no free name for a temporary file beside it");
}

// The older file kept aside under a temporary name: a second name for it where the file system allows,
// so that the target never goes missing; otherwise moved aside.
std::string keepAside(const std::string& target) {
  std::string folder = folderPart(target);
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::string kept = folder + temporaryName(static_cast<std::uint64_t>(::getpid()), temporaryRandom());
    if (::link(target.c_str(), kept.c_str()) == 0) return kept;
    if (errno == EEXIST) continue;
    if (errno != EPERM && errno != EXDEV && errno != EOPNOTSUPP && errno != EMLINK) break;
    if (::rename(target.c_str(), kept.c_str()) == 0) return kept;
    break;
  }
  throw IoError("replace", target, std::string("cannot keep the older file aside: ") + reason(errno));
}

class PosixReplaced : public OutputFile::Replaced {
 public:
  PosixReplaced(std::string path, std::optional<std::string> kept) : path_(std::move(path)), kept_(std::move(kept)) {}
  ~PosixReplaced() override {
    if (kept_) ::unlink(kept_->c_str());
  }

  void restore() override {
    if (!kept_) {
      if (::unlink(path_.c_str()) != 0 && errno != ENOENT) throw IoError("restore", path_, reason(errno));
      return;
    }
    if (::rename(kept_->c_str(), path_.c_str()) != 0) throw IoError("restore", path_, reason(errno));
    kept_.reset();
  }

 private:
  std::string path_;
  std::optional<std::string> kept_;
};

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
  explicit PosixOutputFile(std::string path) : path_(std::move(path)) {
    removeTemporariesOnSignals();
    sweepStaleTemporaries(folderPart(path_));
    std::optional<struct stat> old = checkReplaceable(path_);
    std::string temp;
    // The owner's permissions are set once the file is safely ours, so that an older file's permissions
    // (and, where allowed, its owner and group) carry over to the new one.
    fd_ = createBeside(path_, temp, old ? 0600 : 0666);
    live_ = std::make_unique<LiveTemporary>(temp);
    if (old) {
      if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) && ::fchown(fd_, old->st_uid, old->st_gid) != 0) {
        // not allowed: the new file is the writer's own, as with any editor
      }
      ::fchmod(fd_, old->st_mode & 07777);
    }
  }

  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(live_->path());
  }

  void write(const std::uint8_t* data, std::size_t size) override { writeAll(fd_, data, size, path_); }

  void commit() override {
    close();
    checkReplaceable(path_);
    if (::rename(live_->path(), path_.c_str()) != 0) throw IoError("replace", path_, reason(errno));
    committed_ = true;
  }

  std::unique_ptr<Replaced> commitKeepingOld() override {
    close();
    std::optional<std::string> kept;
    struct stat st;
    checkReplaceable(path_);
    if (::lstat(path_.c_str(), &st) == 0) kept = keepAside(path_);
    if (::rename(live_->path(), path_.c_str()) != 0) {
      int error = errno;
      // A file moved aside goes back; a second name of the target itself is left alone by rename and
      // dropped by unlink.
      if (kept) {
        ::rename(kept->c_str(), path_.c_str());
        ::unlink(kept->c_str());
      }
      throw IoError("replace", path_, reason(error));
    }
    committed_ = true;
    return std::make_unique<PosixReplaced>(path_, std::move(kept));
  }

 private:
  void close() {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw IoError("write", path_, reason(errno));
  }

  std::string path_;
  int fd_ = -1;
  std::unique_ptr<LiveTemporary> live_;
  bool committed_ = false;
};

// The lock is a file in the folder that only its owner may open (mode 0200), locked with flock() while a
// set is put in place and removed when it is released. Only someone who may write the folder can create
// it, and nobody else can open it, so that a reader cannot hold it (a shared lock on the folder itself
// could be taken by anyone who may read it). A holder that is killed leaves the file unlocked: the next
// writer takes it and removes it in turn.
constexpr const char* kFolderLockName = ".scenario-lock";

class PosixFolderLock : public FolderLock {
 public:
  PosixFolderLock(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixFolderLock() override {
    // Removed before it is released: a writer that waits on this file then finds it gone and starts again.
    ::unlink(path_.c_str());
    ::close(fd_);
  }

 private:
  int fd_;
  std::string path_;
};

bool sameFile(int fd, const std::string& path) {
  struct stat held, named;
  return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

// Opens the lock file, creating it; -1 when it cannot be had (a folder that may not be written, a lock
// file of another owner, something that is not a plain file).
int openLockFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0200);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

class PosixPlatform : public Platform {
 public:
  bool exists(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) return true;
    if (errno == ENOENT || errno == ENOTDIR || path.empty()) return false;
    throw IoError("look up", path, reason(errno));
  }

  std::optional<std::int64_t> modifiedMilliseconds(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return std::int64_t{st.st_mtim.tv_sec} * 1000 + st.st_mtim.tv_nsec / 1000000;
  }

  std::optional<FileIdentity> identity(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                        static_cast<std::uint64_t>(st.st_nlink)};
  }

  void makeExecutable(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) throw IoError("open", path, reason(errno));
    const mode_t readers = st.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
    if (::chmod(path.c_str(), (st.st_mode & 07777) | (readers >> 2)) != 0) throw IoError("chmod", path, reason(errno));
  }

  std::string resolvedPath(const std::string& path) override {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
  }

  std::optional<std::vector<std::string>> listFiles(const std::string& folder) override {
    const std::string path = folder.empty() ? "." : folder;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
      if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
      throw IoError("list", folder, reason(errno));
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(std::move(name));
    }
    ::closedir(dir);
    return names;
  }

  std::string read(const std::string& path, std::uint64_t maxBytes) override {
    // Not blocking, so that opening a FIFO returns at once and the check below refuses it.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) throw IoError("open", path, reason(errno));
    try {
      std::string content = readRegular(fd, path, maxBytes);
      ::close(fd);
      return content;
    } catch (...) {
      ::close(fd);
      throw;
    }
  }

  void remove(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      throw IoError("delete", path, reason(EACCES));
    }
    if (::unlink(path.c_str()) != 0) throw IoError("delete", path, reason(errno));
  }

  std::unique_ptr<OutputFile> create(const std::string& path) override {
    return std::make_unique<PosixOutputFile>(path);
  }

  std::unique_ptr<FolderLock> lockFolder(const std::string& folder) override {
    const std::string path = join(folder, kFolderLockName);
    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    for (;;) {
      // A lock that cannot be had leaves the set written without it: it still lands whole, only two writers
      // at once are no longer kept apart.
      int fd = openLockFile(path);
      if (fd < 0) return std::make_unique<FolderLock>();
      for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) {
          ::close(fd);
          return std::make_unique<FolderLock>();
        }
        const auto waited = std::chrono::steady_clock::now() - start;
        if (waited >= kFolderLockPatience) {
          ::close(fd);
          throw FolderBusy(folder, path, static_cast<int>(kFolderLockPatience.count()));
        }
        if (!told && waited >= kFolderLockNoticeAfter) {
          printLine(folderLockWaitNotice(folder, path));
          told = true;
        }
        ::usleep(20000);
      }
      if (sameFile(fd, path)) return std::make_unique<PosixFolderLock>(fd, path);
      ::close(fd);  // its holder removed it on release: take the one at the path now
    }
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
    if (!path.empty() && path.back() != '/') path += '/';
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

  // Only a regular file, and only up to `maxBytes`: a FIFO or a device never ends, a runaway file would
  // fill the memory.
  static std::string readRegular(int fd, const std::string& path, std::uint64_t maxBytes) {
    struct stat st;
    if (::fstat(fd, &st) != 0) throw IoError("read", path, reason(errno));
    if (!S_ISREG(st.st_mode)) throw IoError("read", path, "it is " + kindOf(st.st_mode) + ", not a file");
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) throw readTooLarge(path, static_cast<std::uint64_t>(st.st_size), maxBytes);
    std::string content;
    content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw IoError("read", path, reason(errno));
      }
      if (n == 0) break;
      content.append(buffer, static_cast<std::size_t>(n));
      if (content.size() > maxBytes) throw readTooLarge(path, content.size(), maxBytes);
    }
    return content;
  }
};

}  // namespace

std::unique_ptr<Platform> makeNativePlatform() { return std::make_unique<PosixPlatform>(); }

std::vector<std::string> consoleArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void useBinaryStandardStreams() {}  // POSIX streams are bytes already

}  // namespace pack
