// The writers' mechanism: a table of stored lines closed by the end marker, written as code page 1252
// text with CR LF after every line (the last included), no byte-order mark.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "output/file_writer.h"
#include "platform/platform.h"

namespace pack {

constexpr std::string_view kEndMarker = "riferimento fine del file";
constexpr std::size_t kLineTableSlots = 1001;  // slots 0 to 1000

// Fills a line table with `lines` and the end marker after them, then replaces the file at `path` with
// every slot before the marker. The lines are UTF-8 text in this program's source; each is written in
// code page 1252.
void writeLineTable(FileSystem& fs, const std::string& path, std::span<const std::string_view> lines);

// The same file as one of a set (the lines must outlive the set's writing).
FileInSet lineTableFile(const std::string& path, std::span<const std::string_view> lines);

struct EmbeddedText;
// The texts into `folder` as one set: all of them new, or the older ones left as they were.
void writeLineTables(FileSystem& fs, const std::string& folder, const std::vector<EmbeddedText>& texts);

}  // namespace pack
