#include "output/compiled_decoders.h"

#include <cstdint>
#include <span>
#include <string>

#include "compiler/record_fields.h"
#include "formats/compiled_format.h"

namespace pack {
namespace {

template <typename Record>
void readField(ByteReader& in, const RecordField<Record>& f, Record& r) {
  std::uint64_t bits = in.little(f.width, f.name.data());  // the names are string literals, NUL-ended
  std::uint64_t sign = std::uint64_t{1} << (8 * f.width - 1);
  // Sign-extended for a signed field: the low bytes of a two's complement value.
  const bool negative = f.isSigned && (bits & sign) != 0;
  std::int64_t v = negative ? static_cast<std::int64_t>(bits) - static_cast<std::int64_t>(sign << 1)
                            : static_cast<std::int64_t>(bits);
  f.set(r, v);
}

TrackCell readCell(ByteReader& in) {
  TrackCell c;
  for (const RecordField<TrackCell>& f : kCellFields) readField(in, f, c);
  return c;
}

ScenarioRecord readRecord(ByteReader& in) {
  ScenarioRecord r;
  std::span<const RecordField<ScenarioRecord>> fields = kRowFields;
  for (const auto& f : fields.first(kRowFieldsBeforeText)) readField(in, f, r);
  r.text = in.text(in.u16("text length"), "text");
  for (const auto& f : fields.subspan(kRowFieldsBeforeText)) readField(in, f, r);
  return r;
}

PlanElement readPlanElement(ByteReader& in) {
  std::size_t at = in.offset();
  switch (in.u16("element tag")) {
    case static_cast<std::uint16_t>(PlanTag::kEmpty): return {};
    case static_cast<std::uint16_t>(PlanTag::kInt16): return PlanElement::integer(in.i16("integer element"));
    case static_cast<std::uint16_t>(PlanTag::kDouble): return PlanElement::real(in.f64("real element"));
    default: throw DecodeError(at, "unknown element tag (expected 0, 2 or 5)");
  }
}

}  // namespace

std::vector<TrackCell> decodeTrackCells(std::string_view bytes) {
  if (bytes.size() % kCellRecordSize != 0) {
    throw DecodeError(bytes.size() - bytes.size() % kCellRecordSize,
                      "last cell record is cut short (" + std::to_string(bytes.size() % kCellRecordSize) +
                          " of " + std::to_string(kCellRecordSize) + " bytes)");
  }
  ByteReader in(bytes);
  std::vector<TrackCell> cells;
  cells.reserve(bytes.size() / kCellRecordSize);
  while (!in.atEnd()) cells.push_back(readCell(in));
  return cells;
}

std::array<ScenarioRecord, kTableRows> decodeScenarioTable(std::string_view bytes) {
  ByteReader in(bytes);
  std::array<ScenarioRecord, kTableRows> table;
  for (ScenarioRecord& row : table) row = readRecord(in);
  if (!in.atEnd()) throw DecodeError(in.offset(), "bytes after the last of the 87 rows");
  return table;
}

std::vector<PlanPoint> decodePlan(std::string_view bytes) {
  ByteReader in(bytes);
  std::vector<PlanElement> elements;
  while (!in.atEnd()) elements.push_back(readPlanElement(in));
  if (elements.size() % 2 != 0) throw DecodeError(bytes.size(), "odd number of elements: the columns differ");
  std::size_t metres = elements.size() / 2;
  std::vector<PlanPoint> plan(metres);
  for (std::size_t m = 0; m < metres; ++m) plan[m] = {elements[m], elements[metres + m]};
  return plan;
}

std::size_t forEachPlanPoint(std::string_view bytes,
                             const std::function<void(std::size_t metre, const PlanPoint& point)>& visit) {
  // Elements differ in size, so the second column is found by counting; the offset of every 1024th
  // element is kept so that it need not be counted twice.
  constexpr std::size_t kMarkEvery = 1024;
  std::vector<std::size_t> marks;
  ByteReader counter(bytes);
  std::size_t elements = 0;
  for (; !counter.atEnd(); ++elements) {
    if (elements % kMarkEvery == 0) marks.push_back(counter.offset());
    readPlanElement(counter);
  }
  if (elements % 2 != 0) throw DecodeError(bytes.size(), "odd number of elements: the columns differ");
  std::size_t metres = elements / 2;
  ByteReader x(bytes);
  ByteReader y(metres == 0 ? std::string_view{} : bytes.substr(marks[metres / kMarkEvery]));
  for (std::size_t m = 0; m < metres % kMarkEvery; ++m) readPlanElement(y);
  for (std::size_t m = 0; m < metres; ++m) {
    PlanPoint p;
    p.x = readPlanElement(x);
    p.y = readPlanElement(y);
    visit(m, p);
  }
  return metres;
}

}  // namespace pack
