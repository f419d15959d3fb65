// The route description: its header, its comment rule and its entries, in the order the reader tests
// them. The key text of some entries carries a value of its own (a curve's class and side, the number of
// codes of the signal repetition); the rules for reading those are here too.
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

// Comment fields that may replace a key field in a row: ten in the general part, where the end of the
// file is not tested between them, and two in the feature part, where it is.
inline constexpr int kGeneralCommentRun = 10;
inline constexpr int kFeatureCommentRun = 2;

namespace route_values {

using enum ValueWidth;
inline constexpr ValueDefinition kOne[] = {kInt32};
inline constexpr ValueDefinition kTwo[] = {kInt32, kInt32};
inline constexpr ValueDefinition kThree[] = {kInt32, kInt32, kInt32};
inline constexpr ValueDefinition kSpeedBoard[] = {kInt32, kInt32, kInt32, kInt32, kInt32,
                                             kInt32, kInt32, kInt32, kInt32};
inline constexpr ValueDefinition kTextBoard[] = {kInt32, kText};

}  // namespace route_values

// General part. Values: the length; position, kilometre value, flag; the background setting; the first
// and second repetition positions.
inline constexpr EntryDefinition kRouteLengthEntry{
    "lunghezza percorso", {"lunghezza", "percorso"}, route_values::kOne, KeyCase::kIgnore};
inline constexpr EntryDefinition kKilometreTreEntry{
    "progressiva chilometrica tre", {"progressiva", "tre"}, route_values::kThree, KeyCase::kExact};
inline constexpr EntryDefinition kKilometreDueEntry{
    "progressiva chilometrica due", {"progressiva", "due"}, route_values::kThree, KeyCase::kExact};
inline constexpr EntryDefinition kKilometreUnoEntry{
    "progressiva chilometrica uno", {"progressiva", "uno"}, route_values::kThree, KeyCase::kExact};
inline constexpr EntryDefinition kBackgroundUnoEntry{
    "sfondo uno", {"sfondo", "uno"}, route_values::kOne, KeyCase::kExact};
inline constexpr EntryDefinition kBackgroundDueEntry{
    "sfondo due", {"sfondo", "due"}, route_values::kOne, KeyCase::kExact};
inline constexpr EntryDefinition kBackgroundTreEntry{
    "sfondo tre", {"sfondo", "tre"}, route_values::kOne, KeyCase::kExact};
inline constexpr EntryDefinition kSignalRepetitionEntry{
    "ripetizione segnali 4 codici", {"ripetizione", "segnali"}, route_values::kTwo, KeyCase::kExact};

// Feature part, every key in any letter case. Values: position, gradient in per mille; start, length;
// start, end, scenery type; position and the nine board values; position, text.
inline constexpr EntryDefinition kGradientEntry{"pendenza", {"pendenza"}, route_values::kTwo};
inline constexpr EntryDefinition kCurveEntry{"curvad5", {"curva"}, route_values::kTwo};
inline constexpr EntryDefinition kMountainEntry{"montagna", {"montagna"}, route_values::kThree};
inline constexpr EntryDefinition kSpeedBoardEntry{
    "indicatori_vmax", {"indicatori_v"}, route_values::kSpeedBoard};
inline constexpr EntryDefinition kTextBoardEntry{
    "cartello_indicatore", {"cartello", "indicat"}, route_values::kTextBoard};

// The entries in the order the reader tests a key field against them; every entry that matches is
// handled, one after the other. Curves are recognised only while the plan of the line is built.
inline constexpr const EntryDefinition* kRouteGeneralEntries[] = {
    &kRouteLengthEntry,   &kKilometreTreEntry,  &kKilometreDueEntry,  &kKilometreUnoEntry,
    &kBackgroundUnoEntry, &kBackgroundDueEntry, &kBackgroundTreEntry, &kSignalRepetitionEntry,
};
inline constexpr const EntryDefinition* kRouteFeatureEntries[] = {
    &kGradientEntry, &kCurveEntry, &kMountainEntry, &kSpeedBoardEntry, &kTextBoardEntry,
};
std::span<const EntryDefinition* const> routeGeneralEntries();
std::span<const EntryDefinition* const> routeFeatureEntries();

// The general part ends at a field holding "[" and "]" whose text, after its leading blanks, does not
// begin with "-".
bool endsGeneralPart(std::string_view field);

// The curvature per metre of the first class digit 1 to 6 (tested in that order) found in a curve key,
// or nothing when the key holds none of them.
std::optional<double> curveCurvature(std::string_view curveKey);

// A curve key holding "s" (any case) turns left; every other curve turns right.
bool curveTurnsLeft(std::string_view curveKey);

// The number of codes named by a signal repetition key: 4 when it holds "4", else 9 when it holds "9",
// else nothing.
std::optional<std::int32_t> repetitionCodeCount(std::string_view repetitionKey);

}  // namespace pack
