// Byte helpers shared by the tests: files read whole, bytes shown as hex.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/byte_sink.h"

namespace pack::test {

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "00 01 14 E8": easy to compare with the published bytes, and a mismatch shows where.
inline std::string hex(std::string_view bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (char c : bytes) {
    if (!s.empty()) s += ' ';
    s += digits[static_cast<std::uint8_t>(c) >> 4];
    s += digits[static_cast<std::uint8_t>(c) & 15];
  }
  return s;
}

}  // namespace pack::test
