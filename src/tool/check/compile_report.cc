#include "tool/check/compile_report.h"

#include <algorithm>
#include <optional>

#include "compiler/cell_codec.h"
#include "compiler/error_codes.h"
#include "compiler/source_reader.h"
#include "formats/file_names.h"
#include "output/compiled_files.h"
#include "tool/check/placement_log.h"
#include "tool/describe/json_text.h"
#include "tool/describe/timetable_findings.h"

namespace pack {
namespace {

std::string_view featureName(CellKind kind) {
  const codec::KindInfo* info = codec::kindInfo(kind);
  return info == nullptr ? "a feature" : info->words;
}

bool isOccupiedCellError(std::int32_t code) {
  switch (code) {
    case kErrTextBoardOccupied:
    case kErrCodePointOccupied:
    case kErrSignalOccupied:
    case kErrWarningOccupied:
    case kErrSlowDownStartOccupied:
    case kErrSlowDownEndOccupied:
    case kErrApproachOccupied:
    case kErrSpeedBoardOccupied: return true;
    default: return false;
  }
}

std::string occupantText(const PlacementLog& provenance, const Model& model, const std::string& routePath,
                         const std::string& trainPath) {
  std::optional<std::int64_t> cell = provenance.refusedCell();
  if (!cell || *cell < 0 || *cell >= static_cast<std::int64_t>(model.trackCells.size())) return "";
  std::string text = "the cell at " + std::to_string(*cell * kCellLength) + " m holds ";
  const PlacementLog::Placement* p = provenance.at(*cell);
  const auto kind = static_cast<CellKind>(model.trackCells[static_cast<std::size_t>(*cell)].kind);
  if (p == nullptr || p->kind != kind) return text + std::string(featureName(kind));
  text += featureName(p->kind);
  if (!p->origin.known()) return text;
  return text + " of " + (p->origin.source == SourceKind::kRoute ? routePath : trainPath) + ":" +
         std::to_string(p->origin.line);
}

// The station refused for spacing is the last one read: its row holds its platform, the row before it
// the previous platform.
std::string spacingText(const Model& model, std::int32_t stationPosition) {
  constexpr std::int32_t kSpacing = codec::kStationSpacing;
  for (int r = 2; r < kFirstBoardRow; ++r) {
    const ScenarioRecord& row = model.scenarioTable[static_cast<std::size_t>(r)];
    const ScenarioRecord& previous = model.scenarioTable[static_cast<std::size_t>(r - 1)];
    if (row == ScenarioRecord{} || row.numberC != stationPosition) continue;
    std::int64_t firstStart = std::int64_t{previous.numberB} + kSpacing;
    if (row.numberA >= firstStart) continue;
    std::int64_t shift = firstStart - row.numberA;
    std::int64_t position = stationPosition + (shift + kCellLength - 1) / kCellLength * kCellLength;
    return "the previous platform ends at " + std::to_string(previous.numberB) + " m, so this one may begin at " +
           std::to_string(firstStart) + " m at the earliest; it begins at " + std::to_string(row.numberA) +
           " m (a station position of " + std::to_string(position) + " m or more would do)";
  }
  return "";
}

// Error 15 refuses a position at either end of the track model: which end, and what fits there.
std::string trackEndsText(const Model& model, std::int32_t position) {
  if (model.cellCount <= 0) return "";
  if (position < 0) return "it lies before the start of the line at 0 m; move it to 0 m or later";
  const std::int32_t marksReach = codec::kSignalMarkReach * kCellLength;
  const std::int32_t firstSignal = marksReach - kCellLength;
  if (position < firstSignal) {
    return "a signal stands at " + std::to_string(firstSignal) + " m or later, since its approach marks reach " +
           std::to_string(marksReach) + " m back and must stay on the track; move it to " +
           std::to_string(firstSignal) + " m or later";
  }
  const std::int64_t end = std::int64_t{model.cellCount} * kCellLength;
  return "the track model ends at " + std::to_string(end) + " m (the route length plus " +
         std::to_string(kTrackExtension) + " m), and a feature needs " + std::to_string(kFeatureMargin) +
         " m of it beyond its position, a station " + std::to_string(kStationMargin) +
         " m and a slow-down its whole length; move it back or lengthen the route";
}

std::string where(const RecordedError& e) {
  if (e.source.empty()) return "";
  std::string text = e.source;
  if (e.line > 0) {
    text += ':';
    text += std::to_string(e.line);
  }
  return text + ": ";
}

}  // namespace

namespace {

// Adds to the report and the warnings what the provenance of the cells explains.
void explain(CompileReport& report, const Model& model, const PlacementLog& provenance, FileSystem& fs,
             const CompileRequest& request, std::vector<LintWarning>& warnings) {
  RecordedError& e = report.error;
  ScenarioNames names{request.scenarioName, request.trainNumber};
  const std::string routePath = fs.join(request.sourceFolder, routeSourceName(names));
  const std::string trainPath = fs.join(request.sourceFolder, trainRunSourceName(names));
  if (isOccupiedCellError(e.code) && model.hasCells()) {
    e.detail = occupantText(provenance, model, routePath, trainPath);
  } else if (e.code == kErrStationSpacing) {
    e.detail = spacingText(model, e.position);
  } else if (e.code == kErrBeyondTrack) {
    e.detail = trackEndsText(model, e.position);
  }
  auto path = [&](SourceKind s) { return s == SourceKind::kRoute ? routePath : trainPath; };
  for (const PlacementLog::Overwrite& o : provenance.overwrites()) {
    std::string cells;
    for (std::int64_t c : o.cells) cells += (cells.empty() ? "" : ", ") + std::to_string(c * kCellLength);
    std::string earlier = path(o.earlier.source) + ":" + std::to_string(o.earlier.line);
    // Moving one entry by as many cells as its marks overlap the other's clears them all.
    const auto [low, high] = std::minmax_element(o.cells.begin(), o.cells.end());
    std::string distance = o.cells.empty() ? "0" : std::to_string((*high - *low + 1) * kCellLength);
    warnings.push_back({path(o.later.source), o.later.line,
                        findingMessage(FindingId::kApproachMarksReplaced, {earlier, cells, distance}), 0, {},
                        FindingId::kApproachMarksReplaced});
  }
  // Whether the timetable can be driven, once the scenario compiled: each finding at the later station's
  // line.
  if (e.code != 0 || report.fatal != 0 || !model.hasCells()) return;
  for (TimetableFinding& f : timetableFindings(model)) {
    const PlacementLog::Origin at = provenance.rowAt(f.toRow);
    warnings.push_back({at.known() ? path(at.source) : trainPath, at.line, std::move(f.message), 0, {}, f.id});
  }
}

}  // namespace

CompileReport compileExplainedInMemory(FileSystem& fs, const CompileRequest& request, Model& model,
                                       std::vector<LintWarning>& warnings) {
  PlacementLog provenance;
  model.placementObserver = &provenance;
  CompileReport report = compileScenario(fs, request, model);
  model.placementObserver = nullptr;
  explain(report, model, provenance, fs, request, warnings);
  return report;
}

CompileReport compileExplained(FileSystem& fs, const CompileRequest& request, const std::string& outputFolder,
                               std::vector<LintWarning>& warnings) {
  Model model;
  CompileReport report = compileExplainedInMemory(fs, request, model, warnings);
  if (report.fatal == 0) report.written = writeCompiledFiles(model, fs, outputFolder);
  return report;
}

void explainReadingStop(RecordedError& error, const std::vector<LintWarning>& warnings) {
  // Error 2 names the route source only: the lint knows the definition and its line.
  if (error.code == kErrKilometrePost && error.detail.empty()) {
    auto offGrid = std::find_if(warnings.begin(), warnings.end(), [&](const LintWarning& w) {
      return w.id == FindingId::kKilometrePostOffGrid && w.file == error.source;
    });
    if (offGrid == warnings.end()) return;
    error.line = offGrid->line;
    error.detail = offGrid->readingStop;
    return;
  }
  if (error.code != kErrRunTime || !error.detail.empty()) return;
  for (const LintWarning& w : warnings) {
    if (w.id == FindingId::kKilometrePostOffGrid) continue;  // error 2's, not a reading failure
    if (!w.readingStop.empty() && (error.source.empty() || w.file == error.source)) {
      error.detail = w.readingStop;
      return;
    }
  }
  // What the lint does not read (a text the compiled table cannot hold): the reader's own words.
  if (!error.failure.empty()) error.detail = "the reading stopped at this entry: " + error.failure;
}

void takeOutReadingStop(const RecordedError& error, std::vector<LintWarning>& warnings) {
  if ((error.code != kErrRunTime && error.code != kErrKilometrePost) || error.detail.empty()) return;
  auto explained = std::find_if(warnings.begin(), warnings.end(), [&](const LintWarning& w) {
    return w.readingStop == error.detail && (error.source.empty() || w.file == error.source);
  });
  if (explained != warnings.end()) warnings.erase(explained);
}

namespace {

std::string errorHead(const RecordedError& e) {
  const ErrorInfo* info = findError(e.code);
  std::string text = where(e);
  text += "error ";
  text += std::to_string(e.code);
  if (info != nullptr && info->hasPosition) {
    text += " at ";
    text += std::to_string(e.position);
    text += " m";
  }
  return text;
}

std::string errorLine(const RecordedError& e) { return errorHead(e) + ": " + std::string(errorMessage(e.code)); }

}  // namespace

std::string recordedErrorText(const RecordedError& e) {
  if (e.detail.empty()) return errorLine(e);
  // The causes a reading failure can have, or the two ends a position can miss, say less than the one
  // found, and their advice may not apply to it: the one found is said alone, with its own advice.
  if (e.code == kErrRunTime || e.code == kErrBeyondTrack || e.code == kErrKilometrePost) {
    return errorHead(e) + ": " + e.detail;
  }
  return errorLine(e) + "; " + e.detail;
}

// A code of its own says what stopped the compile; the reader's code stops it when no track model was made.
std::string fatalStopText(std::int32_t fatal) {
  const ErrorInfo* info = findError(fatal);
  std::string text = "error " + std::to_string(fatal) + ": ";
  text += info != nullptr && info->fatal ? std::string(info->message) : "no track model was made from the sources";
  return text + "; the compile stopped and wrote nothing";
}

nlohmann::json firstErrorJson(const CompileReport& r) {
  const RecordedError& e = r.error;
  const bool hasFile = !e.source.empty();
  return {{"errorCode", e.code},
          {"errorPosition", e.position},
          {"file", orNull(hasFile, e.source)},
          {"line", orNull(hasFile && e.line > 0, e.line)},
          {"message", orNull(e.code != 0, errorLine(e))},
          {"detail", orNull(!e.detail.empty(), e.detail)},
          {"fatal", orNull(r.fatal != 0, r.fatal)},
          {"fatalMessage", orNull(r.fatal != 0, fatalStopText(r.fatal))}};
}

}  // namespace pack
