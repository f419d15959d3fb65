#include "tool/describe/inspect.h"

#include "tool/describe/json_text.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <iomanip>
#include <limits>
#include <numbers>
#include <optional>
#include <sstream>

#include "compiler/cell_codec.h"
#include "compiler/record_fields.h"
#include "compiler/scenario_codes.h"
#include "formats/cp1252.h"
#include "output/compiled_decoders.h"

namespace pack {
namespace {

using namespace codec;

constexpr std::int16_t kCellMarker = kReservedCellValue;  // cell 1's value1 after every compile
constexpr std::int16_t kTableMarker = kReservedTableValue;  // row 85's param1 after every compile

bool holdsFeature(const TrackCell& c) {
  return c.kind != kFree || c.value1 != 0 || c.value2 != 0 || c.value3 != 0 || c.value4 != 0 ||
         c.signalTime != 0 || c.approachMark != 0 || c.mountainKind != 0;
}

bool profileChanges(const std::vector<TrackCell>& cells, std::size_t i) {
  if (i == 0) return true;
  const TrackCell& a = cells[i - 1];
  const TrackCell& b = cells[i];
  return a.speedLimit != b.speedLimit || a.gradient != b.gradient || a.adhesion != b.adhesion;
}

bool listed(const std::vector<TrackCell>& cells, std::size_t i, bool all) {
  return all || holdsFeature(cells[i]) || profileChanges(cells, i);
}

std::string cellWhere(std::size_t i) { return "cell " + std::to_string(i) + " (" + std::to_string(cellMetre(i)) + " m)"; }

// Cell 1 carries the compiler's identification in place of a feature's values.
std::string cellText(const TrackCell& c, std::size_t i, const ScenarioTable* table) {
  std::string text;
  if (i == kIdentificationCell && c.value1 == kCellMarker) {
    text = codec::identificationText(kCellMarker, c.value2);
    if (c.kind != kFree) text += "; " + std::string(kindName(c.kind));
  } else {
    text = cellFeatureText(c, i, table);
  }
  if (c.mountainKind != 0) text += (text.empty() ? "" : "; ") + std::string("mountain type ") + std::to_string(c.mountainKind);
  std::string mark = approachMarkText(c);
  if (!mark.empty()) text += (text.empty() ? "" : "; ") + mark;
  return text.empty() ? "-" : text;
}

std::string profileText(const TrackCell& c) {
  int g = decodeGradient(c.gradient);
  std::string gradient = c.gradient == 0 ? "no gradient" : (g > 0 ? "+" : "") + std::to_string(g) + " per mille";
  return std::to_string(decodeSpeed(c.speedLimit)) + " km/h, " + gradient + ", adhesion " + std::to_string(decodeAdhesion(c.adhesion)) + " %";
}

// Route length as the cell count gives it back: the track is the route and 7000 m more, in 50-m cells.
std::string cellsHeader(const std::vector<TrackCell>& cells) {
  std::size_t last = cells.size() - 1;
  return std::to_string(cells.size()) + " cells (0 to " + std::to_string(last) + "): track model about " +
         std::to_string(cellMetre(last)) + " m, the route about " + std::to_string(cellMetre(last) - kTrackExtension) +
         " m and " + std::to_string(kTrackExtension) + " m beyond its end";
}

// ---- Table rows by their role.

std::string stationText(int row, const ScenarioRecord& r) {
  std::ostringstream s;
  s << "station " << row << " \"" << cp1252ToUtf8(r.text) << "\": type " << int{r.kind}
    << (touchesCells(r.kind) ? "" : " (table only, no stop point)") << ", at " << r.numberC << " m, platform " << r.numberA
    << " to " << r.numberB << " m, " << (r.numberD == 0 ? std::string("no time") : "due " + clockText(r.numberD))
    << "; attributes A " << int{r.option} << ", B " << int{r.flag4} << ", platform extension " << int{r.flag3}
    << ", C " << r.param1 << ", D " << r.param2 << ", E " << int{r.flag1} << ", F " << r.param3 << ", G "
    << r.param4 << ", H " << r.param5 << ", I " << int{r.flag2};
  return s.str();
}

std::string kilometreRowText(const ScenarioRecord& r) {
  if (r.numberA == 0 && r.numberB == 0 && r.numberC == 0) return "kilometre-post definition: unused";
  std::string text = "kilometre-post definition: at " + std::to_string(r.numberA) + " m the line's count is " +
                     kilometrePostText(r.numberB);
  if (r.numberC == 1) {
    text += " (flag 1: " + std::to_string(kKilometreFlagRaise) + " m added when the definitions were ordered)";
  }
  else if (r.numberC != 0) text += " (flag " + std::to_string(r.numberC) + ")";
  return text;
}

std::string trainRowText(const ScenarioRecord& r) {
  return "train and route: braked mass " + std::to_string(r.numberA) + " %, route length " +
         std::to_string(r.numberB) + " m, " + std::to_string(r.numberC) + " coaches";
}

std::string scenarioRowText(const ScenarioRecord& r) {
  return "scenario \"" + cp1252ToUtf8(r.text) + "\": background settings uno " + std::to_string(r.numberA) +
         ", due " + std::to_string(r.numberC) + ", tre " + std::to_string(r.numberB) + "; " +
         codec::identificationText(r.param1, r.numberD);
}

std::string runRowText(const ScenarioRecord& r) {
  std::string text = "run of train \"" + cp1252ToUtf8(r.text) + "\": signal repetition ";
  if (r.numberC == 0) text += "off";
  else text += "at " + std::to_string(r.numberA) + " m and " + std::to_string(r.numberB) + " m, " + std::to_string(r.numberC) + " codes";
  if (r.numberC == 0 && (r.numberA != 0 || r.numberB != 0)) text += " (" + std::to_string(r.numberA) + " m, " + std::to_string(r.numberB) + " m)";
  text += "; sand " + std::to_string(r.param1) + "; clock at the start " +
          clockText(std::int64_t{r.param3} * 3600 + std::int64_t{r.param4} * 60 + r.param5);
  return text;
}

// What a row holds, in words; empty for an empty row of the station and board area.
std::string rowText(const ScenarioTable& table, int row) {
  const ScenarioRecord& r = table[static_cast<std::size_t>(row)];
  switch (row) {
    case kRowKilometreTre:
    case kRowKilometreDue:
    case kRowKilometreUno: return kilometreRowText(r);
    case kRowTrain: return trainRowText(r);
    case kRowScenario: return scenarioRowText(r);
    case kRowRun: return runRowText(r);
    default: break;
  }
  if (row == 0) return r == ScenarioRecord{} ? "" : "row 0 is never filled, but holds values";
  switch (stationAreaRowRole(table, row)) {
    case RowRole::kEmpty: return "";
    case RowRole::kBoardText: return "text board text \"" + cp1252ToUtf8(r.text) + "\"";
    case RowRole::kStation: return stationText(row, r);
  }
  return "";
}

std::string_view rowRole(const ScenarioTable& table, int row) {
  switch (row) {
    case 0: return "unused";
    case kRowKilometreTre:
    case kRowKilometreDue:
    case kRowKilometreUno: return "kilometre post";
    case kRowTrain: return "train and route";
    case kRowScenario: return "scenario";
    case kRowRun: return "run";
    default: break;
  }
  switch (stationAreaRowRole(table, row)) {
    case RowRole::kEmpty: return "empty";
    case RowRole::kBoardText: return "board text";
    case RowRole::kStation: return "station";
  }
  return "";
}

std::int32_t expectedWeightedCode(const ScenarioTable& table) {
  Model model;
  model.scenarioTable = table;
  return codice_gara_st(model);
}

// ---- Plan.

bool hasPoint(const PlanPoint& p) { return p.x.tag != PlanTag::kEmpty && p.y.tag != PlanTag::kEmpty; }

// Appends the shortest text that reads back as the same double; JSON has no infinity or NaN.
void appendNumber(std::string& out, double v, bool fixed9) {
  if (!std::isfinite(v)) {
    out += "null";
    return;
  }
  char buffer[64];
  auto result = fixed9 ? std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 9)
                       : std::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, result.ptr);
}

