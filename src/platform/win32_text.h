// What every Win32 source of the platform starts with: the wide-character API, without the parts of
// <windows.h> that clash with the standard library, and the conversions between the interfaces' UTF-8
// and the system's UTF-16.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace pack {

inline std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size = static_cast<int>(utf8.size());
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  return wide;
}

inline std::string narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  int size = static_cast<int>(wide.size());
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

}  // namespace pack
