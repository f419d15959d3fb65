#include "tool/value_ranges.h"

namespace pack {
namespace {

// Ranges are those the formats state, or else what the simulator can make sense of for this kind of
// line and train (marked "plausible"): speeds up to 300 km/h, trains of up to 20 coaches.
constexpr std::int64_t kMaxSpeed = 300;  // plausible
constexpr ValueGuide kRanges[] = {
    // Route description, general part.
    {"lunghezza percorso", 1, "route length", "m", 50, 1000000},
    {"progressiva chilometrica uno", 1, "position", "m", 0, kNoMaximum, true},
    {"progressiva chilometrica uno", 2, "kilometre-post value", "m", 0},
    {"progressiva chilometrica uno", 3, "flag", "", 0, 1},
    {"progressiva chilometrica due", 1, "position", "m", 0, kNoMaximum, true},
    {"progressiva chilometrica due", 2, "kilometre-post value", "m", 0},
    {"progressiva chilometrica due", 3, "flag", "", 0, 1},
    {"progressiva chilometrica tre", 1, "position", "m", 0, kNoMaximum, true},
    {"progressiva chilometrica tre", 2, "kilometre-post value", "m", 0},
    {"progressiva chilometrica tre", 3, "flag", "", 0, 1},
    {"sfondo uno", 1, "background setting", ""},
    {"sfondo due", 1, "background setting", ""},
    {"sfondo tre", 1, "background setting", ""},
    {"ripetizione segnali 4 codici", 1, "first position", "m", 0, kNoMaximum, true},
    {"ripetizione segnali 4 codici", 2, "second position", "m", 0, kNoMaximum, true},
    // Route description, features. The stored gradient holds -100 to 155.
    {"pendenza", 1, "position", "m", 0, kNoMaximum, true},
    {"pendenza", 2, "gradient", "per mille", -100, 155},
    {"curvad5", 1, "start", "m", 0, kNoMaximum, true},
    {"curvad5", 2, "length", "m", 1},
    {"montagna", 1, "start (inizio)", "m", 0, kNoMaximum, true},
    {"montagna", 2, "end (fine)", "m", 0, kNoMaximum, true},
    {"montagna", 3, "scenery type (tipo)", "", 1, 12},
    {"indicatori_vmax", 1, "position", "m", 0, kNoMaximum, true},
    {"indicatori_vmax", 2, "first speed, first set (vas)", "km/h", 0, kMaxSpeed},
    {"indicatori_vmax", 3, "second speed, first set (vbs)", "km/h", 0, kMaxSpeed},
    {"indicatori_vmax", 4, "third speed, first set (vcs)", "km/h", 0, kMaxSpeed},
    {"indicatori_vmax", 5, "stripes, first set (strisces)", "", 0, 9},
    {"indicatori_vmax", 6, "first speed, second set (vad)", "km/h", 0, kMaxSpeed, false, true},
    {"indicatori_vmax", 7, "second speed, second set (vbd)", "km/h", 0, kMaxSpeed, false, true},
    {"indicatori_vmax", 8, "third speed, second set (vcd)", "km/h", 0, kMaxSpeed, false, true},
    {"indicatori_vmax", 9, "stripes, second set (strisced)", "", 0, 9},
    {"cartello_indicatore", 1, "position", "m", 0, kNoMaximum, true},
    {"cartello_indicatore", 2, "text", ""},
    // Train run description, general values. Clock within a day.
    {"percentuale massa frenata", 1, "braked-mass percentage", "%", 1, 250},
    {"numero vetture", 1, "coaches", "", 1, 20},
    {"sabbia", 1, "sand", "", 0},
    {"orologio", 1, "hours", "h", 0, 23},
    {"orologio", 2, "minutes", "min", 0, 59},
    {"orologio", 3, "seconds", "s", 0, 59},
    // Profiles: adhesion in percent of full adhesion.
    {"aderenza", 1, "position", "m", 0, kNoMaximum, true},
    {"aderenza", 2, "adhesion", "%", 1, 100},
    {"velocita", 1, "position", "m", 0, kNoMaximum, true},
    {"velocita", 2, "speed limit", "km/h", 0, kMaxSpeed},
    // Stations. Types 25 and above are recorded in the table only: the train gets no stop point.
    {"stazione", 1, "position", "m", 0, kNoMaximum, true},
    {"stazione", 2, "type", "", 0, 24},
    {"stazione", 3, "platform length", "m", 100, 2000},
    {"stazione", 4, "attribute A", ""},
    {"stazione", 5, "attribute B", ""},
    {"stazione", 6, "platform extension flag", "", 0, 1},
    {"stazione", 7, "attribute C", ""},
    {"stazione", 8, "attribute D", ""},
    {"stazione", 9, "attribute E", ""},
    {"stazione", 10, "attribute F", ""},
    {"stazione", 11, "attribute G", ""},
    {"stazione", 12, "attribute H", ""},
    {"stazione", 13, "attribute I", ""},
    {"stazione", 14, "hours", "h", 0, 23},
    {"stazione", 15, "minutes", "min", 0, 59},
    {"stazione", 16, "seconds", "s", 0, 59},
    {"stazione", 17, "name", ""},
    // Signals: the approach marks reach 400 m back from the signal's cell.
    {"segnale", 1, "position (posizione)", "m", 350, kNoMaximum, true},
    {"segnale", 2, "left signal kind (sx)", "", 0, 2},
    {"segnale", 3, "first left digit (s1)", "", 0, 9},
    {"segnale", 4, "second left digit (s2)", "", 0, 9},
    {"segnale", 5, "third left digit (s3)", "", 0, 9},
    {"segnale", 6, "kind tens (rapp)", "", 0, 9},
    {"segnale", 7, "right signal kind (dx)", "", 0, 2},
    {"segnale", 8, "first right digit (d1)", "", 0, 9},
    {"segnale", 9, "second right digit (d2)", "", 0, 9},
    {"segnale", 10, "third right digit (d3)", "", 0, 9},
    {"segnale", 11, "time (tempo)", "", 0, 255},
    // Slow-downs.
    {"rallentamento", 1, "start (x)", "m", 0, kNoMaximum, true},
    {"rallentamento", 2, "speed (v)", "km/h", 0, kMaxSpeed},
    {"rallentamento", 3, "length (l)", "m", 1},
    {"rallentamento", 4, "stored value (f_tt)", ""},
    {"rallentamento", 5, "approach marks flag (f_ta)", ""},
    {"rallentamento", 6, "stored value (d_v)", ""},
    // Hand-placed code points: the code is stored in 16 bits.
    {"abbattimento", 1, "position", "m", 0, kNoMaximum, true},
    {"abbattimento", 2, "code", "", kNoMinimum, 32767},
};

}  // namespace

std::span<const ValueGuide> valueRanges() { return kRanges; }

const ValueGuide* findValueRange(std::string_view entry, std::size_t value) {
  for (const ValueGuide& r : kRanges) {
    if (r.entry == entry && r.value == value) return &r;
  }
  return nullptr;
}

}  // namespace pack
