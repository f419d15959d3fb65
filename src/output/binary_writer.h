// The one buffered writer: every file is streamed through it, little-endian, field by field.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/byte_sink.h"

namespace pack {

class BinaryWriter {
 public:
  explicit BinaryWriter(ByteSink& sink);
  BinaryWriter(const BinaryWriter&) = delete;
  BinaryWriter& operator=(const BinaryWriter&) = delete;

  void u8(std::uint8_t v) { *room(1) = v; }
  void u16(std::uint16_t v) { store<2>(v); }
  void i16(std::int16_t v) { store<2>(static_cast<std::uint16_t>(v)); }
  void i32(std::int32_t v) { store<4>(static_cast<std::uint32_t>(v)); }
  void u32(std::uint32_t v) { store<4>(v); }
  void f64(double v) { store<8>(std::bit_cast<std::uint64_t>(v)); }  // IEEE 754 binary64
  void bytes(std::string_view data);

  // Hands the buffered bytes to the sink. Call before finishing the sink; the destructor does not flush.
  void flush();

  // For long runs of small values: room for up to `size` bytes (at most kCapacity), written straight
  // through the returned pointer with the store functions below, then handed back with commit(end of
  // what was written). Nothing else may be written in between.
  std::uint8_t* reserve(std::size_t size) {
    if (kCapacity - used_ < size) flush();
    return buffer_.get() + used_;
  }
  void commit(const std::uint8_t* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

  // The low `N` bytes of `bits` at `at`, least significant first, whatever the machine's byte order;
  // returns the byte after them.
  template <std::size_t N, typename Bits>
  static std::uint8_t* store(std::uint8_t* at, Bits bits) {
    for (std::size_t i = 0; i < N; ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    return at + N;
  }

  static constexpr std::size_t kCapacity = 1 << 16;

  // Bytes accepted so far, flushed or not.
  std::uint64_t written() const { return flushed_ + used_; }

 private:
  // Space for `size` bytes in the buffer (at most kCapacity), flushing first when it is short.
  std::uint8_t* room(std::size_t size) {
    if (kCapacity - used_ < size) flush();
    std::uint8_t* at = buffer_.get() + used_;
    used_ += size;
    return at;
  }

  template <std::size_t N, typename Bits>
  void store(Bits bits) {
    store<N>(room(N), bits);
  }

  ByteSink& sink_;
  // Not zero-filled: only the bytes written are ever handed on.
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t used_ = 0;
  std::uint64_t flushed_ = 0;
};

}  // namespace pack
