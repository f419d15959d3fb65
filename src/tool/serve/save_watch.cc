#include "tool/serve/save_watch.h"

#include <chrono>

namespace pack {
namespace {

// A path that cannot even be looked up (its folder renamed away, say) counts as missing: the loop goes on.
bool present(FileSystem& fs, const std::string& path) {
  try {
    return fs.exists(path);
  } catch (const IoError&) {
    return false;
  }
}

}  // namespace

SaveWatch::SaveWatch(FileWatcher& watcher, FileSystem& fs, std::vector<std::string> paths, SaveTiming timing)
    : watcher_(watcher), fs_(fs), paths_(std::move(paths)), timing_(timing) {
  notePresent();
}

bool SaveWatch::next(const std::function<bool()>& stop) {
  while (!watcher_.waitForEvent(timing_.stopCheckMs)) {
    if (stop()) return false;
  }
  using Clock = std::chrono::steady_clock;
  Clock::time_point quietSince = Clock::now();
  for (;;) {
    if (stop()) return false;
    if (watcher_.waitForEvent(timing_.quietMs)) {
      quietSince = Clock::now();
      continue;
    }
    // A file deleted before its new content is written: the save is not over until it is back.
    if (!anyVanished() || Clock::now() - quietSince >= std::chrono::milliseconds(timing_.vanishedMs)) break;
  }
  notePresent();
  return true;
}

bool SaveWatch::anyVanished() {
  for (const std::string& path : present_) {
    if (!present(fs_, path)) return true;
  }
  return false;
}

void SaveWatch::notePresent() {
  present_.clear();
  for (const std::string& path : paths_) {
    if (present(fs_, path)) present_.insert(path);
  }
}

}  // namespace pack
