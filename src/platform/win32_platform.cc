// Win32 implementation: files through the wide-character API (paths are UTF-8 in the interfaces and
// UTF-16 here), the waiting window as a real top-level window with one label, messages in a modal message
// box. The behaviour matches the POSIX implementation: the same replace-by-rename, the same refusals.
#include "platform/win32_text.h"

#include <ntsecapi.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/temporary_files.h"

namespace pack {

std::uint64_t systemRandom() {
  std::uint64_t value = 0;
  if (!RtlGenRandom(&value, sizeof value)) throw IoError("draw", "a random name", "the system gave no random numbers");
  return value;
}

namespace {

constexpr wchar_t kProgramTitle[] = L"scenario-pack";
constexpr wchar_t kWaitWindowClass[] = L"ScenarioPackWaitWindow";
constexpr wchar_t kLabelFont[] = L"MS Sans Serif";
constexpr int kLabelPoints = 24;

// The system's own text for an error code, in the user's language, without the trailing line end.
std::string reason(DWORD error) {
  wchar_t* text = nullptr;
  DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message;
  if (n != 0 && text != nullptr) message.assign(text, n);
  if (text != nullptr) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
    message.pop_back();
  }
  if (message.empty()) return "system error " + std::to_string(error);
  return narrow(message);
}

// A target that exists must be a file that may be written: a read-only file or a directory is refused
// before anything is written, just as the POSIX implementation refuses it. Returns its attributes, which
// the new file takes over; nothing when there is no target.
std::optional<DWORD> checkReplaceable(const std::string& path, const std::wstring& widePath) {
  DWORD attributes = ::GetFileAttributesW(widePath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;  // missing: creating the temporary file will tell
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
    throw IoError("replace", path, reason(ERROR_ACCESS_DENIED));
  }
  return attributes;
}

// Attributes a replaced file hands on to its successor.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Creates one folder; one that already exists is fine, a file in its place is not. Failures name the
// folder asked for (`target`), not the parent that could not be made.
void makeFolder(const std::string& folder, const std::string& target) {
  std::wstring wide = widen(folder);
  if (::CreateDirectoryW(wide.c_str(), nullptr)) return;
  DWORD error = ::GetLastError();
  DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return;
    error = ERROR_ALREADY_EXISTS;
  }
  throw IoError("create folder", target, reason(error));
}

std::string folderPart(const std::string& path) {
  std::size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// Closing the console, Ctrl+C or Ctrl+Break end the process: its open temporary files go first (they are
// open for deletion by others, so this thread may delete them while the main one still writes).
BOOL WINAPI removeTemporariesOnEnd(DWORD) {
  removeLiveTemporaries([](const char* path) { ::DeleteFileW(widen(path).c_str()); });
  return FALSE;  // the default handling ends the process
}

bool processRuns(std::uint64_t pid) {
  if (pid > 0xFFFFFFFFu) return false;
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return ::GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  bool runs = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  ::CloseHandle(process);
  return runs;
}

// Temporary files a killed run left in the folder (their process is gone); once per folder and process.
void sweepStaleTemporaries(const std::string& folder) {
  static SRWLOCK lock = SRWLOCK_INIT;
  static std::set<std::string> swept;
  ::AcquireSRWLockExclusive(&lock);
  bool first = swept.insert(folder).second;
  ::ReleaseSRWLockExclusive(&lock);
  if (!first) return;
  WIN32_FIND_DATAW entry;
  HANDLE find = ::FindFirstFileW(widen(folder + ".scenario-*.tmp").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = narrow(entry.cFileName);
    std::optional<std::uint64_t> owner = temporaryOwner(name);
    if (owner && *owner != ::GetCurrentProcessId() && !processRuns(*owner)) {
      ::DeleteFileW(widen(folder + name).c_str());
    }
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
}

// A new file under a fresh temporary name beside `target`: CREATE_NEW never opens what is there already,
// and a reparse point (a link) at the name is taken as taken; another name is drawn then.
HANDLE createBeside(const std::string& target, std::string& temp) {
  std::string folder = folderPart(target);
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temp = folder + temporaryName(::GetCurrentProcessId(), temporaryRandom());
    // Binary: the bytes reach the file exactly as written, with no line-end translation.
    HANDLE handle = ::CreateFileW(widen(temp).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return handle;
    DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) throw IoError("create", target, reason(error));
  }
  throw IoError("create", target, "no free name for a temporary file beside it");
}

// The older file kept aside under a temporary name: a second name for it where the volume allows, so that
// the target never goes missing; otherwise moved aside.
std::string keepAside(const std::string& target) {
  std::string folder = folderPart(target);
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::string kept = folder + temporaryName(::GetCurrentProcessId(), temporaryRandom());
    if (::CreateHardLinkW(widen(kept).c_str(), widen(target).c_str(), nullptr)) return kept;
    DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
    if (::MoveFileExW(widen(target).c_str(), widen(kept).c_str(), MOVEFILE_WRITE_THROUGH)) return kept;
    throw IoError("replace", target, "cannot keep the older file aside: " + reason(::GetLastError()));
  }
  throw IoError("replace", target, "no free name to keep the older file aside");
}

