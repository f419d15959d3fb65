// Fuzz target: arbitrary bytes as the scenario appended to a pack program. Decoding either refuses them
// with a PayloadError or gives a payload that encodes and decodes back to itself; nothing else may happen
// (the pack reads these bytes from a file anyone may have damaged).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "output/pack_payload.h"

namespace {

constexpr std::size_t kMaxInput = 1024 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::string_view appended(reinterpret_cast<const char*>(data), size);
  pack::PackPayload payload;
  try {
    payload = pack::decodePayload(appended);
  } catch (const pack::PayloadError&) {
    return 0;
  }
  if (!(pack::decodePayload(pack::encodePayload(payload)) == payload)) __builtin_trap();
  return 0;
}