// Output in large pieces: a million lines through the stream one value at a time is slow.
class ChunkedOut {
 public:
  explicit ChunkedOut(std::ostream& out) : out_(out) { buffer_.reserve(kChunk + 256); }
  ~ChunkedOut() { flush(); }
  std::string& text() { return buffer_; }
  void maybeFlush() {
    if (buffer_.size() >= kChunk) flush();
  }
  void flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kChunk = 1 << 16;
  std::ostream& out_;
  std::string buffer_;
};

// What a compile writes: integers (0, 0) and (0, 1) at metres 0 and 1, two finite reals at every metre
// up to the last two, which stay empty. `lastTwo` is known only once the metres have been counted.
std::optional<std::string> planPointProblem(std::size_t m, bool lastTwo, const PlanPoint& p) {
  if (m < 2) {
    double expectedY = static_cast<double>(m);
    if (p.x.tag != PlanTag::kInt16 || p.y.tag != PlanTag::kInt16 || p.x.value != 0 || p.y.value != expectedY) {
      return "the plan starts with the integers (0, 0) and (0, 1)";
    }
  } else if (lastTwo) {
    if (p.x.tag != PlanTag::kEmpty || p.y.tag != PlanTag::kEmpty) return "the last two metres of the plan stay empty";
  } else if (p.x.tag != PlanTag::kDouble || p.y.tag != PlanTag::kDouble) {
    return "every metre between the first two and the last two holds two real numbers";
  } else if (!std::isfinite(p.x.value) || !std::isfinite(p.y.value)) {
    return "a coordinate that is not a finite number";
  }
  return std::nullopt;
}

