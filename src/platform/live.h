// What a long-running command of the tool needs from the system: news of changes to files, a stop asked
// for from the console (Ctrl+C, and on Windows the console window's close), and a browser to open.
// The pack never uses any of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pack {

class FileWatcher {
 public:
  virtual ~FileWatcher() = default;
  // Waits at most `timeoutMs` for something to happen to one of the watched files (written, replaced by a
  // rename, created, deleted); true when something did. One save may arrive as several events: the caller
  // settles them.
  virtual bool waitForEvent(int timeoutMs) = 0;
};

// Watches the files `names` in `folder` through the system's notifications (inotify on Linux,
// ReadDirectoryChangesW on Windows); where those are not to be had, by polling.
std::unique_ptr<FileWatcher> watchFiles(FileSystem& fs, const std::string& folder,
                                        const std::vector<std::string>& names);

// Watches by looking at the files' presence and modification times every `intervalMs`.
std::unique_ptr<FileWatcher> pollFiles(FileSystem& fs, const std::string& folder,
                                       const std::vector<std::string>& names, int intervalMs);

// From now on Ctrl+C (and on Windows the console's close) asks the program to stop instead of ending it;
// the program sees it in stopRequested() and calls stopFinished() once it has cleaned up.
void catchStopRequests();
bool stopRequested();
void stopFinished();

// Opens `url` in the user's browser, without waiting for it; false when that could not be started.
bool openInBrowser(const std::string& url);

// Makes a server's socket, before it is bound, the only one that may listen on its address and port: no
// other program may share the port with it (as the system allows when both ask), while a port whose last
// connections are still closing can be taken again at once.
void makeListeningSocketExclusive(std::uintptr_t socket);

}  // namespace pack
