// POSIX side of the long-running tool: inotify on Linux (polling elsewhere), SIGINT and SIGTERM as stop
// requests, xdg-open for the browser.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "platform/live.h"

extern char** environ;

namespace pack {
namespace {

constexpr int kPollMilliseconds = 250;

#ifdef __linux__
// Watches the folder rather than the files: an editor that saves through a temporary file and a rename,
// or deletes first, replaces the file a watch on it would follow.
class InotifyWatcher : public FileWatcher {
 public:
  InotifyWatcher(int fd, std::vector<std::string> names) : fd_(fd), names_(std::move(names)) {}
  ~InotifyWatcher() override { ::close(fd_); }

  bool waitForEvent(int timeoutMs) override {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      pollfd p{fd_, POLLIN, 0};
      int ready = ::poll(&p, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return false;
      if (readEvents()) return true;
    }
  }

 private:
  // Reads what is queued; true when one of the events concerns a watched file (or some were lost).
  bool readEvents() {
    // The buffer is aligned for the events it holds; a name is at most NAME_MAX bytes.
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + 256)];
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    bool ours = false;
    for (ssize_t at = 0; n > 0 && at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (at + static_cast<ssize_t>(sizeof(inotify_event) + event->len) > n) return true;  // cut short: look anyway
      std::string name(event->name, ::strnlen(event->name, event->len));
      if ((event->mask & IN_Q_OVERFLOW) || std::find(names_.begin(), names_.end(), name) != names_.end()) ours = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    return ours;
  }

  int fd_;
  std::vector<std::string> names_;
};
#endif

std::atomic<bool> stopAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler may only touch lock-free atomics");

void onStopSignal(int) { stopAsked.store(true); }

}  // namespace

std::unique_ptr<FileWatcher> watchFiles(FileSystem& fs, const std::string& folder,
                                        const std::vector<std::string>& names) {
#ifdef __linux__
  int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd >= 0) {
    constexpr std::uint32_t kEvents =
        IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB;
    if (::inotify_add_watch(fd, folder.empty() ? "." : folder.c_str(), kEvents) >= 0) {
      return std::make_unique<InotifyWatcher>(fd, names);
    }
    ::close(fd);
  }
#endif
  return pollFiles(fs, folder, names, kPollMilliseconds);
}

void catchStopRequests() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  // A page that closes while its stream is written to must not end the server.
  ::signal(SIGPIPE, SIG_IGN);
}

bool stopRequested() { return stopAsked.load(); }

void stopFinished() {}

bool openInBrowser(const std::string& url) {
  std::string program = "xdg-open";
  char* argv[] = {program.data(), const_cast<char*>(url.c_str()), nullptr};
  pid_t child = 0;
  if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv, environ) != 0) return false;
  // xdg-open hands the page to the browser and ends; waiting for it leaves no zombie behind.
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void makeListeningSocketExclusive(std::uintptr_t socket) {
  // SO_REUSEADDR only: it lets a port in TIME_WAIT be bound again, but never beside a listening socket.
  // SO_REUSEPORT, which would let a second server of the same user take half of the connections, stays off.
  int yes = 1;
  ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

}  // namespace pack