constexpr std::size_t kMaxProblemsKept = 50;

}  // namespace

CompiledFileKind compiledFileKind(std::string_view name) {
  if (name.ends_with("_linea.dat")) return CompiledFileKind::kPlan;
  if (name.ends_with(".dat")) return CompiledFileKind::kTrackCells;
  if (name.ends_with(".sim")) return CompiledFileKind::kScenarioTable;
  return CompiledFileKind::kUnknown;
}

std::string_view compiledFileKindName(CompiledFileKind kind) {
  switch (kind) {
    case CompiledFileKind::kTrackCells: return "track cell file";
    case CompiledFileKind::kScenarioTable: return "scenario table file";
    case CompiledFileKind::kPlan: return "plan file";
    case CompiledFileKind::kUnknown: break;
  }
  return "unknown file";
}

void forEachCellProblem(const std::vector<TrackCell>& cells, const std::function<void(SanityProblem)>& found) {
  auto add = [&](std::size_t i, std::string what) { found({cellWhere(i), std::move(what)}); };
  if (cells.size() < 2) {
    found({"file", "a compiled track has at least two cells"});
    return;
  }
  if (cells[kIdentificationCell].value1 != kCellMarker) {
    add(kIdentificationCell, "value1 is " + std::to_string(cells[kIdentificationCell].value1) + ", not the marker " +
                                 std::to_string(kCellMarker) + " every compile writes");
  }
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (!isKnownKind(c.kind)) add(i, "kind " + std::to_string(c.kind) + " is no feature kind");
    if (c.approachMark != 0 && !decodeApproachMark(c.approachMark)) add(i, "approach mark " + std::to_string(c.approachMark) + " is no mark of a signal or station");
    if (c.signalTime >= 1 && c.signalTime < kLowestSignalTime) {
      add(i, "signal time " + std::to_string(c.signalTime) + " (the compile stores times below " +
                 std::to_string(kLowestSignalTime) + " as " + std::to_string(kLowestSignalTime) + ")");
    }
    if (c.mountainKind > kMountainJoined) {
      add(i, "mountain type " + std::to_string(c.mountainKind) + " (types are 1 to " + std::to_string(kMountainJoined) + ")");
    }
    if (c.adhesion > 100) add(i, "adhesion " + std::to_string(c.adhesion) + " % (above 100 %)");
    if (c.kind == kSignal) {
      if (!decodeSignalKinds(c.value4)) add(i, "signal kinds value " + std::to_string(c.value4) + " does not pack kinds 0 to 2");
      for (int d = 0; d < 3; ++d) {
        if (!decodeSignalDigits(c, d)) add(i, "signal digits value" + std::to_string(d + 1) + " is not two decimal digits");
      }
    }
    if (c.kind == kSlowDownApproach && (c.value1 < 1 || c.value1 > kApproachSteps)) {
      add(i, "slow-down approach step " + std::to_string(c.value1) + " (steps are 1 to " + std::to_string(kApproachSteps) + ")");
    }
    if (c.kind == kStopPoint && (c.value1 < 1 || c.value1 >= kFirstBoardRow)) {
      add(i, "stop point of row " + std::to_string(c.value1) + " (stations are in rows 1 to " +
                 std::to_string(kFirstBoardRow - 1) + ")");
    }
    if (c.kind == kTextBoard && (c.value1 < 0 || c.value1 > kFirstBoardRow)) {
      add(i, "text board row " + std::to_string(c.value1) + " (board texts are in rows " + std::to_string(kFirstBoardRow) +
                 " downward)");
    }
  }
}

