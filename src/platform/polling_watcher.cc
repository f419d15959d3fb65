// The watcher that needs nothing from the system but the files' modification times.
#include <chrono>
#include <optional>
#include <thread>

#include "platform/live.h"

namespace pack {
namespace {

class PollingWatcher : public FileWatcher {
 public:
  PollingWatcher(FileSystem& fs, const std::string& folder, const std::vector<std::string>& names, int intervalMs)
      : fs_(fs), intervalMs_(intervalMs) {
    for (const std::string& name : names) paths_.push_back(fs.join(folder, name));
    last_ = look();
  }

  bool waitForEvent(int timeoutMs) override {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      std::vector<std::optional<std::int64_t>> now = look();
      if (now != last_) {
        last_ = std::move(now);
        return true;
      }
      auto left = end - std::chrono::steady_clock::now();
      if (left <= std::chrono::steady_clock::duration::zero()) return false;
      std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(intervalMs_)));
    }
  }

 private:
  // A missing file looks like no time at all; -1 stands for a file whose time the platform cannot tell.
  std::vector<std::optional<std::int64_t>> look() {
    std::vector<std::optional<std::int64_t>> times;
    for (const std::string& path : paths_) {
      std::optional<std::int64_t> time;
      try {
        if (fs_.exists(path)) time = fs_.modifiedMilliseconds(path).value_or(-1);
      } catch (const IoError&) {
        // Cannot be looked up: as good as missing.
      }
      times.push_back(time);
    }
    return times;
  }

  FileSystem& fs_;
  int intervalMs_;
  std::vector<std::string> paths_;
  std::vector<std::optional<std::int64_t>> last_;
};

}  // namespace

std::unique_ptr<FileWatcher> pollFiles(FileSystem& fs, const std::string& folder,
                                       const std::vector<std::string>& names, int intervalMs) {
  return std::make_unique<PollingWatcher>(fs, folder, names, intervalMs);
}

}  // namespace pack
