// Where written bytes go: a file being replaced, or memory in tests and fuzzing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pack {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends `size` bytes. Failures are reported by throwing (IoError for files).
  virtual void write(const std::uint8_t* data, std::size_t size) = 0;
};

}  // namespace pack
