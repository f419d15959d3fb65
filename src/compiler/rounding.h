// The one conversion from a computed real value to an integer: round to nearest, halves to the even
// neighbour (2.5 -> 2, 3.5 -> 4). A result that does not fit the target type is a run-time failure.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "compiler/runtime_failure.h"

namespace pack {

// Rounds to the nearest whole number, halves to even, as a double (no range check).
inline double roundHalfEvenValue(double v) {
  double whole = std::floor(v);
  double fraction = v - whole;  // exact for every finite double
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return whole;
}

template <typename T>
T roundHalfEven(double v) {
  static_assert(std::numeric_limits<T>::is_integer);
  if (!std::isfinite(v)) throw RuntimeFailure("conversion of a non-finite value to an integer");
  double r = roundHalfEvenValue(v);
  if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
      r > static_cast<double>(std::numeric_limits<T>::max())) {
    throw RuntimeFailure("value out of range for its integer target");
  }
  return static_cast<T>(r);
}

}  // namespace pack
