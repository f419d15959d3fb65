#include "output/byte_reader.h"

namespace pack {

DecodeError::DecodeError(std::size_t offset, const std::string& what)
    : std::runtime_error("offset " + std::to_string(offset) + ": " + what), offset_(offset) {}

void ByteReader::throwShort(std::size_t size, const char* field) const {
  throw DecodeError(pos_, std::string("file ends inside ") + field + " (" + std::to_string(left()) + " of " +
                              std::to_string(size) + " bytes left)");
}

}  // namespace pack
