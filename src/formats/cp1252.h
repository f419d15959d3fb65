// Code page 1252 (Windows Western European): the byte form of every text the system reads or writes.
// Inside the system, texts from the sources and in the model are kept as code page 1252 bytes; UTF-8 is
// used only for the embedded tables (as written in this source code), file paths and the terminal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pack {

// Converts UTF-8 text to code page 1252. Characters the code page cannot hold, and malformed UTF-8,
// become `replacement`.
std::string utf8ToCp1252(std::string_view utf8, char replacement = '?');

// The same conversion, or nothing when any character cannot be represented (or the UTF-8 is malformed).
std::optional<std::string> utf8ToCp1252Exact(std::string_view utf8);

// Converts code page 1252 bytes to UTF-8. The five bytes the code page leaves undefined map to the
// control characters of the same number, so the conversion is lossless both ways.
std::string cp1252ToUtf8(std::string_view bytes);

// Decodes the UTF-8 sequence at `pos` and moves `pos` past it; nothing for a malformed sequence (`pos` then
// moves past its first byte at least).
std::optional<char32_t> decodeUtf8(std::string_view utf8, std::size_t& pos);

// The code page 1252 byte of one character, or nothing when the code page cannot hold it.
std::optional<std::uint8_t> cp1252FromCodePoint(char32_t cp);

// Lower case of one code page 1252 byte (A-Z, the accented capitals, Š Œ Ž Ÿ).
std::uint8_t cp1252ToLower(std::uint8_t byte);
std::string cp1252ToLower(std::string_view bytes);

// Substring tests on code page 1252 bytes, with and without regard to letter case.
bool contains(std::string_view haystack, std::string_view needle);
bool containsIgnoreCase(std::string_view haystack, std::string_view needle);

}  // namespace pack
