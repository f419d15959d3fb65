// The train run description: its start field, its comment rule and its entries, in the order the reader
// hands a key field to them. Every key is recognised in any letter case.
//
// Layout: anything before the first field holding "[generale]" (any case) is ignored; from there on every
// key field is handed to each entry in turn, and each entry that matches reads its values at once. A
// field holding "-" is a comment (isCommentField in formats/entry.h): up to two in a row are
// replaced by the field after them, a third is taken as a key field. Section headers match no entry.
// The last field of the file is never handled.
#pragma once

#include <string_view>

#include "formats/entry.h"

namespace pack {

inline constexpr std::string_view kTrainRunStart = "[generale]";  // searched ignoring case
inline constexpr int kTrainRunCommentRun = 2;

namespace train_run_values {

using enum ValueWidth;
inline constexpr ValueDefinition kOne32[] = {kInt32};
inline constexpr ValueDefinition kOne16[] = {kInt16};
inline constexpr ValueDefinition kClock[] = {kInt16, kInt16, kInt16};  // hours, minutes, seconds
inline constexpr ValueDefinition kProfile[] = {kInt32, kInt32};        // position, value
inline constexpr ValueDefinition kSignal[] = {kInt32, kInt32, kInt32, kInt32, kInt32, kInt32,
                                         kInt32, kInt32, kInt32, kInt32, kInt32};
inline constexpr ValueDefinition kSlowDown[] = {kInt32, kInt32, kInt32, kInt32, kInt32, kInt32};
inline constexpr ValueDefinition kCodePoint[] = {kInt32, kInt32};  // position, code
// Position, type, platform length, attributes A and B, the extension flag, attributes C to I, hours,
// minutes, seconds, name.
inline constexpr ValueDefinition kStation[] = {kInt32, kUint8, kInt32, kUint8, kUint8, kUint8,
                                          kInt16, kInt16, kUint8, kInt16, kInt16, kInt16,
                                          kUint8, kInt32, kInt32, kInt32, kText};

}  // namespace train_run_values

inline constexpr EntryDefinition kBrakedMassEntry{
    "percentuale massa frenata", {"massa", "frenata"}, train_run_values::kOne32};
inline constexpr EntryDefinition kCoachesEntry{"numero vetture", {"vetture"}, train_run_values::kOne32};
inline constexpr EntryDefinition kSpeedLimitEntry{"velocita", {"velocit"}, train_run_values::kProfile};
inline constexpr EntryDefinition kAdhesionEntry{"aderenza", {"aderenza"}, train_run_values::kProfile};
inline constexpr EntryDefinition kClockEntry{"orologio", {"orologio"}, train_run_values::kClock};
inline constexpr EntryDefinition kSandEntry{"sabbia", {"sabbia"}, train_run_values::kOne16};
inline constexpr EntryDefinition kSignalEntry{"segnale", {"segnale"}, train_run_values::kSignal};
inline constexpr EntryDefinition kSlowDownEntry{
    "rallentamento", {"rallentamento"}, train_run_values::kSlowDown};
inline constexpr EntryDefinition kCodePointEntry{
    "abbattimento", {"abbattimento"}, train_run_values::kCodePoint};
inline constexpr EntryDefinition kStationEntry{"stazione", {"stazione"}, train_run_values::kStation};

// Every entry, in the order the reader hands a key field to them.
inline constexpr const EntryDefinition* kTrainRunEntries[] = {
    &kBrakedMassEntry, &kCoachesEntry, &kSpeedLimitEntry, &kAdhesionEntry,  &kClockEntry,
    &kSandEntry,       &kSignalEntry,  &kSlowDownEntry,   &kCodePointEntry, &kStationEntry,
};

}  // namespace pack
