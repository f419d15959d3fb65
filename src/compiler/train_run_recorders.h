// What each train run line does to the track model: the speed and adhesion profiles, signals
// (memo_segnale), slow-downs (memo_rallentamento), hand-placed code points and the stations' platforms,
// marks and stop points. The recorders only write the model; a line they will not place comes back as a
// Refusal, and the reader decides what follows from its code.
#pragma once

#include <cstdint>
#include <optional>

#include "compiler/model.h"

namespace pack {

// A refused line: its error code (ErrorCode) and, for most codes, the position reported with it.
struct Refusal {
  std::int32_t code = 0;
  std::optional<std::int32_t> position;

  explicit operator bool() const { return code != 0; }
};

// Position tests shared by the line kinds. A feature at P needs P + 100 m of track model (a station
// S + 800 m); positions below 0 lie before the first cell and are refused the same way.
Refusal checkFeaturePosition(const Model& model, std::int32_t position);
Refusal checkStationPosition(const Model& model, std::int32_t position);

// One profile along the line: a stretch opened by each line, filled cell by cell as the next line of the
// same key arrives and completed by the end steps. The last three cells are never completed.
struct Profile {
  std::uint8_t TrackCell::*field;
  std::uint8_t (*stored)(std::int32_t value);  // the byte a value is stored as; may throw RuntimeFailure
  std::int32_t nextCell = 0;
  std::int32_t current = 0;  // the value of the last line read; 0 before the first
};

Profile speedProfile();     // km/h stored in units of 5 km/h
Profile adhesionProfile();  // percent, stored modulo 256

// A "velocita" or "aderenza" line: fills the current stretch up to the line's cell, then opens the next.
Refusal extendProfile(Model& model, Profile& profile, std::int32_t position, std::int32_t value);
// The end steps' completion, up to three cells before the end (always at least one cell).
void completeProfile(Model& model, Profile& profile);

struct SignalLine {
  std::int32_t posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

struct SlowDownLine {
  std::int32_t x, v, l, f_tt, f_ta, d_v;
};

// Lays one signal on its cell and marks the four cells before it; refuses with 16 when the cell is
// taken. The caller has made sure that every cell touched lies inside the track model.
Refusal memo_segnale(Model& model, SignalLine line);
// Lays one slow-down (warning point, start, end, approach cells); refuses with 17, 18, 19 or 20. The
// caller has made sure that every cell touched lies inside the track model.
Refusal memo_rallentamento(Model& model, SlowDownLine line);

// A whole "segnale", "rallentamento" or "abbattimento" line: the position tests, then the recorder.
Refusal placeSignal(Model& model, const SignalLine& line);
Refusal placeSlowDown(Model& model, const SlowDownLine& line);
Refusal placeCodePoint(Model& model, std::int32_t position, std::int32_t code);

// A station whose values are in table row `row` (numberC = S, kind = type, the attributes and flags as
// read): computes the platform, clears the flags, writes the approach marks and the stop point and tests
// the spacing to the previous station. Refuses with 15, 24 or 22.
Refusal layStation(Model& model, std::int32_t row, std::int32_t platformLength);

// Whether the positions and values of the three kilometre-post rows all lie on the 50-m grid.
bool kilometrePostsOnGrid(const Model& model);

}  // namespace pack
