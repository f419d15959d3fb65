// Byte layouts of the three compiled files. Little-endian, fields in declared order, no gaps, no header.
//
// Track cell file (".dat"): one record per cell 0..cellCount:
//   kind u8 | value1 i16 | value2 i16 | value3 i16 | value4 i16 | signalTime u8 | approachMark u8 |
//   mountainKind u8 | speedLimit u8 | gradient u8 | adhesion u8
//
// Scenario table file (".sim"): 87 records, rows 0..86:
//   kind u8 | numberA i32 | numberB i32 | numberC i32 | option u8 | n u16 | text[n] (code page 1252) |
//   param1..param5 i16 | flag1..flag4 u8 | numberD i32
//
// Plan file ("_linea.dat"): column x for metres 0..extendedLength, then column y; each element is a
//   tag u16 (0 empty, 2 int16, 5 float64) followed by 0, 2 or 8 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pack {

constexpr std::size_t kCellRecordSize = 1 + 2 + 2 + 2 + 2 + 1 + 1 + 1 + 1 + 1 + 1;
static_assert(kCellRecordSize == 15);

// A table record is this many bytes plus its text's byte count.
constexpr std::size_t kTableRecordFixedSize = 1 + 4 + 4 + 4 + 1 + 2 + 5 * 2 + 4 * 1 + 4;
static_assert(kTableRecordFixedSize == 34);

constexpr std::size_t kPlanTagSize = 2;
constexpr std::size_t kPlanInt16Size = kPlanTagSize + 2;
constexpr std::size_t kPlanDoubleSize = kPlanTagSize + 8;

constexpr std::size_t kMaxTextBytes = 0xFFFF;  // the byte count is 16 bits

// The most a reader takes of each compiled file, a few times what the largest scenario a compile accepts
// can give (a 1,000,000 m line and the 7000 m run-out: 20,141 cells of 15 bytes, about 300 KB; 87 rows
// with the longest texts, 5.7 MB; 2,014,002 plan elements, 20.1 MB). A larger file is not one of ours.
constexpr std::uint64_t kMaxCellFileBytes = std::uint64_t{1} << 20;
constexpr std::uint64_t kMaxTableFileBytes = std::uint64_t{8} << 20;
constexpr std::uint64_t kMaxPlanFileBytes = std::uint64_t{32} << 20;

}  // namespace pack
