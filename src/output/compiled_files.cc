#include "output/compiled_files.h"

#include <bit>
#include <cassert>
#include <span>
#include <stdexcept>

#include "compiler/record_fields.h"
#include "formats/compiled_format.h"
#include "formats/file_names.h"
#include "output/file_writer.h"

namespace pack {
namespace {

// One field of a record, little-endian, in the width the field table gives it.
template <typename Record>
void encodeField(const RecordField<Record>& f, const Record& r, BinaryWriter& out) {
  std::uint64_t bits = static_cast<std::uint64_t>(f.get(r));
  switch (f.width) {
    case 1: out.u8(static_cast<std::uint8_t>(bits)); break;
    case 2: out.u16(static_cast<std::uint16_t>(bits)); break;
    case 4: out.i32(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits))); break;
    default: throw std::logic_error("a record field of an unknown width");
  }
}

void encodeCell(const TrackCell& cell, BinaryWriter& out) {
  [[maybe_unused]] std::uint64_t start = out.written();
  for (const RecordField<TrackCell>& f : kCellFields) encodeField(f, cell, out);
  assert(out.written() - start == kCellRecordSize);
}

void encodeRecord(const ScenarioRecord& row, BinaryWriter& out) {
  if (row.text.size() > kMaxTextBytes) throw std::length_error("table text longer than 65535 bytes");
  [[maybe_unused]] std::uint64_t start = out.written();
  std::span<const RecordField<ScenarioRecord>> fields = kRowFields;
  for (const auto& f : fields.first(kRowFieldsBeforeText)) encodeField(f, row, out);
  out.u16(static_cast<std::uint16_t>(row.text.size()));
  out.bytes(row.text);
  for (const auto& f : fields.subspan(kRowFieldsBeforeText)) encodeField(f, row, out);
  assert(out.written() - start == kTableRecordFixedSize + row.text.size());
}

// One element straight into the writer's buffer: tag, then the value (nothing for an empty element).
std::uint8_t* encodePlanElement(const PlanElement& e, std::uint8_t* at) {
  at = BinaryWriter::store<2>(at, static_cast<std::uint16_t>(e.tag));
  switch (e.tag) {
    case PlanTag::kEmpty: break;
    case PlanTag::kInt16: at = BinaryWriter::store<2>(at, static_cast<std::uint16_t>(static_cast<std::int16_t>(e.value))); break;
    case PlanTag::kDouble: at = BinaryWriter::store<8>(at, std::bit_cast<std::uint64_t>(e.value)); break;
  }
  return at;
}

// A column walks the whole plan, computing each point as it is written. The elements go straight into
// the writer's buffer a batch at a time, so that the writes overlap the computing of the next point.
void encodePlanColumn(const TrackPlan& plan, PlanElement PlanPoint::*column, BinaryWriter& out) {
  constexpr std::size_t kBatch = 4096 * kPlanDoubleSize;
  static_assert(kBatch <= BinaryWriter::kCapacity);
  std::uint8_t* at = out.reserve(kBatch);
  std::uint8_t* end = at + kBatch;
  plan.forEachPoint([&](const PlanPoint& p) {
    if (static_cast<std::size_t>(end - at) < kPlanDoubleSize) {
      out.commit(at);
      at = out.reserve(kBatch);
      end = at + kBatch;
    }
    at = encodePlanElement(p.*column, at);
  });
  out.commit(at);
}

}  // namespace

void encodeTrackCells(const Model& model, BinaryWriter& out) {
  for (const TrackCell& cell : model.trackCells) encodeCell(cell, out);
}

void encodeScenarioTable(const Model& model, BinaryWriter& out) {
  for (const ScenarioRecord& row : model.scenarioTable) encodeRecord(row, out);
}

void encodePlan(const Model& model, BinaryWriter& out) {
  encodePlanColumn(model.trackPlan, &PlanPoint::x, out);
  encodePlanColumn(model.trackPlan, &PlanPoint::y, out);
}

std::vector<std::string> writeCompiledFiles(const Model& model, FileSystem& fs, const std::string& folder) {
  ScenarioNames names{model.scenarioName, model.trainNumber};
  std::vector<std::pair<std::string, void (*)(const Model&, BinaryWriter&)>> files;
  if (model.buildPlan != 0) files.emplace_back(planFileName(names), encodePlan);
  files.emplace_back(scenarioTableFileName(names), encodeScenarioTable);
  files.emplace_back(trackCellFileName(names), encodeTrackCells);

  // The three files belong together: a failure half-way (a full disk, a file that cannot be replaced)
  // leaves the older scenario whole.
  std::vector<FileInSet> set;
  std::vector<std::string> written;
  for (const auto& file : files) {
    auto encode = file.second;
    set.push_back({fs.join(folder, file.first), [&model, encode](BinaryWriter& out) { encode(model, out); }});
    written.push_back(file.first);
  }
  writeFileSet(fs, set);
  return written;
}

CompileReport compileAndWrite(FileSystem& fs, const CompileRequest& request, const std::string& outputFolder,
                              Model& model) {
  CompileReport report = compileScenario(fs, request, model);
  if (report.fatal == 0) report.written = writeCompiledFiles(model, fs, outputFolder);
  return report;
}

}  // namespace pack
