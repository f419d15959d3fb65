// The fields of the two compiled records, in file order: name, byte offset, width, signedness and what
// the field holds. The writer, the decoders, the inspector's JSON and decompile's comparison all walk
// these tables, so the record layout is written once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "compiler/model.h"
#include "formats/compiled_format.h"
#include "formats/route_format.h"
#include "formats/train_run_format.h"

namespace pack {

template <typename Record>
struct RecordField {
  std::string_view name;
  std::size_t offset;  // bytes from the record's start; in a table record, after its text
  std::size_t width;   // bytes, little-endian
  bool isSigned;
  std::string_view meaning;
  std::int64_t (*get)(const Record&);
  void (*set)(Record&, std::int64_t);  // keeps the low `width` bytes
};

namespace record_fields_detail {
template <typename Record, auto Member>
constexpr RecordField<Record> field(std::string_view name, std::size_t offset, std::string_view meaning) {
  using T = std::remove_cvref_t<decltype(std::declval<Record&>().*Member)>;
  return {name, offset, sizeof(T), std::is_signed_v<T>, meaning,
          [](const Record& r) -> std::int64_t { return r.*Member; },
          [](Record& r, std::int64_t v) { r.*Member = static_cast<T>(v); }};
}
}  // namespace record_fields_detail

// A track cell, one record per 50 m.
inline constexpr RecordField<TrackCell> kCellFields[] = {
    record_fields_detail::field<TrackCell, &TrackCell::kind>("kind", 0, "what stands in the cell (the kinds table)"),
    record_fields_detail::field<TrackCell, &TrackCell::value1>("value1", 1, "first value of the feature"),
    record_fields_detail::field<TrackCell, &TrackCell::value2>("value2", 3, "second value of the feature"),
    record_fields_detail::field<TrackCell, &TrackCell::value3>("value3", 5, "third value of the feature"),
    record_fields_detail::field<TrackCell, &TrackCell::value4>("value4", 7, "fourth value of the feature"),
    record_fields_detail::field<TrackCell, &TrackCell::signalTime>("signalTime", 9, "a protection signal's time"),
    record_fields_detail::field<TrackCell, &TrackCell::approachMark>("approachMark", 10,
                                                                      "approach to a signal or stop point"),
    record_fields_detail::field<TrackCell, &TrackCell::mountainKind>("mountainKind", 11, "mountain scenery type"),
    record_fields_detail::field<TrackCell, &TrackCell::speedLimit>("speedLimit", 12, "speed limit in 5 km/h steps"),
    record_fields_detail::field<TrackCell, &TrackCell::gradient>("gradient", 13, "gradient per mille + 100"),
    record_fields_detail::field<TrackCell, &TrackCell::adhesion>("adhesion", 14, "adhesion in percent"),
};

// A scenario table row. Its text (a 16-bit byte count, then the bytes) lies between `option` and
// `param1`; the offsets after it count as if the text were empty.
inline constexpr std::size_t kRowTextOffset = 14;
inline constexpr std::size_t kRowFieldsBeforeText = 5;
inline constexpr RecordField<ScenarioRecord> kRowFields[] = {
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::kind>("kind", 0, "station type, or 0"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::numberA>("numberA", 1,
                                                                          "platform start, post position, ..."),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::numberB>("numberB", 5, "platform end, post value, ..."),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::numberC>("numberC", 9, "station position, flag, ..."),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::option>("option", 13, "station attribute A"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::param1>("param1", 16, "attribute C, reserved marker, sand"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::param2>("param2", 18, "attribute D"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::param3>("param3", 20, "attribute F, clock hours"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::param4>("param4", 22, "attribute G, clock minutes"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::param5>("param5", 24, "attribute H, clock seconds"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::flag1>("flag1", 26, "attribute E"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::flag2>("flag2", 27, "attribute I"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::flag3>("flag3", 28, "platform extension"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::flag4>("flag4", 29, "attribute B"),
    record_fields_detail::field<ScenarioRecord, &ScenarioRecord::numberD>("numberD", 30, "station time, scenario code"),
};

// Each field begins where the one before it ends, and the widths add up to the record sizes.
template <typename Record, std::size_t N>
consteval bool fieldsFollowEachOther(const RecordField<Record> (&fields)[N], std::size_t gapAt, std::size_t gap) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < N; ++i) {
    if (i == gapAt) at += gap;
    if (fields[i].offset != at) return false;
    at += fields[i].width;
  }
  return true;
}
static_assert(fieldsFollowEachOther(kCellFields, 0, 0));
static_assert(kCellFields[10].offset + kCellFields[10].width == kCellRecordSize);
static_assert(fieldsFollowEachOther(kRowFields, kRowFieldsBeforeText, 2));
static_assert(kRowFields[kRowFieldsBeforeText - 1].offset + 1 == kRowTextOffset);
static_assert(kRowFields[14].offset + kRowFields[14].width == kTableRecordFixedSize);

// What a table row's fields hold, by the row's role, named as the reference (formats) names the value each
// keeps, so that a reader of inspect's JSON meets the words of the sources. A field a role leaves out
// keeps its name in kRowFields; the values stay as stored (a station's time in seconds of the day).
struct RowFieldName {
  std::string_view field;  // a name in kRowFields
  std::string_view name;
};
namespace row_field_names {
inline constexpr RowFieldName kStation[] = {
    {"kind", train_run_values::kStation[1].name},  {"numberA", "platform start"},
    {"numberB", "platform end"},                   {"numberC", train_run_values::kStation[0].name},
    {"numberD", "time in seconds of the day"},     {"option", train_run_values::kStation[3].name},
    {"flag4", train_run_values::kStation[4].name}, {"flag3", train_run_values::kStation[5].name},
    {"param1", train_run_values::kStation[6].name}, {"param2", train_run_values::kStation[7].name},
    {"flag1", train_run_values::kStation[8].name}, {"param3", train_run_values::kStation[9].name},
    {"param4", train_run_values::kStation[10].name}, {"param5", train_run_values::kStation[11].name},
    {"flag2", train_run_values::kStation[12].name},
};
inline constexpr RowFieldName kKilometrePost[] = {
    {"numberA", route_values::kKilometrePost[0].name},
    {"numberB", route_values::kKilometrePost[1].name},
    {"numberC", route_values::kKilometrePost[2].name},
};
inline constexpr RowFieldName kTrain[] = {
    {"numberA", train_run_values::kBrakedMass[0].name},
    {"numberB", route_values::kLength[0].name},
    {"numberC", train_run_values::kCoaches[0].name}};
inline constexpr RowFieldName kScenario[] = {
    {"numberA", "background setting uno"}, {"numberB", "background setting tre"},
    {"numberC", "background setting due"}, {"param1", "identification fixed value"},
    {"numberD", "identification code"}};
inline constexpr RowFieldName kRun[] = {
    {"numberA", route_values::kRepetition[0].name}, {"numberB", route_values::kRepetition[1].name},
    {"numberC", "repetition codes"},              {"param1", train_run_values::kSand[0].name},
    {"param3", "clock hours"},                    {"param4", "clock minutes"},
    {"param5", "clock seconds"}};
}  // namespace row_field_names

}  // namespace pack
