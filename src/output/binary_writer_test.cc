#include "output/binary_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pack {
namespace {

// Records every write, so a test sees how the bytes were handed on as well as the bytes.
struct RecordingSink : ByteSink {
  void write(const std::uint8_t* data, std::size_t size) override {
    bytes.append(reinterpret_cast<const char*>(data), size);
    writes.push_back(size);
  }
  std::string bytes;
  std::vector<std::size_t> writes;
};

TEST(BinaryWriter, ValuesAreLittleEndianAcrossBufferBoundaries) {
  RecordingSink sink;
  BinaryWriter out(sink);
  std::string expected;
  // Odd-sized values, so that they reach every offset against the end of the buffer.
  for (int i = 0; i < 20000; ++i) {
    out.u8(0xAB);
    out.i16(-2);
    out.i32(0x01020304);
    out.f64(1.0);
    expected += std::string("\xAB\xFE\xFF\x04\x03\x02\x01", 7) + std::string("\0\0\0\0\0\0\xF0\x3F", 8);
  }
  std::string text(3 * BinaryWriter::kCapacity + 5, 'x');  // longer than the buffer
  out.bytes(text);
  expected += text;
  EXPECT_EQ(out.written(), expected.size());
  out.flush();
  EXPECT_EQ(sink.bytes, expected);
  for (std::size_t size : sink.writes) EXPECT_LE(size, BinaryWriter::kCapacity);
}

TEST(BinaryWriter, ReservedRoomIsWrittenInPlaceAndCountsOnlyWhatWasCommitted) {
  RecordingSink sink;
  BinaryWriter out(sink);
  out.u16(0x0102);
  for (int batch = 0; batch < 3; ++batch) {
    std::uint8_t* at = out.reserve(BinaryWriter::kCapacity - 1);  // flushes what is buffered first
    at = BinaryWriter::store<4>(at, std::uint32_t{0xA1B2C3D4});
    out.commit(at);  // the rest of the room is not written
  }
  EXPECT_EQ(out.written(), 2u + 3 * 4);
  out.flush();
  EXPECT_EQ(sink.writes, (std::vector<std::size_t>{2, 4, 4, 4}));
  EXPECT_EQ(sink.bytes, std::string("\x02\x01", 2) + "\xD4\xC3\xB2\xA1\xD4\xC3\xB2\xA1\xD4\xC3\xB2\xA1");
}

}  // namespace
}  // namespace pack
