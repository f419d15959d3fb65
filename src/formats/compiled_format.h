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

}  // namespace pack