std::vector<SanityProblem> checkCells(const std::vector<TrackCell>& cells) {
  std::vector<SanityProblem> problems;
  forEachCellProblem(cells, [&](SanityProblem p) { problems.push_back(std::move(p)); });
  return problems;
}

std::vector<SanityProblem> checkTable(const ScenarioTable& table) {
  std::vector<SanityProblem> problems;
  auto add = [&](int row, std::string what) { problems.push_back({"row " + std::to_string(row), std::move(what)}); };
  if (!(table[0] == ScenarioRecord{})) add(0, "row 0 is never filled");
  const ScenarioRecord& scenario = table[kRowScenario];
  if (scenario.param1 != kTableMarker) {
    add(kRowScenario, "param1 is " + std::to_string(scenario.param1) + ", not the marker " + std::to_string(kTableMarker) +
                          " every compile writes");
  }
  std::int32_t code = expectedWeightedCode(table);
  if (scenario.numberD != code) {
    add(kRowScenario, "weighted scenario code " + std::to_string(scenario.numberD) + " does not belong to the names in rows 85 and 86 (" + std::to_string(code) + ")");
  }
  const ScenarioRecord& train = table[kRowTrain];
  if (train.numberB < 0 || train.numberB > kMaxRouteLength) {
    add(kRowTrain, "route length " + std::to_string(train.numberB) + " m (0 to " + std::to_string(kMaxRouteLength) + " m)");
  }
  for (int row = kRowKilometreTre; row <= kRowKilometreUno; ++row) {
    const ScenarioRecord& r = table[static_cast<std::size_t>(row)];
    if (r.numberA % kCellLength != 0 || r.numberB % kCellLength != 0) {
      add(row, "kilometre-post position and value are multiples of " + std::to_string(kCellLength) +
                   " (the compile records error 2)");
    }
  }
  const ScenarioRecord& run = table[kRowRun];
  if (run.numberC != 0 && run.numberC != 4 && run.numberC != 9) add(kRowRun, "signal repetition with " + std::to_string(run.numberC) + " codes (0, 4 or 9)");
  if (run.numberA % kCellLength != 0 || run.numberB % kCellLength != 0) {
    add(kRowRun, "signal repetition positions are multiples of " + std::to_string(kCellLength));
  }
  for (const Station& s : stations(table)) {
    if (s.position % kCellLength != 0) {
      add(s.row, "station position " + std::to_string(s.position) + " m is not a multiple of " + std::to_string(kCellLength));
    }
    if (s.platformStart > s.platformEnd) add(s.row, "platform starts after its end");
    if (s.time < 0) add(s.row, "negative time");
  }
  return problems;
}

