#include "compiler/profiles.h"

#include "compiler/cell_codec.h"

namespace pack {
namespace {

void writeProfileCell(Model& model, Profile& profile) {
  model.cellAt(profile.nextCell).*profile.field = profile.stored(profile.current);
  model.noteProfileCell(profile.lane, profile.nextCell);
  ++profile.nextCell;
}

std::uint8_t speedUnits(std::int32_t kmh) { return codec::encodeSpeed(kmh); }
std::uint8_t adhesionByte(std::int32_t percent) { return codec::encodeAdhesion(percent); }

}  // namespace

Profile speedProfile() { return {&TrackCell::speedLimit, speedUnits, 0, 0, ProfileLane::kSpeed}; }
Profile adhesionProfile() { return {&TrackCell::adhesion, adhesionByte, 0, 0, ProfileLane::kAdhesion}; }

EntryOutcome extendProfile(Model& model, Profile& profile, std::int32_t position, std::int32_t value) {
  // Negative positions open no cell and are harmless: only the far end is bounded.
  if (beyondTrack(model.cellCount, position, kFeatureMargin)) return {kErrBeyondTrack, position};
  const std::int32_t n = cellOf(position);
  if (n > 0) {
    // A line at or behind the filled cells still writes one cell with the stretch it closes.
    do {
      if (profile.nextCell >= model.cellCount) break;
      writeProfileCell(model, profile);
    } while (profile.nextCell < n);
  }
  profile.current = value;
  model.noteProfileValue(profile.lane);
  return {};
}

void completeProfile(Model& model, Profile& profile) {
  do {
    writeProfileCell(model, profile);
  } while (profile.nextCell < model.cellCount - 2);
}

}  // namespace pack
