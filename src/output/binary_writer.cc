#include "output/binary_writer.h"

#include <bit>
#include <cstring>

namespace pack {

BinaryWriter::BinaryWriter(ByteSink& sink) : sink_(sink) { buffer_.reserve(kCapacity); }

void BinaryWriter::u8(std::uint8_t v) { put(v); }

void BinaryWriter::u16(std::uint16_t v) {
  put(static_cast<std::uint8_t>(v & 0xFF));
  put(static_cast<std::uint8_t>(v >> 8));
}

void BinaryWriter::i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }

void BinaryWriter::i32(std::int32_t v) {
  auto bits = static_cast<std::uint32_t>(v);
  for (int shift = 0; shift < 32; shift += 8) put(static_cast<std::uint8_t>((bits >> shift) & 0xFF));
}

void BinaryWriter::f64(double v) {
  auto bits = std::bit_cast<std::uint64_t>(v);
  for (int shift = 0; shift < 64; shift += 8) put(static_cast<std::uint8_t>((bits >> shift) & 0xFF));
}

void BinaryWriter::bytes(std::string_view data) {
  for (char c : data) put(static_cast<std::uint8_t>(c));
}

void BinaryWriter::flush() {
  if (buffer_.empty()) return;
  sink_.write(buffer_.data(), buffer_.size());
  buffer_.clear();
}

}  // namespace pack