class Win32Replaced : public OutputFile::Replaced {
 public:
  Win32Replaced(std::string path, std::optional<std::string> kept) : path_(std::move(path)), kept_(std::move(kept)) {}
  ~Win32Replaced() override {
    if (kept_) ::DeleteFileW(widen(*kept_).c_str());
  }

  void restore() override {
    std::wstring widePath = widen(path_);
    if (!kept_) {
      if (!::DeleteFileW(widePath.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        throw IoError("restore", path_, reason(::GetLastError()));
      }
      return;
    }
    if (!::MoveFileExW(widen(*kept_).c_str(), widePath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      throw IoError("restore", path_, reason(::GetLastError()));
    }
    kept_.reset();
  }

 private:
  std::string path_;
  std::optional<std::string> kept_;
};

class Win32OutputFile : public OutputFile {
 public:
  explicit Win32OutputFile(std::string path) : path_(std::move(path)) {
    static LONG handlerSet = 0;
    if (::InterlockedExchange(&handlerSet, 1) == 0) ::SetConsoleCtrlHandler(removeTemporariesOnEnd, TRUE);
    sweepStaleTemporaries(folderPart(path_));
    attributes_ = checkReplaceable(path_, widen(path_));
    std::string temp;
    handle_ = createBeside(path_, temp);
    live_ = std::make_unique<LiveTemporary>(temp);
  }

  ~Win32OutputFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    if (!committed_) ::DeleteFileW(widen(live_->path()).c_str());
  }

  void write(const std::uint8_t* data, std::size_t size) override {
    while (size > 0) {
      DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!::WriteFile(handle_, data, chunk, &written, nullptr)) throw IoError("write", path_, reason(::GetLastError()));
      if (written == 0) throw IoError("write", path_, reason(ERROR_WRITE_FAULT));
      data += written;
      size -= written;
    }
  }

  void commit() override {
    close();
    checkReplaceable(path_, widen(path_));
    moveIntoPlace();
  }

  std::unique_ptr<Replaced> commitKeepingOld() override {
    close();
    std::optional<std::string> kept;
    if (checkReplaceable(path_, widen(path_))) kept = keepAside(path_);
    try {
      moveIntoPlace();
    } catch (const IoError&) {
      if (kept) {
        ::MoveFileExW(widen(*kept).c_str(), widen(path_).c_str(), MOVEFILE_REPLACE_EXISTING);
        ::DeleteFileW(widen(*kept).c_str());
      }
      throw;
    }
    return std::make_unique<Win32Replaced>(path_, std::move(kept));
  }

