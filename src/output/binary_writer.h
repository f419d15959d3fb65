// The one buffered writer: every file is streamed through it, little-endian, field by field.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/byte_sink.h"

namespace pack {

class BinaryWriter {
 public:
  explicit BinaryWriter(ByteSink& sink);
  BinaryWriter(const BinaryWriter&) = delete;
  BinaryWriter& operator=(const BinaryWriter&) = delete;

  void u8(std::uint8_t v);
  void u16(std::uint16_t v);
  void i16(std::int16_t v);
  void i32(std::int32_t v);
  void f64(double v);  // IEEE 754 binary64
  void bytes(std::string_view data);

  // Hands the buffered bytes to the sink. Call before finishing the sink; the destructor does not flush.
  void flush();

  // Bytes accepted so far, flushed or not.
  std::uint64_t written() const { return total_; }

 private:
  void put(std::uint8_t byte) {
    if (buffer_.size() == kCapacity) flush();
    buffer_.push_back(byte);
    ++total_;
  }

  static constexpr std::size_t kCapacity = 1 << 16;
  ByteSink& sink_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t total_ = 0;
};

}  // namespace pack
