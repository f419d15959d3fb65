// The train run description: its start field, its comment rule and its entries, in the order the reader
// hands a key field to them, each with its description for authors. Every key is recognised in any
// letter case.
//
// Layout: anything before the first field holding "[generale]" (any case) is ignored; from there on every
// key field is handed to each entry in turn, and each entry that matches reads its values at once. A
// field holding "-" is a comment (isCommentField in formats/entry.h): up to two in a row are
// replaced by the field after them, a third is taken as a key field. Section headers match no entry.
// The last field of the file is never handled.
#pragma once

#include <cstdint>
#include <string_view>

#include "formats/entry.h"

namespace pack {

inline constexpr std::string_view kTrainRunStart = "[generale]";  // searched ignoring case
inline constexpr int kTrainRunCommentRun = 2;

namespace train_run_values {

using enum ValueWidth;
using describe::number;
using describe::passedOn;
using describe::position;
using describe::kInt32Max;
using describe::kInt32Min;

inline constexpr ValueCode kSideCodes[] = {
    {0, 0, "no signal on this side"},
    {1, 1, "a warning signal: it announces the protection signal further on"},
    {2, 2, "a protection signal: it guards the stretch after it, and on the left it may carry a time"},
};
inline constexpr ValueCode kSignalTimeCodes[] = {
    {0, 0, "no time"},
    {1, 100, "taken as 101"},
    {101, 255, "kept as written, for a protection signal on the left only (the shipped run writes 245)"},
};
inline constexpr ValueCode kNonzeroFlagCodes[] = {
    {kInt32Min, -1, "as 1"},
    {0, 0, "off"},
    {1, kInt32Max, "on"},
};
inline constexpr ValueCode kExtensionCodes[] = {
    {0, 0, "the platform as its type lays it"},
    {1, 1, "a centred platform ends 50 m further on; ignored for types 5 to 8 and at the first station"},
};
inline constexpr ValueCode kStationTypeCodes[] = {
    {0, 0, "a stop with the platform centred on the position"},
    {1, 1, "a stop with the platform centred on the position; the shipped run's terminus"},
    {2, 4, "a stop with the platform centred on the position"},
    {5, 6, "a stop whose platform runs from position - length to position + 150 m, without approach marks"},
    {7, 8, "a stop whose platform runs from position - length to position + length"},
    {9, 11, "a stop with the platform centred on the position"},
    {12, 12, "a stop with the platform centred on the position; the shipped run's origin"},
    {13, 21, "a stop with the platform centred on the position"},
    {22, 22, "a stop with the platform centred on the position; the shipped run's intermediate stations"},
    {23, 24, "a stop with the platform centred on the position"},
    {25, 255, "listed in the scenario table only: no platform, stop point or approach marks on the track"},
};

inline constexpr ValueDefinition kBrakedMass[] = {
    number(kInt32, "braked-mass percentage", "%", {1, 250}, "The train's braked mass as a share of its mass."),
};
inline constexpr ValueDefinition kCoaches[] = {
    number(kInt32, "coaches", "", {1, 20}, "How many coaches the train has."),
};
inline constexpr ValueDefinition kSand[] = {
    number(kInt16, "sand", "", {0, 32767}, "How much sand the train carries for the simulator."),
};
inline constexpr ValueDefinition kClock[] = {
    number(kInt16, "hours", "h", {0, 23}, "The hour of the clock when the run starts."),
    number(kInt16, "minutes", "min", {0, 59}, "Its minutes."),
    number(kInt16, "seconds", "s", {0, 59}, "Its seconds."),
};
inline constexpr ValueDefinition kAdhesion[] = {
    position("position", "Where this adhesion begins."),
    number(kInt32, "adhesion", "%", {1, 100}, "How well the wheels grip, in percent of full grip."),
};
inline constexpr ValueDefinition kSpeedLimit[] = {
    position("position", "Where this speed limit begins."),
    number(kInt32, "speed limit", "km/h", {0, 300}, "The highest speed allowed from here on."),
};
inline constexpr ValueDefinition kSignal[] = {
    position("position (posizione)", "Where the signal stands; its approach marks reach 400 m back.", 350),
    number(kInt32, "left signal kind (sx)", "", {0, 2}, "The signal on the left: 0 none, 1 warning, 2 protection.")
        .withCodes(kSideCodes),
    number(kInt32, "first left digit (s1)", "", {0, 9},
           "The first digit of the left signal's aspect, for the simulator; the compiler only packs it. The "
           "shipped run writes 4 for its first three pairs and 3 before the terminus."),
    number(kInt32, "second left digit (s2)", "", {0, 9},
           "The second digit of the left signal's aspect: the shipped run writes 0 for its first pair and 1 "
           "for the others."),
    number(kInt32, "third left digit (s3)", "", {0, 9},
           "The third digit of the left signal's aspect: 0 in the shipped run."),
    number(kInt32, "kind tens (rapp)", "", {0, 9},
           "A number kept as the tens of the signal's stored kind code (rapp x 10 + sx x 3 + dx), for the "
           "simulator; the shipped run writes 0."),
    number(kInt32, "right signal kind (dx)", "", {0, 2}, "The signal on the right: 0 none, 1 warning, 2 protection.")
        .withCodes(kSideCodes),
    number(kInt32, "first right digit (d1)", "", {0, 9},
           "The first digit of the right signal's aspect, as s1 for the left; 0 with no right signal."),
    number(kInt32, "second right digit (d2)", "", {0, 9}, "The second digit of the right signal's aspect, as s2."),
    number(kInt32, "third right digit (d3)", "", {0, 9}, "The third digit of the right signal's aspect, as s3."),
    number(kInt32, "time (tempo)", "", {0, 255},
           "The time of a protection signal on the left: 0 none, else 101 to 255.")
        .withCodes(kSignalTimeCodes),
};
inline constexpr ValueDefinition kSlowDown[] = {
    position("start (x)", "Where the slow-down begins."),
    number(kInt32, "speed (v)", "km/h", {0, 300}, "The speed allowed along the slow-down."),
    number(kInt32, "length (l)", "m", {1, kInt32Max}, "How long it is: it ends at start + length."),
    passedOn(kInt32, "stored value (f_tt)",
             "A value kept in the start and end cells for the simulator, which the compiler does not read; "
             "write 0 unless the simulator asks for another.")
        .withCodes(kNonzeroFlagCodes),
    passedOn(kInt32, "approach marks flag (f_ta)", "Nonzero marks four cells before the warning point.")
        .withCodes(kNonzeroFlagCodes),
    passedOn(kInt32, "stored value (d_v)",
             "Kept in the start, end and warning cells; nonzero also numbers the approach cells 1 to 4.")
        .withCodes(kNonzeroFlagCodes),
};
inline constexpr ValueDefinition kCodePoint[] = {
    position("position", "Where the code point lies."),
    number(kInt32, "code", "", {kInt32Min, 32767}, "The code it carries; 0 or less places one without a code."),
};
inline constexpr ValueDefinition kStation[] = {
    position("position", "The station's place on the line, a multiple of 50."),
    number(kUint8, "type", "", {0, 24}, "How the platform lies around the position, and whether the train stops.")
        .withCodes(kStationTypeCodes),
    number(kInt32, "platform length", "m", {100, 2000}, "How long the platform is, a multiple of 100."),
    passedOn(kUint8, "attribute A",
             "Kept for the simulator as it is: 1 at the shipped run's origin, 0 elsewhere."),
    passedOn(kUint8, "attribute B",
             "Kept for the simulator; cleared below 600 m of platform and at the first station. 0 in the shipped run."),
    number(kUint8, "platform extension flag", "", {0, 1}, "1 lengthens a centred platform by 50 m at its end.")
        .withCodes(kExtensionCodes),
    passedOn(kInt16, "attribute C",
             "Kept for the simulator as it is: the shipped run writes 4 at its origin, 0 at its intermediate "
             "stations and 1 at its terminus."),
    passedOn(kInt16, "attribute D",
             "Kept for the simulator as it is: 1 at the shipped run's termini, 0 between."),
    passedOn(kUint8, "attribute E", "Kept for the simulator as it is: 0 throughout the shipped run."),
    passedOn(kInt16, "attribute F",
             "Kept for the simulator as it is: 2 at the shipped run's termini, 4 between."),
    passedOn(kInt16, "attribute G", "Kept for the simulator as it is: 1 throughout the shipped run."),
    passedOn(kInt16, "attribute H", "Kept for the simulator as it is: 1 throughout the shipped run."),
    passedOn(kUint8, "attribute I",
             "Kept for the simulator as it is: 1 at the shipped run's origin, 0 elsewhere."),
    number(kInt32, "hours", "h", {0, 23}, "The hour of the scheduled time at the station."),
    number(kInt32, "minutes", "min", {0, 59}, "Its minutes."),
    number(kInt32, "seconds", "s", {0, 59}, "Its seconds; 0, 0, 0 where the train has no time here."),
    describe::text("name", "The station's name, up to the end of the line; no comma."),
};

}  // namespace train_run_values

inline constexpr EntryDefinition kBrakedMassEntry{
    .writtenKey = "percentuale massa frenata",
    .words = {"massa", "frenata"},
    .values = train_run_values::kBrakedMass,
    .keyCase = KeyCase::kIgnore,
    .meaning = "The train's braked-mass percentage.",
    .example = "percentuale massa frenata,    105",
    .compiled = "Stored in the scenario table; a later line replaces an earlier one.",
};
inline constexpr EntryDefinition kCoachesEntry{
    .writtenKey = "numero vetture",
    .words = {"vetture"},
    .values = train_run_values::kCoaches,
    .keyCase = KeyCase::kIgnore,
    .meaning = "The number of coaches of the train.",
    .example = "numero vetture,    8",
    .compiled = "Stored in the scenario table; a later line replaces an earlier one.",
};
inline constexpr EntryDefinition kSpeedLimitEntry{
    .writtenKey = "velocita",
    .words = {"velocit"},
    .values = train_run_values::kSpeedLimit,
    .keyCase = KeyCase::kIgnore,
    .meaning = "The line's speed limit from a position up to the next speed-limit line.",
    .example = "velocita,   17050,    65",
    .compiled = "Each position is taken to the nearest cell boundary (position / 50, halves to even); the "
                "limit holds from there to the next speed-limit line, the last one to the end of the run-out. "
                "Start at 0 and list the lines in ascending position. Each cell keeps the speed / 5, halves "
                "to even, so multiples of 5 are exact; a speed above 1277 km/h cannot be stored (error 25).",
};
inline constexpr EntryDefinition kAdhesionEntry{
    .writtenKey = "aderenza",
    .words = {"aderenza"},
    .values = train_run_values::kAdhesion,
    .keyCase = KeyCase::kIgnore,
    .meaning = "The adhesion along the line from a position up to the next adhesion line.",
    .example = "aderenza,     400,    70",
    .compiled = "Each position is taken to the nearest cell boundary (position / 50, halves to even); the "
                "adhesion holds from there to the next adhesion line, the last one to the end of the run-out. "
                "Start at 0 and list the lines in ascending position. Each cell keeps the adhesion in one "
                "byte (modulo 256).",
};
inline constexpr EntryDefinition kClockEntry{
    .writtenKey = "orologio",
    .words = {"orologio"},
    .values = train_run_values::kClock,
    .keyCase = KeyCase::kIgnore,
    .meaning = "The clock time at which the run starts.",
    .example = "orologio,    16              56            0 ",
    .compiled = "The three numbers may be separated by blanks instead of commas. They are stored without a "
                "check; a later line replaces an earlier one.",
};
inline constexpr EntryDefinition kSandEntry{
    .writtenKey = "sabbia",
    .words = {"sabbia"},
    .values = train_run_values::kSand,
    .keyCase = KeyCase::kIgnore,
    .meaning = "The sand the train carries.",
    .example = "sabbia,    180",
    .compiled = "Stored in the scenario table; a later line replaces an earlier one.",
};
inline constexpr EntryDefinition kSignalEntry{
    .writtenKey = "segnale",
    .words = {"segnale"},
    .values = train_run_values::kSignal,
    .keyCase = KeyCase::kIgnore,
    .meaning = "A signal beside the track, on the left, on the right or on both sides.",
    .example = "segnale,   27950,   2, 3, 1,  0, 0,    0,  0,0,0, 245",
    .compiled = "The signal takes the cell round(position / 50 + 1), which must be free, else error 16. Each "
                "left digit is packed with the right one as left x 10 + right, the kinds as rapp x 10 + "
                "sx x 3 + dx. The cells 100, 200, 300 and 400 m before it get approach marks, whatever they "
                "hold. The time is kept only for a protection signal on the left; a signal time of 1 to 100 "
                "is taken as 101. Signals may come in any order.",
};
inline constexpr EntryDefinition kSlowDownEntry{
    .writtenKey = "rallentamento",
    .words = {"rallentamento"},
    .values = train_run_values::kSlowDown,
    .keyCase = KeyCase::kIgnore,
    .meaning = "A slow-down: a stretch to be run at a lower speed, announced by a warning point.",
    .example = "rallentamento,   12000,  30,  400,  0,  1,  0",
    .compiled = "The start takes the cell round(start / 50 + 1), the end round((start + length) / 50 + 1) and, "
                "when the start lies beyond 1500 m, a warning point the cell 1200 m before the start; each "
                "must be free (errors 18, 19 and 17), and with the approach flag the four cells before the "
                "warning point too (error 20). Values are kept modulo 65536. Code points are then added "
                "before and along it (errors 11 to 13 when there is no room).",
};
inline constexpr EntryDefinition kCodePointEntry{
    .writtenKey = "abbattimento",
    .words = {"abbattimento"},
    .values = train_run_values::kCodePoint,
    .keyCase = KeyCase::kIgnore,
    .meaning = "A code point placed by hand.",
    .example = "abbattimento,   15000,  180",
    .compiled = "The code point takes the cell round(position / 50), with no cell added as for signals; the "
                "cell must be free, else error 7.",
};
inline constexpr EntryDefinition kStationEntry{
    .writtenKey = "stazione",
    .words = {"stazione"},
    .values = train_run_values::kStation,
    .keyCase = KeyCase::kIgnore,
    .meaning = "A station of the run: its position, its platform, its scheduled time and its name.",
    .example = "stazione,   28750,  1,  600,  0, 0, 0,  1,1,0,  2,1,1,    0,  17,27, 0, MONTEGRANO C.",
    .compiled = "A position that is not a multiple of 50 is refused with error 8, a platform length that is "
                "not a multiple of 100 with error 9; the position must leave 800 m of track model after it "
                "(error 15). Types 5 and 6 lay the platform from position - length to position + 150, types "
                "7 and 8 from position - length to position + length, every other type centred on the "
                "position. Types below 25 put a stop point in the cell before the platform end, which must "
                "lie beyond 100 m (error 24), and all but 5 and 6 four approach marks before it; types 25 and "
                "above are only listed in the table. Each platform must begin at least 350 m after the one "
                "before ends (error 22). Stations take table rows 1, 2, 3 and so on, at most 78 less one for "
                "each text board (error 10). The time is stored as seconds of the day.",
};

// Every entry, in the order the reader hands a key field to them.
inline constexpr const EntryDefinition* kTrainRunEntries[] = {
    &kBrakedMassEntry, &kCoachesEntry, &kSpeedLimitEntry, &kAdhesionEntry,  &kClockEntry,
    &kSandEntry,       &kSignalEntry,  &kSlowDownEntry,   &kCodePointEntry, &kStationEntry,
};

namespace train_run_sections {

inline constexpr const EntryDefinition* kGeneral[] = {&kCoachesEntry, &kBrakedMassEntry, &kSandEntry, &kClockEntry};
inline constexpr const EntryDefinition* kAdhesions[] = {&kAdhesionEntry};
inline constexpr const EntryDefinition* kSpeedLimits[] = {&kSpeedLimitEntry};
inline constexpr const EntryDefinition* kStations[] = {&kStationEntry};
inline constexpr const EntryDefinition* kSlowDowns[] = {&kSlowDownEntry};
inline constexpr const EntryDefinition* kSignals[] = {&kSignalEntry};
inline constexpr const EntryDefinition* kCodePoints[] = {&kCodePointEntry};

}  // namespace train_run_sections

// What the source is, for authors.
inline constexpr std::string_view kTrainRunSummary =
    "One train's run on the line: the train's data, the adhesion and the speed limit along the line, its "
    "stations, slow-downs, signals and hand-placed code points. Everything before the first [generale] "
    "is skipped; from there every line is recognised by its key alone, in any section and any letter "
    "case, so the headers only group the lines. Only the order of lines with the same key matters.";

// The sections as the train run writer lays them out.
inline constexpr SectionDefinition kTrainRunSections[] = {
    {"[generale]", "The train's data.", train_run_sections::kGeneral},
    {"[aderenze]", "The adhesion profile, in ascending position from 0.", train_run_sections::kAdhesions},
    {"[vel_limite]", "The speed-limit profile, in ascending position from 0.", train_run_sections::kSpeedLimits},
    {"[stazioni]", "The stations, in ascending position.", train_run_sections::kStations},
    {"[rallentamenti]", "The slow-downs.", train_run_sections::kSlowDowns},
    {"[segnali]", "The signals.", train_run_sections::kSignals},
    {"[codici]", "The code points placed by hand.", train_run_sections::kCodePoints},
    {"[fine]", "Ends the file: the last field of a source is never read.", {}},
};

}  // namespace pack
