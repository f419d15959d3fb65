#include "writers/line_table.h"

#include <array>
#include <stdexcept>

#include "formats/cp1252.h"
#include "output/file_writer.h"
#include "writers/embedded_tables.h"

namespace pack {

FileInSet lineTableFile(const std::string& path, std::span<const std::string_view> lines) {
  if (lines.size() >= kLineTableSlots) throw std::length_error("line table too long: " + path);
  return {path, [lines](BinaryWriter& out) {
            std::array<std::string_view, kLineTableSlots> lineTable{};
            std::size_t slot = 0;
            for (std::string_view line : lines) lineTable[slot++] = line;
            lineTable[slot] = kEndMarker;
            for (std::size_t i = 0; i < kLineTableSlots && lineTable[i] != kEndMarker; ++i) {
              out.bytes(utf8ToCp1252(lineTable[i]));
              out.bytes("\r\n");
            }
          }};
}

void writeLineTable(FileSystem& fs, const std::string& path, std::span<const std::string_view> lines) {
  FileInSet file = lineTableFile(path, lines);
  writeFile(fs, file.path, file.body);
}

void writeLineTables(FileSystem& fs, const std::string& folder, const std::vector<EmbeddedText>& texts) {
  std::vector<FileInSet> set;
  for (const EmbeddedText& text : texts) set.push_back(lineTableFile(fs.join(folder, text.name), text.lines));
  writeFileSet(fs, set);
}

}  // namespace pack
