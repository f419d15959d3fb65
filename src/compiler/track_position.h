// Positions in metres along the line and the 50-m cells of the track model. A position becomes a cell by
// one of three rules, each rounding halves to even; the features name which rule they use. The bound test
// that keeps a feature on the track model is here too, so that every reader applies the same one.
#pragma once

#include <cstdint>

#include "compiler/rounding.h"

namespace pack {

constexpr std::int32_t kCellLength = 50;  // metres per cell

// What a feature needs of track model ahead of its position: two cells, or sixteen for a station (its
// platform and stop point lie beyond its position).
constexpr std::int32_t kFeatureMargin = 2 * kCellLength;
constexpr std::int32_t kStationMargin = 16 * kCellLength;

// round(position / 50): the cell the position falls in (gradients, profiles, code points, the start of a
// mountain stretch).
inline std::int32_t cellOf(std::int32_t position) {
  return roundHalfEven<std::int32_t>(position / static_cast<double>(kCellLength));
}

// round(position / 50 + 1): the cell after it (signals, slow-down points, speed and text boards).
inline std::int32_t cellAfter(std::int32_t position) {
  return roundHalfEven<std::int32_t>(position / static_cast<double>(kCellLength) + 1);
}

// round(position / 50 - 1): the cell before it (the last cell of a mountain stretch, a station's stop
// point before its platform end).
inline std::int32_t cellBefore(std::int32_t position) {
  return roundHalfEven<std::int32_t>(position / static_cast<double>(kCellLength) - 1);
}

// Whether a feature at `position` leaves the track model: (position + margin) / 50 > cellCount as a real
// division. Computed exactly in 64 bits, so that no position of 32 bits overflows the sum. Negative
// positions are not refused here; each reader decides about them.
constexpr bool beyondTrack(std::int32_t cellCount, std::int32_t position, std::int32_t margin) {
  return std::int64_t{position} + margin > std::int64_t{kCellLength} * cellCount;
}

}  // namespace pack
