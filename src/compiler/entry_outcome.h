// What handling one entry of a source comes to, for both readers: go on with the next key, end the part
// being read (a position beyond the track model: code 15 with that position; what was read stays and the
// reading goes on after the part), or refuse with a code and, for most codes, a position (the source is
// abandoned). The recorders only write the model and answer with an outcome; the reader records it.
#pragma once

#include <cstdint>
#include <optional>

#include "compiler/error_codes.h"
#include "compiler/model.h"

namespace pack {

struct EntryOutcome {
  std::int32_t code = kErrNone;
  std::optional<std::int32_t> position;

  static EntryOutcome goOn() { return {}; }
  static EntryOutcome beyondTrack(std::int32_t position) { return {kErrBeyondTrack, position}; }

  bool goesOn() const { return code == kErrNone; }
  bool endsPart() const { return code == kErrBeyondTrack; }
  // True for every outcome but going on: `if (EntryOutcome o = test()) return o;`.
  explicit operator bool() const { return !goesOn(); }
};

// The position tests of the feature entries. A feature at P needs P + 100 m of track model (a station
// S + 800 m); positions below 0 lie before the first cell and are refused the same way.
inline EntryOutcome checkFeaturePosition(const Model& model, std::int32_t position) {
  if (position < 0 || beyondTrack(model.cellCount, position, kFeatureMargin)) {
    return EntryOutcome::beyondTrack(position);
  }
  return {};
}

inline EntryOutcome checkStationPosition(const Model& model, std::int32_t position) {
  if (position < 0 || beyondTrack(model.cellCount, position, kStationMargin)) {
    return EntryOutcome::beyondTrack(position);
  }
  return {};
}

}  // namespace pack
