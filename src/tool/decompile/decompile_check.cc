#include "tool/decompile/decompile_check.h"

#include <cstring>
#include <exception>
#include <span>
#include <type_traits>

#include "compiler/record_fields.h"
#include "formats/file_names.h"
#include "output/compiled_decoders.h"
#include "output/compiled_files.h"
#include "platform/fake_platform.h"

namespace pack {
namespace {

constexpr std::size_t kMostReported = 20;

class Differences {
 public:
  void add(const std::string& where, const std::string& text) {
    ++count_;
    if (list_.size() < kMostReported) list_.push_back({where, text});
  }

  std::vector<DecompileMessage> take() {
    if (count_ > list_.size()) {
      list_.push_back({"recompile", std::to_string(count_ - list_.size()) + " more differences not shown"});
    }
    return std::move(list_);
  }

 private:
  std::vector<DecompileMessage> list_;
  std::size_t count_ = 0;
};

template <typename Record>
void compareRecord(Differences& out, const std::string& where, const Record& want, const Record& got,
                   std::type_identity_t<std::span<const RecordField<Record>>> fields) {
  for (const RecordField<Record>& f : fields) {
    std::int64_t a = f.get(want);
    std::int64_t b = f.get(got);
    if (a != b) {
      out.add(where, std::string(f.name) + " " + std::to_string(a) + " cannot be explained: the written sources give " +
                         std::to_string(b));
      return;  // one message a record
    }
  }
}

// Plan elements are compared bit for bit: the plan is only the same when every double is.
bool sameElement(const PlanElement& a, const PlanElement& b) {
  return a.tag == b.tag && std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
}

void compareAll(Differences& out, const CompiledScenario& want, const CompiledScenario& got) {
  if (want.cells.size() != got.cells.size()) {
    out.add("track cell file", std::to_string(want.cells.size()) + " cells; the written sources give " +
                                   std::to_string(got.cells.size()));
  }
  for (std::size_t c = 0; c < std::min(want.cells.size(), got.cells.size()); ++c) {
    compareRecord(out, cellName(static_cast<std::int64_t>(c)), want.cells[c], got.cells[c], kCellFields);
  }
  for (std::size_t r = 0; r < want.table.size(); ++r) {
    compareRecord(out, rowName(static_cast<std::int64_t>(r)), want.table[r], got.table[r], kRowFields);
    if (want.table[r].text != got.table[r].text) out.add(rowName(static_cast<std::int64_t>(r)), "text cannot be explained: the written sources give another");
  }
  if (!want.plan) return;
  if (!got.plan || got.plan->size() != want.plan->size()) {
    out.add("plan file", "the written sources give a plan of another length");
    return;
  }
  for (std::size_t m = 0; m < want.plan->size(); ++m) {
    const PlanPoint& a = (*want.plan)[m];
    const PlanPoint& b = (*got.plan)[m];
    if (!sameElement(a.x, b.x) || !sameElement(a.y, b.y)) {
      out.add("plan metre " + std::to_string(m), "point cannot be explained by the curves written");
      return;  // every later point follows from this one
    }
  }
}

}  // namespace

std::vector<DecompileMessage> recompileDifferences(const CompiledScenario& in, const std::string& scenarioName,
                                                   const std::string& trainNumber, const std::string& routeSource,
                                                   const std::string& trainRunSource) {
  Differences out;
  FakePlatform platform;
  CompileRequest request{scenarioName, trainNumber, platform.folder, in.plan.has_value(), false};
  ScenarioNames names{request.scenarioName, request.trainNumber};
  auto path = [&](const std::string& name) { return platform.join(platform.folder, name); };
  platform.fs.files[path(routeSourceName(names))] = routeSource;
  platform.fs.files[path(trainRunSourceName(names))] = trainRunSource;
  try {
    Model model;
    CompileReport report = compileAndWrite(platform, request, platform.folder, model);
    if (report.fatal != 0) {
      out.add("recompile", "the written sources stop the compile with \" Errore n. " + std::to_string(report.fatal) + "\"");
      return out.take();
    }
    CompiledScenario got;
    got.cells = decodeTrackCells(platform.fs.files.at(path(trackCellFileName(names))));
    got.table = decodeScenarioTable(platform.fs.files.at(path(scenarioTableFileName(names))));
    if (in.plan) got.plan = decodePlan(platform.fs.files.at(path(planFileName(names))));
    compareAll(out, in, got);
  } catch (const std::exception& e) {
    out.add("recompile", std::string("the written sources cannot be compiled: ") + e.what());
  }
  return out.take();
}

}  // namespace pack
