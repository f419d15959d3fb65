// The Win32 platform layer in its own process, under Wine: files through the wide-character API with
// UTF-8 paths, the replace-by-rename and its refusals, the program's folder, the waiting window with its
// label and font, the message box.
#ifndef UNICODE
#define UNICODE
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "output/file_writer.h"
#include "platform/platform.h"

namespace pack {
namespace {

std::wstring wide(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string utf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// The system's text for an error, as a user reads it (without the line end).
std::string systemText(DWORD error) {
  wchar_t buffer[1024];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, buffer,
                           1024, nullptr);
  std::wstring text(buffer, n);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return utf8(text);
}

// Bytes written and read outside the code under test.
void putFile(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(h);
}

std::string fileBytes(const std::string& path) {
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char buffer[65536];
  DWORD n = 0;
  while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) content.append(buffer, n);
  CloseHandle(h);
  return content;
}

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(wide(folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.insert(utf8(name));
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

void removeTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

// Each test works in a fresh folder whose name has accented letters and a character outside code page
// 1252, so that every path must go through UTF-16 unchanged.
class Win32Files : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring base = std::wstring(temp) + L"scenario-pack prova \u00e0\u00e8\u00ec\u00f2\u00f9 \u0141";
    removeTree(base);
    ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
    folder = utf8(base);
    platform = makeNativePlatform();
  }
  void TearDown() override { removeTree(wide(folder)); }

  std::string in(const std::string& name) { return platform->join(folder, name); }

  std::string folder;
  std::unique_ptr<Platform> platform;
};

TEST_F(Win32Files, JoinInsertsABackslashAfterAFolder) {
  EXPECT_EQ(platform->join("C:\\Giochi\\Scenari", "a.dat"), "C:\\Giochi\\Scenari\\a.dat");
  EXPECT_EQ(platform->join("C:", "a.dat"), "C:\\a.dat");
  EXPECT_EQ(platform->join("C:\\Scenari\\", "a.dat"), "C:\\Scenari\\a.dat");
  EXPECT_EQ(platform->join("", "a.dat"), "a.dat");  // the current folder, never the drive's root
}

TEST_F(Win32Files, WrittenBytesComeBackUnchangedWithNoLineEndTranslation) {
  // Bytes that a text-mode stream would change: LF alone, CR LF, Ctrl-Z, NUL, and every other byte.
  std::string bytes = "riga uno\r\nriga due\n\x1a\r\r\n";
  bytes.push_back('\0');
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  std::string path = in("Borgorosso_MontegranoC_517_note.txt");
  auto file = platform->create(path);
  file->write(reinterpret_cast<const std::uint8_t*>(bytes.data()), 5);
  file->write(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 5, bytes.size() - 5);
  file->commit();
  EXPECT_EQ(fileBytes(path), bytes);
  EXPECT_EQ(platform->read(path), bytes);
  EXPECT_TRUE(platform->exists(path));
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"Borgorosso_MontegranoC_517_note.txt"});
}

TEST_F(Win32Files, TheTargetIsUntouchedUntilCommitAndALongerOldFileIsReplacedEntirely) {
  std::string path = in("Borgorosso_MontegranoC_517.dat");
  std::string old(100000, 'x');
  putFile(path, old);
  auto file = platform->create(path);
  const std::uint8_t bytes[] = {1, 2, 3};
  file->write(bytes, 3);
  EXPECT_EQ(fileBytes(path), old);  // still the old file while the new one is being written
  EXPECT_EQ(namesIn(folder).size(), 2u);  // the target and the temporary file beside it
  file->commit();
  EXPECT_EQ(fileBytes(path), std::string("\x01\x02\x03"));
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"Borgorosso_MontegranoC_517.dat"});
}

TEST_F(Win32Files, ALargeFileIsWrittenWhole) {
  std::string path = in("Borgorosso_MontegranoC_linea.dat");
  std::string bytes;
  for (int i = 0; i < 3 * 1024 * 1024; ++i) bytes.push_back(static_cast<char>((i * 7) ^ (i >> 9)));
  auto file = platform->create(path);
  for (std::size_t at = 0; at < bytes.size(); at += 65536) {
    file->write(reinterpret_cast<const std::uint8_t*>(bytes.data()) + at, std::min<std::size_t>(65536, bytes.size() - at));
  }
  file->commit();
  EXPECT_TRUE(platform->read(path) == bytes);
}

