// The speed and adhesion profiles along the line, from the train run's "velocita" and "aderenza" lines.
#pragma once

#include <cstdint>

#include "compiler/model.h"
#include "compiler/entry_outcome.h"

namespace pack {

// One profile along the line: a stretch opened by each line, filled cell by cell as the next line of the
// same key arrives and completed by the end steps. The last three cells are never completed.
struct Profile {
  std::uint8_t TrackCell::*field;
  std::uint8_t (*stored)(std::int32_t value);  // the byte a value is stored as; may throw RuntimeFailure
  std::int32_t nextCell = 0;
  std::int32_t current = 0;  // the value of the last line read; 0 before the first
  ProfileLane lane = ProfileLane::kSpeed;  // which column, for a tool's provenance only
};

Profile speedProfile();     // km/h stored in units of 5 km/h
Profile adhesionProfile();  // percent, stored modulo 256

// A "velocita" or "aderenza" line: fills the current stretch up to the line's cell, then opens the next.
EntryOutcome extendProfile(Model& model, Profile& profile, std::int32_t position, std::int32_t value);
// The end steps' completion, up to three cells before the end (always at least one cell).
void completeProfile(Model& model, Profile& profile);

}  // namespace pack
