// The smaller of two numbers; the first one on a tie.
#pragma once

namespace pack {

template <typename T>
T minimo(T x, T y) {
  return x > y ? y : x;
}

}  // namespace pack