TEST_F(Win32Files, AnUncommittedFileLeavesNoTemporaryAndTheOldFileIntact) {
  std::string path = in("Borgorosso_MontegranoC_517.sim");
  putFile(path, "old");
  {
    auto file = platform->create(path);
    const std::uint8_t bytes[] = {9, 9, 9, 9, 9};
    file->write(bytes, 5);
  }
  EXPECT_EQ(fileBytes(path), "old");
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"Borgorosso_MontegranoC_517.sim"});
  {
    auto file = platform->create(in("nuovo.dat"));
  }
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"Borgorosso_MontegranoC_517.sim"});
}

TEST_F(Win32Files, AReadOnlyTargetIsRefusedAtCreateWithTheSystemsReason) {
  std::string path = in("Borgorosso_MontegranoC_517.dat");
  putFile(path, "old");
  ASSERT_TRUE(SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    platform->create(path);
    FAIL() << "a read-only file was accepted";
  } catch (const IoError& e) {
    EXPECT_EQ(e.operation(), "replace");
    EXPECT_EQ(e.path(), path);
    EXPECT_EQ(e.reason(), systemText(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(e.reason().empty());
    EXPECT_EQ(e.reason().find_first_of("\r\n"), std::string::npos);
    EXPECT_NE(e.reason().back(), ' ');
    EXPECT_EQ(std::string(e.what()), "cannot replace \"" + path + "\": " + e.reason());
  }
  EXPECT_EQ(fileBytes(path), "old");
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"Borgorosso_MontegranoC_517.dat"});
}

TEST_F(Win32Files, ATargetMadeReadOnlyWhileWritingIsNotReplaced) {
  std::string path = in("Borgorosso_MontegranoC_517.dat");
  putFile(path, "old");
  auto file = platform->create(path);
  const std::uint8_t bytes[] = {1};
  file->write(bytes, 1);
  ASSERT_TRUE(SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_THROW(file->commit(), IoError);
  file.reset();
  EXPECT_EQ(fileBytes(path), "old");
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"Borgorosso_MontegranoC_517.dat"});
}

TEST_F(Win32Files, ADirectoryInThePlaceOfTheTargetIsRefusedAtCreate) {
  std::string path = in("Borgorosso_MontegranoC_517.sim");
  ASSERT_TRUE(CreateDirectoryW(wide(path).c_str(), nullptr));
  try {
    platform->create(path);
    FAIL() << "a directory was accepted as a target";
  } catch (const IoError& e) {
    EXPECT_EQ(e.operation(), "replace");
    EXPECT_EQ(e.path(), path);
    EXPECT_FALSE(e.reason().empty());
  }
  EXPECT_TRUE(platform->exists(path));  // something is there, which read() refuses
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"Borgorosso_MontegranoC_517.sim"});
}

TEST_F(Win32Files, OnlyFilesOnADiskAreReadAndOnlyUpToTheLimit) {
  std::string sub = in("cartella");
  ASSERT_TRUE(CreateDirectoryW(wide(sub).c_str(), nullptr));
  std::string large = in("grande.txt");
  putFile(large, std::string(2000, 'x'));
  struct Case {
    std::string path;
    std::uint64_t limit;
    std::string reason;
  } cases[] = {
      {sub, kMaxReadBytes, "it is a folder, not a file"},
      {"NUL", kMaxReadBytes, "it is a device, not a file"},
      {large, 1999, "it holds 2000 bytes, more than the 1999 that any scenario's file of its kind needs"},
  };
  for (const Case& c : cases) {
    try {
      platform->read(c.path, c.limit);
      ADD_FAILURE() << c.path << " was read";
    } catch (const IoError& e) {
      EXPECT_EQ(e.reason(), c.reason) << c.path;
    }
  }
  EXPECT_EQ(platform->read(large, 2000).size(), 2000u);
}

