// Where written bytes go: a file being replaced, or memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pack {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends `size` bytes. Failures are reported by throwing (IoError for files).
  virtual void write(const std::uint8_t* data, std::size_t size) = 0;
};

// Keeps what it gets, for bytes made in memory (a payload being built, the tests).
class StringSink : public ByteSink {
 public:
  void write(const std::uint8_t* data, std::size_t size) override {
    bytes.append(reinterpret_cast<const char*>(data), size);
  }
  std::string bytes;
};

}  // namespace pack
