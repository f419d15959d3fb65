// The route description: its header, its comment rule and its entries, in the order the reader tests
// them, each with its description for authors (the tool's messages and reference read it from here).
// The key text of some entries carries a value of its own (a curve's class and side, the number of codes
// of the signal repetition); the rules for reading those are here too.
//
// Layout: anything before the first field holding "[generale]" (any case) is skipped; the general
// entries follow, in any order, up to the first field holding "[" and "]" that does not begin with "-";
// then the feature entries up to the end of the file. A field holding "-" is a comment. The last field
// of the file is never interpreted.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "formats/entry.h"

namespace pack {

inline constexpr std::string_view kRouteGeneralHeader = "[generale]";  // searched ignoring case

// What the source is and how its parts are told apart, for authors.
inline constexpr std::string_view kRouteSummary =
    "The line: its length, kilometre-post numbering and scenery settings, then the features placed along "
    "it (curves, gradients, mountain stretches, speed-indicator boards and text boards). Everything before "
    "the first [generale] is skipped; the general part runs from there to the next header. After it, "
    "feature entries are recognised wherever they stand: the other headers only group the lines. Only "
    "the order of entries of the same kind matters.";

// Comment fields that may replace a key field in a row: ten in the general part, where the end of the
// file is not tested between them, and two in the feature part, where it is.
inline constexpr int kGeneralCommentRun = 10;
inline constexpr int kFeatureCommentRun = 2;

namespace route_values {

using enum ValueWidth;
using describe::number;
using describe::passedOn;
using describe::position;
using describe::kInt32Max;

inline constexpr ValueCode kFlagCodes[] = {
    {0, 0, "the value holds as written"},
    {1, 1, "the value is raised by 100 once the definitions are ordered (km 160+850 becomes 160+950)"},
};
inline constexpr ValueCode kBackgroundCodes[] = {
    {describe::kInt32Min, -1, "stored as it is; no scenario uses it"},
    {0, 0, "the setting off: the shipped line writes 0 for sfondo uno and sfondo tre"},
    {1, 1, "the setting on: the shipped line writes 1 for sfondo due"},
    {2, kInt32Max, "stored as it is; no scenario uses it"},
};
inline constexpr ValueCode kMountainCodes[] = {
    {1, 1, "mountain scenery of the first kind"},
    {2, 2, "mountain scenery of the second kind"},
    {3, 10, "not a scenery type: stored as it is, drawn as neither kind (type 3 is what the compiler gives a "
            "stretch joined to the one before)"},
    {11, 11, "the first kind, with a marker cell every fourth cell (200 m)"},
    {12, 12, "the second kind, with a marker cell every fourth cell (200 m)"},
};

inline constexpr ValueDefinition kLength[] = {
    number(kInt32, "route length", "m", {50, 1000000}, "How long the line is, from its start to its end."),
};
inline constexpr ValueDefinition kKilometrePost[] = {
    position("position", "The place on the line where the kilometre count below holds."),
    number(kInt32, "kilometre-post value", "m", {0, kInt32Max},
           "The kilometre count at that place, in metres: 160850 stands for km 160+850."),
    number(kInt32, "flag", "", {0, 1}, "1 adds 100 m to the kilometre value once the definitions are ordered.")
        .withCodes(kFlagCodes),
};
inline constexpr ValueDefinition kBackground[] = {
    passedOn(kInt32, "background setting",
             "A scenery switch for the simulator, stored as it is: write 0 or 1 as the shipped line does.")
        .withCodes(kBackgroundCodes),
};
inline constexpr ValueDefinition kRepetition[] = {
    position("first position", "Where the signal repetition begins; a multiple of 50."),
    position("second position", "Where it ends; a multiple of 50, and 0 turns the repetition off."),
};
inline constexpr ValueDefinition kGradient[] = {
    position("position", "Where this gradient begins."),
    number(kInt32, "gradient", "per mille", {-100, 155},
           "How much the line climbs (positive) or falls (negative) from here on."),
};
inline constexpr ValueDefinition kCurve[] = {
    position("start", "Where the curve begins."),
    number(kInt32, "length", "m", {1, kInt32Max}, "How many metres the curve runs."),
};
inline constexpr ValueDefinition kMountain[] = {
    position("start (inizio)", "Where the mountain scenery begins."),
    position("end (fine)", "Where it ends."),
    number(kInt32, "scenery type (tipo)", "", {1, 12},
           "1 or 2, or 11 or 12 for the same scenery with a marker every 200 m.")
        .withCodes(kMountainCodes),
};
inline constexpr ValueDefinition kSpeedBoard[] = {
    position("position", "Where the board stands."),
    number(kInt32, "first speed, first set (vas)", "km/h", {0, 300}, "The first speed the board shows."),
    number(kInt32, "second speed, first set (vbs)", "km/h", {0, 300}, "The second speed, not below the first."),
    number(kInt32, "third speed, first set (vcs)", "km/h", {0, 300}, "The third speed, not below the second."),
    number(kInt32, "stripes, first set (strisces)", "", {0, 9}, "How many stripes the first set shows."),
    number(kInt32, "first speed, second set (vad)", "km/h", {0, 300}, "The first speed of the second set.")
        .emptyAllowed(),
    number(kInt32, "second speed, second set (vbd)", "km/h", {0, 300}, "The second speed of the second set.")
        .emptyAllowed(),
    number(kInt32, "third speed, second set (vcd)", "km/h", {0, 300}, "The third speed of the second set.")
        .emptyAllowed(),
    number(kInt32, "stripes, second set (strisced)", "", {0, 9}, "How many stripes the second set shows."),
};
inline constexpr ValueDefinition kTextBoard[] = {
    position("position", "Where the board stands."),
    describe::text("text", "What the board says, up to the end of the line: items in parentheses, "
                           "such as (Cippo     )(Km 151+997); no comma."),
};

}  // namespace route_values

// General part, in the order the reader tests a key field against them.
inline constexpr EntryDefinition kRouteLengthEntry{
    .writtenKey = "lunghezza percorso",
    .words = {"lunghezza", "percorso"},
    .values = route_values::kLength,
    .keyCase = KeyCase::kIgnore,
    .meaning = "The length of the line; it must come before anything is placed on the line.",
    .example = "lunghezza percorso,    32850",
    .compiled = "The track model is made of 50 m cells from the start of the line to the length plus a run-out "
                "of 7000 m. A length above 1000000 m is refused with error 1; a source without a length "
                "cannot be compiled (error 25). A later length entry replaces an earlier one.",
};
inline constexpr std::string_view kKilometrePostCompiled =
    "The three definitions are ordered by position, the largest first; two definitions sharing the "
    "largest position clear all three. When every position is 0, the first of uno, due and tre with a "
    "value above 0 comes first. "
    "A flag of 1 then adds 100 to the value. Positions and values must be multiples of 50, else error 2 "
    "once both sources are read. Write an unused definition as 0, 0, 0.";
inline constexpr EntryDefinition kKilometreTreEntry{
    .writtenKey = "progressiva chilometrica tre",
    .words = {"progressiva", "tre"},
    .values = route_values::kKilometrePost,
    .keyCase = KeyCase::kExact,
    .meaning = "The third piece of the line's kilometre-post numbering.",
    .example = "progressiva chilometrica tre,    0,    0,    0",
    .compiled = kKilometrePostCompiled,
};
inline constexpr EntryDefinition kKilometreDueEntry{
    .writtenKey = "progressiva chilometrica due",
    .words = {"progressiva", "due"},
    .values = route_values::kKilometrePost,
    .keyCase = KeyCase::kExact,
    .meaning = "The second piece of the line's kilometre-post numbering.",
    .example = "progressiva chilometrica due,    0,    0,    0",
    .compiled = kKilometrePostCompiled,
};
inline constexpr EntryDefinition kKilometreUnoEntry{
    .writtenKey = "progressiva chilometrica uno",
    .words = {"progressiva", "uno"},
    .values = route_values::kKilometrePost,
    .keyCase = KeyCase::kExact,
    .meaning = "The first piece of the line's kilometre-post numbering: a place and the kilometre count there.",
    .example = "progressiva chilometrica uno,    0,    160850,    1",
    .compiled = kKilometrePostCompiled,
};
inline constexpr std::string_view kBackgroundCompiled = "Stored as it is in the scenario table.";
inline constexpr EntryDefinition kBackgroundUnoEntry{
    .writtenKey = "sfondo uno",
    .words = {"sfondo", "uno"},
    .values = route_values::kBackground,
    .keyCase = KeyCase::kExact,
    .meaning = "The first scenery setting of the line.",
    .example = "sfondo uno,    0",
    .compiled = kBackgroundCompiled,
};
inline constexpr EntryDefinition kBackgroundDueEntry{
    .writtenKey = "sfondo due",
    .words = {"sfondo", "due"},
    .values = route_values::kBackground,
    .keyCase = KeyCase::kExact,
    .meaning = "The second scenery setting of the line.",
    .example = "sfondo due,    1",
    .compiled = kBackgroundCompiled,
};
inline constexpr EntryDefinition kBackgroundTreEntry{
    .writtenKey = "sfondo tre",
    .words = {"sfondo", "tre"},
    .values = route_values::kBackground,
    .keyCase = KeyCase::kExact,
    .meaning = "The third scenery setting of the line.",
    .example = "sfondo tre,    0",
    .compiled = kBackgroundCompiled,
};
inline constexpr EntryDefinition kSignalRepetitionEntry{
    .writtenKey = "ripetizione segnali 4 codici",
    .words = {"ripetizione", "segnali"},
    .values = route_values::kRepetition,
    .keyCase = KeyCase::kExact,
    .meaning = "The line's signal repetition; the key says how many codes it uses, 4 or 9.",
    .example = "ripetizione segnali 4 codici,    0,    0",
    .compiled = "The number of codes is 4 when the key holds a 4, else 9 when it holds a 9, else the key is "
                "refused with error 5. A first or second position that is not a multiple of 50 is refused "
                "with error 3 or 4. A second position of 0 records 0 codes.",
};

// Feature part, every key in any letter case.
inline constexpr EntryDefinition kGradientEntry{
    .writtenKey = "pendenza",
    .words = {"pendenza"},
    .values = route_values::kGradient,
    .keyCase = KeyCase::kIgnore,
    .meaning = "The gradient of the line from a position up to the next gradient entry.",
    .example = "pendenza,  350,   5",
    .compiled = "Each position is taken to the nearest cell boundary (position / 50, halves to even), and "
                "positions must increase from entry to entry. The line is level before the first entry and "
                "keeps the last gradient to the end of the run-out. Each cell keeps the gradient plus 100 in "
                "one byte, so only -100 to 155 per mille come through unchanged.",
};
inline constexpr EntryDefinition kCurveEntry{
    .writtenKey = "curvad5",
    .words = {"curva"},
    .values = route_values::kCurve,
    .keyCase = KeyCase::kIgnore,
    .meaning = "A curve in the plan of the line; the key names its side and its class, as in curvad5 or curvas3.",
    .example = "curvas4,  700,  500",
    .compiled = "Read only when the plan of the line is built; otherwise the key is ignored and its values "
                "are read as keys. A key holding s (any case) turns left, any other right; write d for right. "
                "The class is the first of the digits 1 to 6 found in the key: radius 10000, 5000, 2500, "
                "1000, 500 or about 333 m; a key without one is refused with error 103. List curves by "
                "start, without overlaps; the line runs straight between them.",
};
inline constexpr EntryDefinition kMountainEntry{
    .writtenKey = "montagna",
    .words = {"montagna"},
    .values = route_values::kMountain,
    .keyCase = KeyCase::kIgnore,
    .meaning = "A stretch of mountain scenery beside the line.",
    .example = "montagna,   17100,  17350,  11",
    .compiled = "The cells from start / 50 to end / 50 - 1 (each rounded) get the scenery type; types 11 and "
                "12 are types 1 and 2 with every fourth cell marked. A stretch that begins no more than "
                "150 m after the end of the one before it in the file becomes type 3. At most 80 stretches.",
};
inline constexpr EntryDefinition kSpeedBoardEntry{
    .writtenKey = "indicatori_vmax",
    .words = {"indicatori_v"},
    .values = route_values::kSpeedBoard,
    .keyCase = KeyCase::kIgnore,
    .meaning = "A speed-indicator board: up to three speeds and a number of stripes, in two sets.",
    .example = "indicatori_vmax,  15950,  65,  65,  65,  0,  ,  ,  ,  0",
    .compiled = "The board takes the cell round(position / 50 + 1), which must be free, else error 21 and "
                "the rest of the route is not read. Each pair of speeds is kept as 20 x first-set speed + "
                "second-set speed / 5, which must fit 16 bits (else error 25), the stripes as 10 x first "
                "+ second.",
};
inline constexpr EntryDefinition kTextBoardEntry{
    .writtenKey = "cartello_indicatore",
    .words = {"cartello", "indicat"},
    .values = route_values::kTextBoard,
    .keyCase = KeyCase::kIgnore,
    .meaning = "A board with a text beside the line.",
    .example = "cartello_indicatore,  8800,   (Cippo     )(Km 151+997)",
    .compiled = "The board takes the cell round(position / 50 + 1), which must be free (a mountain marker "
                "gives way), else error 6. Each text is kept whole in one row of the scenario table, from "
                "row 80 downwards, so every board leaves one station fewer for the train run.",
};

// The entries in the order the reader tests a key field against them; every entry that matches is
// handled, one after the other. Curves are recognised only while the plan of the line is built.
inline constexpr const EntryDefinition* kRouteGeneralEntries[] = {
    &kRouteLengthEntry,   &kKilometreTreEntry,  &kKilometreDueEntry,  &kKilometreUnoEntry,
    &kBackgroundUnoEntry, &kBackgroundDueEntry, &kBackgroundTreEntry, &kSignalRepetitionEntry,
};
inline constexpr const EntryDefinition* kRouteFeatureEntries[] = {
    &kGradientEntry, &kCurveEntry, &kMountainEntry, &kSpeedBoardEntry, &kTextBoardEntry,
};
namespace route_sections {

inline constexpr const EntryDefinition* kGeneral[] = {
    &kRouteLengthEntry,  &kKilometreUnoEntry,  &kKilometreDueEntry,  &kKilometreTreEntry,
    &kBackgroundUnoEntry, &kBackgroundDueEntry, &kBackgroundTreEntry, &kSignalRepetitionEntry,
};
inline constexpr const EntryDefinition* kCurves[] = {&kCurveEntry};
inline constexpr const EntryDefinition* kGradients[] = {&kGradientEntry};
inline constexpr const EntryDefinition* kMountains[] = {&kMountainEntry};
inline constexpr const EntryDefinition* kSpeedBoards[] = {&kSpeedBoardEntry};
inline constexpr const EntryDefinition* kTextBoards[] = {&kTextBoardEntry};

}  // namespace route_sections

// The sections as the route writer lays them out.
inline constexpr SectionDefinition kRouteSections[] = {
    {"[generale]",
     "The line's general settings, in any order. The part ends at the first header after it; general "
     "entries written after that header are not recognised.",
     route_sections::kGeneral},
    {"[curve]", "The curves of the line, in order of their start.", route_sections::kCurves},
    {"[pendenze]", "The gradients, in order of position.", route_sections::kGradients},
    {"[montagne]", "The mountain stretches, in order of their start.", route_sections::kMountains},
    {"[cartelli]", "The speed-indicator boards.", route_sections::kSpeedBoards},
    {"[indicazioni]", "The text boards; their order decides their rows in the scenario table.",
     route_sections::kTextBoards},
    {"[fine]", "Ends the file: the last field of a source is never read.", {}},
};

std::span<const EntryDefinition* const> routeGeneralEntries();
std::span<const EntryDefinition* const> routeFeatureEntries();

// The general part ends at a field holding "[" and "]" whose text, after its leading blanks, does not
// begin with "-".
bool endsGeneralPart(std::string_view field);

// A curve key holding "s" (any case) turns left; every other curve turns right.
bool curveTurnsLeft(std::string_view curveKey);

// The number of codes named by a signal repetition key: 4 when it holds "4", else 9 when it holds "9",
// else nothing.
std::optional<std::int32_t> repetitionCodeCount(std::string_view repetitionKey);

}  // namespace pack