TEST_F(Win32Files, ASetReplacesEveryFileAndLeavesNoTemporaryOrKeptFile) {
  putFile(in("a.dat"), "older a");
  writeFileSet(*platform, {{in("a.dat"), [](BinaryWriter& out) { out.bytes("newer a"); }},
                           {in("b.sim"), [](BinaryWriter& out) { out.bytes("newer b"); }}});
  EXPECT_EQ(fileBytes(in("a.dat")), "newer a");
  EXPECT_EQ(fileBytes(in("b.sim")), "newer b");
  EXPECT_EQ(namesIn(folder), (std::set<std::string>{"a.dat", "b.sim"}));
}

TEST_F(Win32Files, ASetThatCannotBePutInPlaceLeavesTheOlderSet) {
  putFile(in("a.dat"), "older a");
  putFile(in("b.sim"), "older b");
  std::string blocked = in("c.dat");
  ASSERT_TRUE(CreateDirectoryW(wide(blocked).c_str(), nullptr));  // cannot be replaced
  EXPECT_THROW(writeFileSet(*platform, {{in("a.dat"), [](BinaryWriter& out) { out.bytes("newer a"); }},
                                        {in("b.sim"), [](BinaryWriter& out) { out.bytes("newer b"); }},
                                        {blocked, [](BinaryWriter& out) { out.bytes("c"); }}}),
               IoError);
  EXPECT_EQ(fileBytes(in("a.dat")), "older a");
  EXPECT_EQ(fileBytes(in("b.sim")), "older b");
  EXPECT_EQ(namesIn(folder), (std::set<std::string>{"a.dat", "b.sim", "c.dat"}));
}

TEST_F(Win32Files, AFolderThatDoesNotExistFailsAtCreate) {
  std::string path = platform->join(in("manca"), "a.dat");
  try {
    platform->create(path);
    FAIL() << "created a file in a missing folder";
  } catch (const IoError& e) {
    EXPECT_EQ(e.operation(), "create");
    EXPECT_EQ(e.path(), path);  // the file asked for, not the temporary file beside it
    EXPECT_FALSE(e.reason().empty());
    EXPECT_EQ(e.reason().find_first_of("\r\n"), std::string::npos);
  }
}

TEST_F(Win32Files, RemoveDeletesAFileAndRefusesAReadOnlyOne) {
  std::string path = in("Borgorosso_MontegranoC_linea.txt");
  putFile(path, "x");
  platform->remove(path);
  EXPECT_FALSE(platform->exists(path));
  EXPECT_TRUE(namesIn(folder).empty());

  putFile(path, "x");
  ASSERT_TRUE(SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    platform->remove(path);
    FAIL() << "a read-only file was deleted";
  } catch (const IoError& e) {
    EXPECT_EQ(e.operation(), "delete");
    EXPECT_EQ(e.path(), path);
    EXPECT_EQ(e.reason(), systemText(ERROR_ACCESS_DENIED));
  }
  EXPECT_EQ(fileBytes(path), "x");

  try {
    platform->remove(in("manca.txt"));
    FAIL() << "a missing file was deleted";
  } catch (const IoError& e) {
    EXPECT_EQ(e.operation(), "delete");
    EXPECT_EQ(e.reason(), systemText(ERROR_FILE_NOT_FOUND));
  }
}

TEST_F(Win32Files, ReadingAMissingFileNamesTheOperationAndPath) {
  std::string path = in("Borgorosso_MontegranoC_517-.txt");
  EXPECT_FALSE(platform->exists(path));
  try {
    platform->read(path);
    FAIL() << "read a missing file";
  } catch (const IoError& e) {
    EXPECT_EQ(e.operation(), "open");
    EXPECT_EQ(e.path(), path);
    EXPECT_EQ(e.reason(), systemText(ERROR_FILE_NOT_FOUND));
  }
}

