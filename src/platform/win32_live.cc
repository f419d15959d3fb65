// Windows side of the long-running tool: ReadDirectoryChangesW on the folder (polling when that fails),
// Ctrl+C and the console's close as stop requests, the shell for the browser.
#include "platform/win32_text.h"

#include <winsock2.h>

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cwctype>

#include "platform/live.h"

namespace pack {
namespace {

constexpr int kPollMilliseconds = 250;
// After the console's close the system ends the process a few seconds later at the latest: the handler
// holds it back this long for the clean-up.
constexpr DWORD kCloseGraceMilliseconds = 4000;

// File names on Windows compare without regard to case.
bool sameName(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
           return std::towlower(x) == std::towlower(y);
         });
}

class DirectoryWatcher : public FileWatcher {
 public:
  DirectoryWatcher(HANDLE folder, HANDLE event, std::vector<std::wstring> names)
      : folder_(folder), event_(event), names_(std::move(names)) {}
  ~DirectoryWatcher() override {
    ::CancelIo(folder_);
    DWORD ignored = 0;
    if (pending_) ::GetOverlappedResult(folder_, &overlapped_, &ignored, TRUE);
    ::CloseHandle(folder_);
    ::CloseHandle(event_);
  }

  bool start() {
    overlapped_ = {};
    overlapped_.hEvent = event_;
    constexpr DWORD kWhat = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;
    pending_ = ::ReadDirectoryChangesW(folder_, buffer_, sizeof buffer_, FALSE, kWhat, nullptr, &overlapped_, nullptr);
    return pending_;
  }

  bool waitForEvent(int timeoutMs) override {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (!pending_ && !start()) return false;
      if (::WaitForSingleObject(event_, static_cast<DWORD>(std::max<long long>(left.count(), 0))) != WAIT_OBJECT_0) {
        return false;
      }
      DWORD bytes = 0;
      BOOL done = ::GetOverlappedResult(folder_, &overlapped_, &bytes, FALSE);
      pending_ = false;
      bool ours = !done || bytes == 0 || concernsUs(bytes);  // an overflowing buffer reports 0 bytes
      start();
      if (ours) return true;
    }
  }

 private:
  bool concernsUs(DWORD bytes) const {
    for (DWORD at = 0; at + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;) {
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + at);
      std::size_t length = info->FileNameLength / sizeof(wchar_t);
      if (at + offsetof(FILE_NOTIFY_INFORMATION, FileName) + info->FileNameLength > bytes) return true;
      std::wstring_view name(info->FileName, length);
      for (const std::wstring& wanted : names_) {
        if (sameName(name, wanted)) return true;
      }
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
    return false;
  }

  HANDLE folder_;
  HANDLE event_;
  std::vector<std::wstring> names_;
  OVERLAPPED overlapped_{};
  bool pending_ = false;
  alignas(DWORD) BYTE buffer_[32 * 1024];
};

std::atomic<bool> stopAsked{false};
HANDLE cleanedUp = nullptr;

BOOL WINAPI onConsoleEvent(DWORD type) {
  stopAsked.store(true);
  // Returning from a close, log-off or shut-down lets the system end the process at once.
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && cleanedUp != nullptr) {
    ::WaitForSingleObject(cleanedUp, kCloseGraceMilliseconds);
  }
  return TRUE;
}

}  // namespace

std::unique_ptr<FileWatcher> watchFiles(FileSystem& fs, const std::string& folder,
                                        const std::vector<std::string>& names) {
  HANDLE handle = ::CreateFileW(widen(folder.empty() ? "." : folder).c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  HANDLE event = handle == INVALID_HANDLE_VALUE ? nullptr : ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (event != nullptr) {
    std::vector<std::wstring> wide;
    for (const std::string& name : names) wide.push_back(widen(name));
    auto watcher = std::make_unique<DirectoryWatcher>(handle, event, std::move(wide));
    if (watcher->start()) return watcher;
  } else if (handle != INVALID_HANDLE_VALUE) {
    ::CloseHandle(handle);
  }
  return pollFiles(fs, folder, names, kPollMilliseconds);
}

void catchStopRequests() {
  cleanedUp = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool stopRequested() { return stopAsked.load(); }

void stopFinished() {
  if (cleanedUp != nullptr) ::SetEvent(cleanedUp);
}

bool openInBrowser(const std::string& url) {
  auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

void makeListeningSocketExclusive(std::uintptr_t socket) {
  BOOL yes = TRUE;
  ::setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
               sizeof yes);
}

}  // namespace pack
