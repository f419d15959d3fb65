#include "writers/line_table.h"

#include <array>
#include <stdexcept>

#include "formats/cp1252.h"
#include "output/file_writer.h"

namespace pack {

void writeLineTable(FileSystem& fs, const std::string& path, std::span<const std::string_view> lines) {
  if (lines.size() >= kLineTableSlots) throw std::length_error("line table too long: " + path);
  std::array<std::string_view, kLineTableSlots> lineTable{};
  std::size_t slot = 0;
  for (std::string_view line : lines) lineTable[slot++] = line;
  lineTable[slot] = kEndMarker;

  writeFile(fs, path, [&](BinaryWriter& out) {
    for (std::size_t i = 0; i < kLineTableSlots && lineTable[i] != kEndMarker; ++i) {
      out.bytes(utf8ToCp1252(lineTable[i]));
      out.bytes("\r\n");
    }
  });
}

}  // namespace pack