TEST_F(Win32Files, CreateDirectoriesMakesEveryMissingParentAndAcceptsAnExistingFolder) {
  std::string nested = platform->join(platform->join(in("sorgenti"), "pi\u00f9"), "nuovi");
  platform->createDirectories(nested);
  DWORD attributes = GetFileAttributesW(wide(nested).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  platform->createDirectories(nested);  // already there
  platform->createDirectories(nested + "\\");  // a trailing separator names the same folder
  platform->createDirectories(folder);

  auto file = platform->create(platform->join(nested, "a.txt"));
  file->commit();
  EXPECT_TRUE(platform->exists(platform->join(nested, "a.txt")));
}

TEST_F(Win32Files, CreateDirectoriesRefusesAFileInThePlaceOfAFolder) {
  putFile(in("sorgenti"), "x");
  std::string nested = platform->join(in("sorgenti"), "nuovi");
  try {
    platform->createDirectories(nested);
    FAIL() << "made a folder inside a file";
  } catch (const IoError& e) {
    EXPECT_EQ(e.operation(), "create folder");
    EXPECT_EQ(e.path(), nested);
    EXPECT_FALSE(e.reason().empty());
  }
  try {
    platform->createDirectories(in("sorgenti"));
    FAIL() << "took a file for a folder";
  } catch (const IoError& e) {
    EXPECT_EQ(e.operation(), "create folder");
    EXPECT_EQ(e.path(), in("sorgenti"));
  }
  EXPECT_EQ(fileBytes(in("sorgenti")), "x");
}

TEST(Win32ProgramFolder, IsTheFolderOfTheProgramNotTheCurrentFolder) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(temp));
  auto platform = makeNativePlatform();
  std::string folder = platform->programFolder();
  SetCurrentDirectoryW(before);

  wchar_t module[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring modulePath(module, n);
  std::wstring name = modulePath.substr(modulePath.find_last_of(L'\\') + 1);
  EXPECT_EQ(platform->join(folder, utf8(name)), utf8(modulePath));
  EXPECT_TRUE(platform->exists(platform->join(folder, utf8(name))));
  EXPECT_NE(folder.back(), '\\');
}

// The running program's own file can be read while it runs: its end, as much of it as asked, or all of it.
TEST(Win32ProgramTail, IsTheEndOfTheProgramsOwnFile) {
  auto platform = makeNativePlatform();
  wchar_t module[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::string whole = platform->read(utf8(std::wstring(module, n)));
  ASSERT_GT(whole.size(), 1000u);
  EXPECT_EQ(platform->readProgramTail(0), "");
  EXPECT_EQ(platform->readProgramTail(20), whole.substr(whole.size() - 20));
  EXPECT_EQ(platform->readProgramTail(whole.size() - 1), whole.substr(1));
  EXPECT_EQ(platform->readProgramTail(whole.size() + 5000), whole);
}

// The top-level windows of this thread with the program's title.
struct Found {
  std::vector<HWND> windows;
};

BOOL CALLBACK collectTitled(HWND window, LPARAM data) {
  wchar_t title[256];
  int n = GetWindowTextW(window, title, 256);
  if (std::wstring(title, n > 0 ? n : 0) == L"scenario-pack") reinterpret_cast<Found*>(data)->windows.push_back(window);
  return TRUE;
}

BOOL CALLBACK collectChild(HWND child, LPARAM data) {
  reinterpret_cast<Found*>(data)->windows.push_back(child);
  return TRUE;
}

std::wstring className(HWND window) {
  wchar_t name[256];
  int n = GetClassNameW(window, name, 256);
  return std::wstring(name, n > 0 ? n : 0);
}

std::wstring textOf(HWND window) {
  wchar_t text[1024];
  int n = GetWindowTextW(window, text, 1024);
  return std::wstring(text, n > 0 ? n : 0);
}

TEST(Win32Window, ShowsOneVisiblePaintedWindowWithTheBoldLabel) {
  auto platform = makeNativePlatform();
  platform->showWaitWindow("Attendere");

  Found top;
  EnumThreadWindows(GetCurrentThreadId(), collectTitled, reinterpret_cast<LPARAM>(&top));
  ASSERT_EQ(top.windows.size(), 1u);
  HWND window = top.windows[0];
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetParent(window), nullptr);
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_TRUE(IsWindowEnabled(window));
  // Painted before the call returned: nothing is left to paint, and no message will be processed.
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));

  Found kids;
  EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&kids));
  ASSERT_EQ(kids.windows.size(), 1u);
  HWND label = kids.windows[0];
  EXPECT_EQ(className(label), L"Static");
  EXPECT_EQ(textOf(label), L"Attendere");
  EXPECT_TRUE(IsWindowVisible(label));
  EXPECT_FALSE(GetUpdateRect(label, nullptr, FALSE));

  HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW logical{};
  ASSERT_EQ(GetObjectW(font, sizeof logical, &logical), static_cast<int>(sizeof logical));
  EXPECT_EQ(std::wstring(logical.lfFaceName), L"MS Sans Serif");
  EXPECT_EQ(logical.lfWeight, FW_BOLD);
  EXPECT_FALSE(logical.lfItalic);
  HDC screen = GetDC(nullptr);
  int points24 = -MulDiv(24, GetDeviceCaps(screen, LOGPIXELSY), 72);
  EXPECT_EQ(logical.lfHeight, points24);

  // The whole text fits inside the label and the label inside the window.
  HGDIOBJ previous = SelectObject(screen, font);
  SIZE extent{};
  GetTextExtentPoint32W(screen, L"Attendere", 9, &extent);
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  RECT labelRect;
  GetClientRect(label, &labelRect);
  EXPECT_GE(labelRect.right, extent.cx);
  EXPECT_GE(labelRect.bottom, extent.cy);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_GE(client.right, labelRect.right);
  EXPECT_GE(client.bottom, labelRect.bottom);
}

