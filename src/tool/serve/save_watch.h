// From a watcher's raw events to saves: an editor's one save may come as several events (a write in
// place, a temporary file renamed over the source, a delete and a new file), and each save must give
// exactly one recompile.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/live.h"

namespace pack {

struct SaveTiming {
  int quietMs = 40;        // no event for this long ends a save
  int vanishedMs = 2000;   // how long a file that was there and went is waited for
  int stopCheckMs = 100;   // how often the stop is asked while nothing happens
};

class SaveWatch {
 public:
  SaveWatch(FileWatcher& watcher, FileSystem& fs, std::vector<std::string> paths, SaveTiming timing = {});

  // Waits for the next save to settle: the first event, then quiet, and every file that was there before
  // back again (or the wait for it over). False when `stop` said so first.
  bool next(const std::function<bool()>& stop);

 private:
  bool anyVanished();
  void notePresent();

  FileWatcher& watcher_;
  FileSystem& fs_;
  std::vector<std::string> paths_;
  SaveTiming timing_;
  std::set<std::string> present_;
};

}  // namespace pack