 private:
  void close() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(handle)) throw IoError("write", path_, reason(::GetLastError()));
  }

  void moveIntoPlace() {
    std::wstring temp = widen(live_->path());
    if (attributes_ && (*attributes_ & kKeptAttributes) != 0) {
      ::SetFileAttributesW(temp.c_str(), *attributes_ & kKeptAttributes);
    }
    if (!::MoveFileExW(temp.c_str(), widen(path_).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      throw IoError("replace", path_, reason(::GetLastError()));
    }
    committed_ = true;
  }

  std::string path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::unique_ptr<LiveTemporary> live_;
  std::optional<DWORD> attributes_;
  bool committed_ = false;
};

// Another writer of sets into the same folder waits on a mutex named after the folder's full path (folder
// handles take no byte-range locks); it is released when the process ends, whatever way it ends.
class Win32FolderLock : public FolderLock {
 public:
  explicit Win32FolderLock(HANDLE mutex) : mutex_(mutex) {}
  ~Win32FolderLock() override {
    ::ReleaseMutex(mutex_);
    ::CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_;
};

std::wstring folderLockName(const std::string& folder) {
  std::wstring wide = widen(folder.empty() ? "." : folder);
  wchar_t full[32768];
  DWORD n = ::GetFullPathNameW(wide.c_str(), 32768, full, nullptr);
  std::wstring path = n > 0 && n < 32768 ? std::wstring(full, n) : wide;
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  // FNV-1a over the UTF-16 units: mutex names may not hold backslashes.
  std::uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : path) {
    hash ^= static_cast<std::uint16_t>(c);
    hash *= 1099511628211ull;
  }
  return L"Local\\scenario-folder-" + widen(std::to_string(hash));
}

LRESULT CALLBACK waitWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The window stays until the program ends; closing it would not stop the work.
  if (message == WM_CLOSE) return 0;
  return ::DefWindowProcW(window, message, wParam, lParam);
}

class Win32Platform : public Platform {
 public:
  ~Win32Platform() override {
    if (window_ != nullptr) ::DestroyWindow(window_);
    if (font_ != nullptr) ::DeleteObject(font_);
  }

  bool exists(const std::string& path) override {
    if (path.empty()) return false;
    if (::GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    throw IoError("look up", path, reason(error));
  }

  std::optional<FileIdentity> identity(const std::string& path) override {
    HANDLE handle = ::CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    bool known = ::GetFileInformationByHandle(handle, &info);
    ::CloseHandle(handle);
    if (!known) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow,
                        info.nNumberOfLinks};
  }

