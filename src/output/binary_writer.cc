#include "output/binary_writer.h"

#include <cstring>

namespace pack {

BinaryWriter::BinaryWriter(ByteSink& sink) : sink_(sink), buffer_(new std::uint8_t[kCapacity]) {}

void BinaryWriter::bytes(std::string_view data) {
  while (!data.empty()) {
    std::size_t part = data.size() < kCapacity ? data.size() : kCapacity;
    std::memcpy(room(part), data.data(), part);
    data.remove_prefix(part);
  }
}

void BinaryWriter::flush() {
  if (used_ == 0) return;
  sink_.write(buffer_.get(), used_);
  flushed_ += used_;
  used_ = 0;
}

}  // namespace pack