nlohmann::json problemJson(const SanityProblem& p) { return {{"where", p.where}, {"what", p.what}}; }

nlohmann::json problemsJson(const std::vector<SanityProblem>& problems) {
  nlohmann::json list = nlohmann::json::array();
  for (const SanityProblem& p : problems) list.push_back(problemJson(p));
  return list;
}

void printCells(const std::vector<TrackCell>& cells, bool all, const ScenarioTable* table, std::ostream& out) {
  out << cellsHeader(cells) << "\n";
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (!listed(cells, i, all)) continue;
    const TrackCell& c = cells[i];
    out << "cell " << std::setw(5) << i << std::setw(9) << cellMetre(i) << " m  " << cellText(c, i, table) << "  |  "
        << profileText(c) << "\n";
  }
}

namespace {

nlohmann::json cellJson(const std::vector<TrackCell>& cells, std::size_t i, const ScenarioTable* table) {
  const TrackCell& c = cells[i];
  nlohmann::json cell = {{"cell", i},
                         {"metres", cellMetre(i)},
                         {"kindName", kindName(c.kind)},
                         {"meaning", cellText(c, i, table)},
                         {"speedKmh", decodeSpeed(c.speedLimit)},
                         {"gradientPerMille", decodeGradient(c.gradient)},
                         {"adhesionPercent", decodeAdhesion(c.adhesion)}};
  for (const RecordField<TrackCell>& f : kCellFields) cell[std::string(f.name)] = f.get(c);
  if (c.kind == kSignal) {
    if (std::optional<SignalCells> kinds = decodeSignalKinds(c.value4)) {
      cell["signal"] = {{"left", signalKindName(kinds->left)},
                        {"right", signalKindName(kinds->right)},
                        {"rapp", kinds->rapp},
                        {"placedAt", placedMetre(i)}};
    }
  }
  return cell;
}

// The members besides the list; the count of cells is the same number the text gives, the last index is
// one less.
nlohmann::json cellsHead(const std::vector<TrackCell>& cells) {
  return {{"file", "track cells"}, {"cellCount", cells.size()}, {"lastCell", cells.empty() ? 0 : cells.size() - 1}};
}

}  // namespace

nlohmann::json cellsJson(const std::vector<TrackCell>& cells, bool all, const ScenarioTable* table) {
  nlohmann::json list = nlohmann::json::array();
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (listed(cells, i, all)) list.push_back(cellJson(cells, i, table));
  }
  nlohmann::json j = cellsHead(cells);
  j["cells"] = std::move(list);
  return j;
}

namespace {

// Writes the members of an object one element of a list at a time, each indented as it stands in the
// object: the same bytes as the whole object's text (members in the order the text gives them).
class StreamedObject {
 public:
  // `head` is the object with each streamed list empty.
  StreamedObject(const nlohmann::json& head, std::ostream& out) : text_(jsonText(head)), chunks_(out) {}
  ~StreamedObject() {
    chunks_.text() += std::string_view(text_).substr(done_);
    chunks_.text() += '\n';
  }

  // Starts the list `name`, which must come after the lists started before.
  void list(std::string_view name) {
    closeList();
    const std::string empty = "\"" + std::string(name) + "\": []";
    const std::size_t at = text_.find(empty, done_);
    chunks_.text() += std::string_view(text_).substr(done_, at + empty.size() - 1 - done_);
    done_ = at + empty.size();
    open_ = true;
    first_ = true;
  }
  void element(const nlohmann::json& value) {
    std::string& t = chunks_.text();
    t += first_ ? "\n    " : ",\n    ";
    first_ = false;
    for (char c : jsonText(value)) {
      t += c;
      if (c == '\n') t += "    ";
    }
    chunks_.maybeFlush();
  }
  void closeList() {
    if (open_) chunks_.text() += first_ ? "]" : "\n  ]";
    open_ = false;
  }

 private:
  std::string text_;
  ChunkedOut chunks_;
  std::size_t done_ = 0;  // how much of text_ is written
  bool open_ = false;
  bool first_ = true;
};

}  // namespace

