#include "writers/line_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory_file_system.h"

namespace pack {
namespace {

constexpr const char* kPath = "/pack/table.txt";

std::string writeOnce(MemoryFileSystem& fs, std::span<const std::string_view> lines) {
  writeLineTable(fs, kPath, lines);
  return fs.files.at(kPath);
}

TEST(WriteLineTable, EndsEveryLineWithCrLfTheLastIncluded) {
  MemoryFileSystem fs;
  std::string_view lines[] = {"[generale]", "", "[fine]"};
  EXPECT_EQ(writeOnce(fs, lines), "[generale]\r\n\r\n[fine]\r\n");
}

TEST(WriteLineTable, WritesTheSixAccentedCharactersAsSingleCodePage1252Bytes) {
  MemoryFileSystem fs;
  std::string_view lines[] = {"ì è à ò ù °"};
  EXPECT_EQ(writeOnce(fs, lines), "\xEC \xE8 \xE0 \xF2 \xF9 \xB0\r\n");
}

TEST(WriteLineTable, KeepsLeadingInnerAndTrailingBlanks) {
  MemoryFileSystem fs;
  std::string_view lines[] = {"  a   b  ", " "};
  EXPECT_EQ(writeOnce(fs, lines), "  a   b  \r\n \r\n");
}

TEST(WriteLineTable, AnEmptyTableGivesAnEmptyFile) {
  MemoryFileSystem fs;
  EXPECT_EQ(writeOnce(fs, {}), "");
}

// The writer stops at the first slot equal to the marker, as every table's own closing slot is.
TEST(WriteLineTable, StopsAtALineEqualToTheEndMarker) {
  MemoryFileSystem fs;
  std::string_view lines[] = {"one", kEndMarker, "never written"};
  EXPECT_EQ(writeOnce(fs, lines), "one\r\n");
}

TEST(WriteLineTable, ReplacesAnOlderLongerFileEntirely) {
  MemoryFileSystem fs;
  fs.files[kPath] = std::string(5000, 'x') + "\r\nold tail\r\n";
  std::string_view lines[] = {"new"};
  EXPECT_EQ(writeOnce(fs, lines), "new\r\n");
}

TEST(WriteLineTable, GivesIdenticalBytesOnASecondRunAndWithoutAnOldFile) {
  std::string_view lines[] = {"città", "  x  ", ""};
  MemoryFileSystem fs;
  std::string first = writeOnce(fs, lines);
  EXPECT_EQ(writeOnce(fs, lines), first);
  MemoryFileSystem fresh;
  EXPECT_EQ(writeOnce(fresh, lines), first);
}

TEST(WriteLineTable, RefusesATableThatLeavesNoSlotForTheMarker) {
  MemoryFileSystem fs;
  std::vector<std::string_view> lines(kLineTableSlots, "x");
  EXPECT_THROW(writeLineTable(fs, kPath, lines), std::length_error);
  EXPECT_FALSE(fs.exists(kPath));
}

}  // namespace
}  // namespace pack
