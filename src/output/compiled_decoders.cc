#include "output/compiled_decoders.h"

#include <cstdint>

#include "formats/compiled_format.h"

namespace pack {
namespace {

TrackCell readCell(ByteReader& in) {
  TrackCell c;
  c.kind = in.u8("kind");
  c.value1 = in.i16("value1");
  c.value2 = in.i16("value2");
  c.value3 = in.i16("value3");
  c.value4 = in.i16("value4");
  c.signalTime = in.u8("signalTime");
  c.approachMark = in.u8("approachMark");
  c.mountainKind = in.u8("mountainKind");
  c.speedLimit = in.u8("speedLimit");
  c.gradient = in.u8("gradient");
  c.adhesion = in.u8("adhesion");
  return c;
}

ScenarioRecord readRecord(ByteReader& in) {
  ScenarioRecord r;
  r.kind = in.u8("kind");
  r.numberA = in.i32("numberA");
  r.numberB = in.i32("numberB");
  r.numberC = in.i32("numberC");
  r.option = in.u8("option");
  r.text = in.text(in.u16("text length"), "text");
  r.param1 = in.i16("param1");
  r.param2 = in.i16("param2");
  r.param3 = in.i16("param3");
  r.param4 = in.i16("param4");
  r.param5 = in.i16("param5");
  r.flag1 = in.u8("flag1");
  r.flag2 = in.u8("flag2");
  r.flag3 = in.u8("flag3");
  r.flag4 = in.u8("flag4");
  r.numberD = in.i32("numberD");
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