void writeCellsJson(const std::vector<TrackCell>& cells, bool all, const ScenarioTable* table, std::ostream& out) {
  nlohmann::json head = cellsHead(cells);
  head["cells"] = nlohmann::json::array();
  head["problems"] = nlohmann::json::array();
  StreamedObject object(head, out);
  object.list("cells");
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (listed(cells, i, all)) object.element(cellJson(cells, i, table));
  }
  object.list("problems");
  forEachCellProblem(cells, [&](const SanityProblem& p) { object.element(problemJson(p)); });
  object.closeList();
}

void printTable(const ScenarioTable& table, std::ostream& out) {
  for (int row = 0; row < kTableRows; ++row) {
    std::string text = rowText(table, row);
    if (text.empty()) continue;
    out << "row " << std::setw(2) << row << "  " << text << "\n";
  }
}

// The names a row's fields go by in the JSON: the reference's, for the roles that give them meaning.
std::span<const RowFieldName> rowFieldNames(std::string_view role) {
  if (role == "station") return row_field_names::kStation;
  if (role == "kilometre post") return row_field_names::kKilometrePost;
  if (role == "train and route") return row_field_names::kTrain;
  if (role == "scenario") return row_field_names::kScenario;
  if (role == "run") return row_field_names::kRun;
  return {};
}

std::string_view fieldName(std::span<const RowFieldName> names, std::string_view field) {
  for (const RowFieldName& n : names) {
    if (n.field == field) return n.name;
  }
  return field;
}

nlohmann::json tableJson(const ScenarioTable& table) {
  nlohmann::json rows = nlohmann::json::array();
  for (int row = 0; row < kTableRows; ++row) {
    std::string text = rowText(table, row);
    if (text.empty()) continue;
    const ScenarioRecord& r = table[static_cast<std::size_t>(row)];
    const std::string_view role = rowRole(table, row);
    nlohmann::json j = {{"row", row}, {"role", role}, {"meaning", text}, {"text", cp1252ToUtf8(r.text)}};
    for (const RecordField<ScenarioRecord>& f : kRowFields) {
      j[std::string(fieldName(rowFieldNames(role), f.name))] = f.get(r);
    }
    if (row >= kRowKilometreTre && row <= kRowKilometreUno) j["kilometrePost"] = kilometrePostText(r.numberB);
    if (role == "station" && r.numberD != 0) j["time"] = clockText(r.numberD);
    rows.push_back(std::move(j));
  }
  return {{"file", "scenario table"}, {"rows", rows}};
}

PlanSummary summarizePlan(std::string_view bytes) {
  PlanSummary s;
  s.minX = s.minY = std::numeric_limits<double>::infinity();
  s.maxX = s.maxY = -std::numeric_limits<double>::infinity();
  PlanPoint previous;
  bool havePrevious = false;
  double previousHeading = 0;
  bool haveHeading = false;
  std::size_t problemCount = 0;
  // The last two metres are judged at the end, when the count is known.
  std::optional<PlanPoint> lastTwo[2];
  auto report = [&](std::size_t m, std::string what) {
    if (++problemCount <= kMaxProblemsKept) s.problems.push_back({"metre " + std::to_string(m), std::move(what)});
  };
  s.metres = forEachPlanPoint(bytes, [&](std::size_t m, const PlanPoint& p) {
    if (m >= 2 && lastTwo[m % 2]) {
      if (std::optional<std::string> why = planPointProblem(m - 2, false, *lastTwo[m % 2])) report(m - 2, *why);
    }
    if (m >= 2) lastTwo[m % 2] = p;
    else if (std::optional<std::string> why = planPointProblem(m, false, p)) report(m, *why);
    if (!hasPoint(p)) {
      havePrevious = false;
      return;
    }
    ++s.points;
    s.minX = std::min(s.minX, p.x.value);
    s.maxX = std::max(s.maxX, p.x.value);
    s.minY = std::min(s.minY, p.y.value);
    s.maxY = std::max(s.maxY, p.y.value);
    if (havePrevious) {
      double dx = p.x.value - previous.x.value;
      double dy = p.y.value - previous.y.value;
      s.length += std::hypot(dx, dy);
      double heading = std::atan2(dx, dy);  // from +y towards +x: a right turn is positive
      if (haveHeading) {
        double turn = heading - previousHeading;
        if (turn > std::numbers::pi) turn -= 2 * std::numbers::pi;
        if (turn < -std::numbers::pi) turn += 2 * std::numbers::pi;
        s.turningDegrees += turn * 180 / std::numbers::pi;
      }
      previousHeading = heading;
      haveHeading = true;
    }
    previous = p;
    havePrevious = true;
  });
  for (std::size_t m = s.metres >= 4 ? s.metres - 2 : s.metres; m < s.metres; ++m) {
    if (m < 2 || !lastTwo[m % 2]) continue;
    if (std::optional<std::string> why = planPointProblem(m, true, *lastTwo[m % 2])) report(m, *why);
  }
  if (s.metres < 4) s.problems.insert(s.problems.begin(), {"file", "a plan has at least four metres"});
  if (problemCount > kMaxProblemsKept) {
    s.problems.push_back({"file", "and " + std::to_string(problemCount - kMaxProblemsKept) + " more metres like these"});
  }
  if (s.points == 0) s.minX = s.maxX = s.minY = s.maxY = 0;
  return s;
}