  std::unique_ptr<FolderLock> lockFolder(const std::string& folder) override {
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, folderLockName(folder).c_str());
    if (mutex == nullptr) return std::make_unique<FolderLock>();
    const auto notice = std::chrono::duration_cast<std::chrono::milliseconds>(kFolderLockNoticeAfter);
    const auto patience = std::chrono::duration_cast<std::chrono::milliseconds>(kFolderLockPatience);
    DWORD waited = ::WaitForSingleObject(mutex, static_cast<DWORD>(notice.count()));
    if (waited == WAIT_TIMEOUT) {
      std::fprintf(stderr, "%s\n", folderLockWaitNotice(folder, "the lock " + narrow(folderLockName(folder))).c_str());
      std::fflush(stderr);
      waited = ::WaitForSingleObject(mutex, static_cast<DWORD>((patience - notice).count()));
    }
    if (waited == WAIT_TIMEOUT) {
      ::CloseHandle(mutex);
      throw FolderBusy(folder, "the lock " + narrow(folderLockName(folder)), static_cast<int>(kFolderLockPatience.count()));
    }
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
      ::CloseHandle(mutex);
      return std::make_unique<FolderLock>();
    }
    return std::make_unique<Win32FolderLock>(mutex);
  }

  std::string folderOf(std::string_view path) const override {
    std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string_view::npos) return {};
    return std::string(path.substr(0, separator == 0 ? 1 : separator));
  }

  std::optional<std::int64_t> modifiedMilliseconds(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    // 100-nanosecond intervals.
    std::uint64_t ticks = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000);
  }

  std::optional<std::vector<std::string>> listFiles(const std::string& folder) override {
    const std::string path = folder.empty() ? "." : folder;
    DWORD attributes = ::GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return std::nullopt;
    WIN32_FIND_DATAW found;
    HANDLE handle = ::FindFirstFileW(widen(join(path, "*")).c_str(), &found);
    std::vector<std::string> names;
    if (handle == INVALID_HANDLE_VALUE) {
      DWORD error = ::GetLastError();
      if (error == ERROR_FILE_NOT_FOUND) return names;
      throw IoError("list", folder, reason(error));
    }
    do {
      std::string name = narrow(found.cFileName);
      if (name != "." && name != "..") names.push_back(std::move(name));
    } while (::FindNextFileW(handle, &found));
    ::FindClose(handle);
    return names;
  }

  std::string read(const std::string& path, std::uint64_t maxBytes) override {
    std::wstring widePath = widen(path);
    DWORD attributes = ::GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      throw IoError("read", path, "it is a folder, not a file");
    }
    HANDLE handle = ::CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw IoError("open", path, reason(::GetLastError()));
    try {
      std::string content = readDiskFile(handle, path, maxBytes);
      ::CloseHandle(handle);
      return content;
    } catch (...) {
      ::CloseHandle(handle);
      throw;
    }
  }

  void remove(const std::string& path) override {
    std::wstring widePath = widen(path);
    DWORD attributes = ::GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      throw IoError("delete", path, reason(ERROR_ACCESS_DENIED));
    }
    if (!::DeleteFileW(widePath.c_str())) throw IoError("delete", path, reason(::GetLastError()));
  }

  std::unique_ptr<OutputFile> create(const std::string& path) override {
    return std::make_unique<Win32OutputFile>(path);
  }

  void createDirectories(const std::string& path) override {
    // Each prefix ending before a separator is a parent; the whole path comes last. The drive ("C:") and a
    // network path's server and share (\\server\share) are there already or not at all.
    std::size_t skip = 0;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) skip = 2;
    std::size_t start = 0;
    while (start < path.size() && isSeparator(path[start])) ++start;
    for (std::size_t end = start;; ++end) {
      if (end < path.size() && !isSeparator(path[end])) continue;
      std::string folder = path.substr(0, end);
      bool drive = folder.size() == 2 && folder[1] == ':';
      if (folder.empty() || isSeparator(folder.back())) {
        // a doubled separator: nothing new
      } else if (skip > 0) {
        --skip;
      } else if (!drive) {
        makeFolder(folder, path);
      }
      if (end >= path.size()) break;
    }
  }

  std::string join(std::string_view folder, std::string_view name) const override {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    path += name;
    return path;
  }

  std::string programFolder() override {
    std::wstring path = programPath();
    std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) throw IoError("locate", narrow(path), reason(ERROR_BAD_PATHNAME));
    return narrow(std::wstring_view(path).substr(0, separator));
  }

  std::string readProgramTail(std::size_t count) override {
    std::wstring path = programPath();
    // The running program's file is open for execution: share it for reading, as the loader does.
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw IoError("open", narrow(path), reason(::GetLastError()));
    LARGE_INTEGER size{};
    std::string tail;
    DWORD error = ERROR_SUCCESS;
    if (::GetFileSizeEx(handle, &size)) {
      tail.resize(static_cast<std::size_t>(std::min<std::uint64_t>(count, static_cast<std::uint64_t>(size.QuadPart))));
      LARGE_INTEGER start{};
      start.QuadPart = size.QuadPart - static_cast<LONGLONG>(tail.size());
      if (::SetFilePointerEx(handle, start, nullptr, FILE_BEGIN)) {
        error = readAll(handle, tail);
      } else {
        error = ::GetLastError();
      }
    } else {
      error = ::GetLastError();
    }
    ::CloseHandle(handle);
    if (error != ERROR_SUCCESS) throw IoError("read", narrow(path), reason(error));
    return tail;
  }

  void showWaitWindow(std::string_view label) override {
    std::wstring text = widen(label);
    if (window_ != nullptr) {
      ::SetWindowTextW(label_, text.c_str());
      ::UpdateWindow(window_);
      return;
    }
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = waitWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWaitWindowClass;
    ::RegisterClassExW(&windowClass);

    // 24 points at the display's vertical resolution; the text's size sets the window's.
    HDC screen = ::GetDC(nullptr);
    int height = -::MulDiv(kLabelPoints, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    font_ = ::CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kLabelFont);
    SIZE extent{200, -height};
    HGDIOBJ previous = ::SelectObject(screen, font_);
    ::GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);

    int margin = extent.cy;
    RECT frame{0, 0, extent.cx + 2 * margin, extent.cy + 2 * margin};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    int width = frame.right - frame.left;
    int windowHeight = frame.bottom - frame.top;
    int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (::GetSystemMetrics(SM_CYSCREEN) - windowHeight) / 2;
    window_ = ::CreateWindowExW(0, kWaitWindowClass, kProgramTitle, style, x, y, width, windowHeight, nullptr,
                                nullptr, instance, nullptr);
    if (window_ == nullptr) return;  // no window: the work goes on without it
    label_ = ::CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                               0, 0, extent.cx + 2 * margin, extent.cy + 2 * margin, window_, nullptr, instance,
                               nullptr);
    if (label_ != nullptr) ::SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // Shown non-modal and painted once; the work that follows processes no further messages.
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
  }

  void showMessage(std::string_view text) override {
    ::MessageBoxW(window_, widen(text).c_str(), kProgramTitle, MB_OK);
  }

 private:
  static std::wstring programPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (n == 0) throw IoError("locate", "the program", reason(::GetLastError()));
      if (n < buffer.size()) {
        buffer.resize(n);
        return buffer;
      }
      if (buffer.size() >= 32768) throw IoError("locate", narrow(buffer), reason(ERROR_INSUFFICIENT_BUFFER));
      buffer.resize(buffer.size() * 2);
    }
  }

  // Fills `bytes` from the handle's position; returns the system's error code, ERROR_SUCCESS when all came.
  static DWORD readAll(HANDLE handle, std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      std::size_t left = bytes.size() - done;
      DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
      DWORD n = 0;
      if (!::ReadFile(handle, bytes.data() + done, chunk, &n, nullptr)) return ::GetLastError();
      if (n == 0) return ERROR_HANDLE_EOF;
      done += n;
    }
    return ERROR_SUCCESS;
  }

  // Only a file on a disk (not a pipe, a console or another device), and only up to `maxBytes`.
  static std::string readDiskFile(HANDLE handle, const std::string& path, std::uint64_t maxBytes) {
    DWORD type = ::GetFileType(handle);
    if (type == FILE_TYPE_PIPE) throw IoError("read", path, "it is a pipe, not a file");
    if (type != FILE_TYPE_DISK) throw IoError("read", path, "it is a device, not a file");
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle, &size)) throw IoError("read", path, reason(::GetLastError()));
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) throw readTooLarge(path, size.QuadPart, maxBytes);
    std::string content;
    content.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[1 << 16];
    for (;;) {
      DWORD n = 0;
      if (!::ReadFile(handle, buffer, sizeof buffer, &n, nullptr)) throw IoError("read", path, reason(::GetLastError()));
      if (n == 0) break;
      content.append(buffer, n);
      if (content.size() > maxBytes) throw readTooLarge(path, content.size(), maxBytes);
    }
    return content;
  }


  HWND window_ = nullptr;
  HWND label_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace

std::unique_ptr<Platform> makeNativePlatform() { return std::make_unique<Win32Platform>(); }

// The narrow argv is in the ANSI code page unless the manifest asks for UTF-8, which older Windows
// ignores: take the wide command line instead.
std::vector<std::string> consoleArguments(int, char**) {
  ::SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> args;
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(narrow(wide[i]));
  ::LocalFree(wide);
  return args;
}

void useBinaryStandardStreams() {
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
}

}  // namespace pack
