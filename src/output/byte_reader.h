// Reading what the writers wrote: little-endian fields with a bound check, for the compiled files and the
// payload a pack carries.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pack {

// Bytes that are not what they should be: what is wrong and at which byte offset.
class DecodeError : public std::runtime_error {
 public:
  DecodeError(std::size_t offset, const std::string& what);
  std::size_t offset() const { return offset_; }

 private:
  std::size_t offset_;
};

// Little-endian reads that throw DecodeError, naming the field that does not fit, instead of reading past
// the end.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  bool atEnd() const { return pos_ == bytes_.size(); }
  std::size_t offset() const { return pos_; }
  std::size_t left() const { return bytes_.size() - pos_; }

  std::uint64_t little(std::size_t size, const char* field) {
    if (left() < size) throwShort(size, field);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < size; ++i) {
      v |= std::uint64_t{static_cast<std::uint8_t>(bytes_[pos_ + i])} << (8 * i);
    }
    pos_ += size;
    return v;
  }

  std::uint8_t u8(const char* field) { return static_cast<std::uint8_t>(little(1, field)); }
  std::uint16_t u16(const char* field) { return static_cast<std::uint16_t>(little(2, field)); }
  std::uint32_t u32(const char* field) { return static_cast<std::uint32_t>(little(4, field)); }
  std::int16_t i16(const char* field) { return static_cast<std::int16_t>(u16(field)); }
  std::int32_t i32(const char* field) { return static_cast<std::int32_t>(little(4, field)); }
  double f64(const char* field) { return std::bit_cast<double>(little(8, field)); }

  std::string text(std::size_t size, const char* field) {
    if (left() < size) throw DecodeError(pos_, std::string("file ends inside ") + field);
    std::string s(bytes_.substr(pos_, size));
    pos_ += size;
    return s;
  }

 private:
  [[noreturn]] void throwShort(std::size_t size, const char* field) const;

  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace pack
