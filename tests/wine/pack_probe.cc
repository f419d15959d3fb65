// pack_probe: starts a Windows program, watches its top-level windows until it ends, answers each of its
// message boxes with the OK button and reports what it saw, one "key=value" line at a time (UTF-8):
//
//   window.title=T, window.label=L        the first time a window of the program shows a visible label
//   box.N.title=T, box.N.text=M,          message box N (from 1) as it stood when found: its title, its text,
//   box.N.buttons=OK,..., box.N.icon=0|1  its visible buttons and whether it shows an icon;
//   box.N.window.title=T, .label=L,       the program's other window at that moment (none if there is none),
//   box.N.window.visible=0|1,             visible or not,
//   box.N.window.ink=P,                   P and B, the numbers of dark pixels and of pixels of the dialog
//   box.N.window.background=B             face colour on the screen inside its label once the box has
//                                         been moved to the screen's top left corner
//   exit=S                                the program's exit status; the probe exits with the same status
//
// A message box keeps the program alive until it is dismissed, so everything reported under box.N was
// seen while the program was certainly running: no timing is involved. With --hold DIR the probe creates
// DIR\shown once a box has been reported and clicks OK only after DIR\go appears, so that a test can look
// at the display in between.
//
// Usage: pack_probe [--cwd DIR] [--timeout SECONDS] [--hold DIR] PROGRAM
// Exit status: the program's; 124 when it did not end in time (it is then killed); 125 on a usage error
// or when the program cannot be started.
#ifndef UNICODE
#define UNICODE
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// Written straight to the handle: no line-end translation, no buffering that a kill could lose.
void report(const std::string& key, const std::string& value) {
  std::string line = key + "=" + value + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void fail(const std::string& message) {
  std::string line = "pack_probe: " + message + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::wstring windowText(HWND window) {
  wchar_t buffer[4096];
  int n = GetWindowTextW(window, buffer, 4096);
  return std::wstring(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::wstring className(HWND window) {
  wchar_t buffer[256];
  int n = GetClassNameW(window, buffer, 256);
  return std::wstring(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool isIconStatic(HWND child) {
  return (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

BOOL CALLBACK collectChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

std::vector<HWND> children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK collectWindowOf(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> windowsOf(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(collectWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool isMessageBox(HWND window) { return className(window) == L"#32770"; }

// The first visible text label of a window, and the label's window.
HWND firstLabel(HWND window) {
  for (HWND child : children(window)) {
    if (className(child) == L"Static" && IsWindowVisible(child) && !isIconStatic(child) &&
        !windowText(child).empty()) {
      return child;
    }
  }
  return nullptr;
}

// What the screen shows inside a window's rectangle and outside another's (the message box, if it is
// still in front): the label's text as it was really drawn. Dark pixels are the text, pixels of the
// dialog face colour its background; -1 when the screen cannot be read.
struct Ink {
  long dark = -1;
  long background = -1;
};

Ink inkInside(HWND window, HWND covering) {
  Ink ink;
  RECT r;
  RECT cover{};
  if (!GetWindowRect(window, &r)) return ink;
  if (covering != nullptr) GetWindowRect(covering, &cover);
  int width = r.right - r.left;
  int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return ink;
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY)) {
      GdiFlush();
      ink.dark = 0;
      ink.background = 0;
      const auto* pixel = static_cast<const std::uint32_t*>(bits);
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          POINT at{r.left + x, r.top + y};
          if (PtInRect(&cover, at)) continue;
          std::uint32_t p = pixel[static_cast<std::size_t>(y) * width + x];
          unsigned red = (p >> 16) & 0xff, green = (p >> 8) & 0xff, blue = p & 0xff;
          if (red + green + blue < 3 * 64) ++ink.dark;
          if (RGB(red, green, blue) == face) ++ink.background;
        }
      }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ink;
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void touch(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring cwd;
  std::wstring hold;
  DWORD timeoutMs = 120000;
  int i = 1;
  for (; i < argc && argv[i][0] == L'-'; ++i) {
    std::wstring option = argv[i];
    if (i + 1 >= argc) break;
    if (option == L"--cwd") {
      cwd = argv[++i];
    } else if (option == L"--hold") {
      hold = argv[++i];
    } else if (option == L"--timeout") {
      timeoutMs = static_cast<DWORD>(_wtoi(argv[++i])) * 1000;
    } else {
      fail("unknown option " + utf8(option));
      return 125;
    }
  }
  if (i + 1 != argc) {
    fail("usage: pack_probe [--cwd DIR] [--timeout SECONDS] [--hold DIR] PROGRAM");
    return 125;
  }
  std::wstring program = argv[i];
  std::wstring commandLine = L"\"" + program + L"\"";

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      cwd.empty() ? nullptr : cwd.c_str(), &startup, &process)) {
    fail("cannot start " + utf8(program) + " (error " + std::to_string(GetLastError()) + ")");
    return 125;
  }

  bool labelReported = false;
  int boxes = 0;
  std::vector<HWND> answered;
  DWORD started = GetTickCount();
  for (;;) {
    if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) break;
    if (GetTickCount() - started > timeoutMs) {
      report("timeout", std::to_string(timeoutMs / 1000));
      TerminateProcess(process.hProcess, 124);
      WaitForSingleObject(process.hProcess, 10000);
      return 124;
    }
    std::vector<HWND> windows = windowsOf(process.dwProcessId);
    HWND mainWindow = nullptr;
    for (HWND w : windows) {
      if (!isMessageBox(w) && firstLabel(w) != nullptr) mainWindow = w;
    }
    if (mainWindow != nullptr && !labelReported && IsWindowVisible(mainWindow)) {
      labelReported = true;
      report("window.title", utf8(windowText(mainWindow)));
      report("window.label", utf8(windowText(firstLabel(mainWindow))));
    }
    for (HWND box : windows) {
      if (!isMessageBox(box) || !IsWindowVisible(box)) continue;
      bool seen = false;
      for (HWND a : answered) seen = seen || a == box;
      if (seen) continue;
      answered.push_back(box);
      std::string key = "box." + std::to_string(++boxes);
      std::string text;
      std::string buttons;
      bool icon = false;
      HWND ok = nullptr;
      for (HWND child : children(box)) {
        if (!IsWindowVisible(child)) continue;
        std::wstring cls = className(child);
        if (cls == L"Button") {
          std::wstring label = windowText(child);
          if (!buttons.empty()) buttons += ",";
          buttons += utf8(label);
          if (label == L"OK") ok = child;
        } else if (cls == L"Static") {
          if (isIconStatic(child)) {
            // An icon control shows an icon only when one has been set in it.
            DWORD_PTR shown = 0;
            SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &shown);
            icon = icon || shown != 0;
          } else if (!windowText(child).empty()) {
            if (!text.empty()) text += "\n";
            text += utf8(windowText(child));
          }
        }
      }
      report(key + ".title", utf8(windowText(box)));
      report(key + ".text", text);
      report(key + ".buttons", buttons);
      report(key + ".icon", icon ? "1" : "0");
      if (mainWindow != nullptr) {
        HWND label = firstLabel(mainWindow);
        report(key + ".window.title", utf8(windowText(mainWindow)));
        report(key + ".window.label", utf8(windowText(label)));
        report(key + ".window.visible", IsWindowVisible(mainWindow) ? "1" : "0");
        // The box stands in front of the window: move it aside, as a user would, and read the screen until
        // the label's text shows, for a few seconds at most.
        SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Ink ink = inkInside(label, box);
        for (int tries = 0; (ink.dark <= 0 || ink.background <= ink.dark) && tries < 100; ++tries) {
          Sleep(50);
          ink = inkInside(label, box);
        }
        report(key + ".window.ink", std::to_string(ink.dark));
        report(key + ".window.background", std::to_string(ink.background));
      } else {
        report(key + ".window.title", "none");
      }
      if (!hold.empty()) {
        touch(hold + L"\\shown");
        while (!fileExists(hold + L"\\go") && GetTickCount() - started <= timeoutMs) Sleep(50);
      }
      // The OK button answers the box as a click would; without one, the box is closed as Escape would.
      if (ok != nullptr) {
        PostMessageW(ok, BM_CLICK, 0, 0);
      } else {
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
      }
    }
  }
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  report("exit", std::to_string(status));
  return static_cast<int>(status);
}