// Finds this process's message box from another thread, records it and answers it with its OK button.
struct BoxSeen {
  std::wstring title;
  std::wstring text;
  std::vector<std::wstring> buttons;
  bool icon = false;
  bool found = false;
};

BOOL CALLBACK collectDialog(HWND window, LPARAM data) {
  if (className(window) == L"#32770" && IsWindowVisible(window)) reinterpret_cast<Found*>(data)->windows.push_back(window);
  return TRUE;
}

void answerBox(DWORD thread, BoxSeen* seen) {
  for (int tries = 0; tries < 600 && !seen->found; ++tries) {
    Found boxes;
    EnumThreadWindows(thread, collectDialog, reinterpret_cast<LPARAM>(&boxes));
    if (boxes.windows.empty()) {
      Sleep(50);
      continue;
    }
    HWND box = boxes.windows[0];
    seen->found = true;
    seen->title = textOf(box);
    Found kids;
    EnumChildWindows(box, collectChild, reinterpret_cast<LPARAM>(&kids));
    HWND ok = nullptr;
    for (HWND child : kids.windows) {
      if (!IsWindowVisible(child)) continue;
      if (className(child) == L"Button") {
        seen->buttons.push_back(textOf(child));
        if (textOf(child) == L"OK") ok = child;
      } else if (className(child) == L"Static") {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
          seen->icon = seen->icon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
        } else if (!textOf(child).empty()) {
          seen->text = textOf(child);
        }
      }
    }
    PostMessageW(ok != nullptr ? ok : box, ok != nullptr ? BM_CLICK : WM_CLOSE, 0, 0);
  }
}

TEST(Win32Window, TheMessageBoxHasTheTextTheTitleAndOnlyAnOkButtonWithNoIcon) {
  auto platform = makeNativePlatform();
  platform->showWaitWindow("Attendere");
  BoxSeen seen;
  std::thread watcher(answerBox, GetCurrentThreadId(), &seen);
  platform->showMessage("cannot replace \"C:\\Scenari pi\u00f9\\a.dat\": Accesso negato.");
  watcher.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, L"scenario-pack");
  EXPECT_EQ(seen.text, L"cannot replace \"C:\\Scenari pi\u00f9\\a.dat\": Accesso negato.");
  EXPECT_EQ(seen.buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_FALSE(seen.icon);
}

}  // namespace
}  // namespace pack
