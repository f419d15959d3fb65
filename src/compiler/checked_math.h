// Integer helpers for stored fields: checked 32-bit arithmetic (an overflow is a run-time failure) and
// the explicit wrapping used where a stored field keeps only its low bits.
#pragma once

#include <cstdint>
#include <limits>

#include "compiler/runtime_failure.h"

namespace pack {

inline std::int32_t checkedInt32(std::int64_t v) {
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) {
    throw RuntimeFailure("32-bit integer overflow");
  }
  return static_cast<std::int32_t>(v);
}

inline std::int32_t checkedAdd(std::int32_t a, std::int32_t b) {
  return checkedInt32(std::int64_t{a} + b);
}

inline std::int32_t checkedSub(std::int32_t a, std::int32_t b) {
  return checkedInt32(std::int64_t{a} - b);
}

inline std::int32_t checkedMul(std::int32_t a, std::int32_t b) {
  return checkedInt32(std::int64_t{a} * b);
}

// Keeps the low 16 bits, as a two's complement 16-bit value (modulo 2^16).
inline constexpr std::int16_t wrapToInt16(std::int64_t v) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(v) & 0xFFFFu));
}

// Keeps the low 8 bits (modulo 256).
inline constexpr std::uint8_t wrapToUint8(std::int64_t v) {
  return static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) & 0xFFu);
}

// Keeps the low 32 bits, as a two's complement 32-bit value (modulo 2^32).
inline constexpr std::int32_t wrapToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v) & 0xFFFFFFFFu));
}

}  // namespace pack