void printPlan(std::string_view bytes, const PlanSummary& s, std::size_t every, std::ostream& out) {
  std::ostringstream head;
  head << std::fixed << std::setprecision(3);
  head << s.metres << " metres per column, " << s.points << " points\n"
       << "x from " << s.minX << " to " << s.maxX << " m, y from " << s.minY << " to " << s.maxY << " m\n"
       << "length along the line " << s.length << " m, total turning " << s.turningDegrees << " degrees\n";
  out << head.str();
  if (every == 0) return;
  ChunkedOut chunks(out);
  forEachPlanPoint(bytes, [&](std::size_t m, const PlanPoint& p) {
    if (m % every != 0) return;
    std::string& text = chunks.text();
    text += "metre ";
    text += std::to_string(m);
    if (hasPoint(p)) {
      text += "  x ";
      appendNumber(text, p.x.value, true);
      text += "  y ";
      appendNumber(text, p.y.value, true);
      text += '\n';
    } else {
      text += "  empty\n";
    }
    chunks.maybeFlush();
  });
}

void writePlanJson(std::string_view bytes, const PlanSummary& s, std::size_t every, std::ostream& out) {
  nlohmann::json head = {{"file", "plan"},
                         {"metres", s.metres},
                         {"points", s.points},
                         {"box", {{"minX", s.minX}, {"maxX", s.maxX}, {"minY", s.minY}, {"maxY", s.maxY}}},
                         {"length", s.length},
                         {"turningDegrees", s.turningDegrees},
                         {"problems", problemsJson(s.problems)}};
  std::string text = jsonText(head);
  if (every == 0) {
    out << text << "\n";
    return;
  }
  // The listing is written as it is read, after the summary's members.
  text.erase(text.rfind('}'));
  while (!text.empty() && text.back() == '\n') text.pop_back();
  ChunkedOut chunks(out);
  chunks.text() = text + ",\n  \"list\": [";
  bool first = true;
  forEachPlanPoint(bytes, [&](std::size_t m, const PlanPoint& p) {
    if (m % every != 0) return;
    std::string& t = chunks.text();
    t += first ? "\n    {\"metre\": " : ",\n    {\"metre\": ";
    first = false;
    t += std::to_string(m);
    t += ", \"x\": ";
    if (hasPoint(p)) appendNumber(t, p.x.value, false);
    else t += "null";
    t += ", \"y\": ";
    if (hasPoint(p)) appendNumber(t, p.y.value, false);
    else t += "null";
    t += '}';
    chunks.maybeFlush();
  });
  chunks.text() += first ? "]\n}\n" : "\n  ]\n}\n";
}

}  // namespace pack
