// Fuzz target: the field reader on arbitrary bytes, reading fields of every kind until the input ends.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "compiler/field_reader.h"
#include "compiler/runtime_failure.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the sequence of field kinds, two bits a field.
  std::uint8_t kinds = data[0];
  pack::FieldReader reader(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  std::size_t lastOffset = 0;
  for (int field = 0; !reader.atEnd(); ++field) {
    try {
      switch ((kinds >> (2 * (field % 4))) & 3) {
        case 0: reader.readText(); break;
        case 1: reader.readInt32(); break;
        case 2: reader.readInt16(); break;
        default: reader.readUint8(); break;
      }
    } catch (const pack::RuntimeFailure&) {
      // A malformed number stops the source at that field, as the compiler does.
      break;
    }
    // Every successful read consumes input, so the loop ends.
    if (reader.offset() <= lastOffset && field > 0) __builtin_trap();
    lastOffset = reader.offset();
  }
  return 0;
}
