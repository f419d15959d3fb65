// What a recorder answers when it will not lay a line onto the model: the error code and, for most codes,
// the position reported with it. The recorders only write the model; the reader decides what follows.
#pragma once

#include <cstdint>
#include <optional>

#include "compiler/error_codes.h"
#include "compiler/model.h"

namespace pack {

struct Refusal {
  std::int32_t code = 0;
  std::optional<std::int32_t> position;

  explicit operator bool() const { return code != 0; }
};

// The position tests of the train run's lines. A feature at P needs P + 100 m of track model (a station
// S + 800 m); positions below 0 lie before the first cell and are refused the same way.
inline Refusal checkFeaturePosition(const Model& model, std::int32_t position) {
  if (position < 0 || beyondTrack(model.cellCount, position, kFeatureMargin)) return {kErrBeyondTrack, position};
  return {};
}

inline Refusal checkStationPosition(const Model& model, std::int32_t position) {
  if (position < 0 || beyondTrack(model.cellCount, position, kStationMargin)) return {kErrBeyondTrack, position};
  return {};
}

}  // namespace pack
