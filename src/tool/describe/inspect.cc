#include "tool/describe/inspect.h"

#include "tool/describe/json_text.h"

#include <charconv>
#include <cmath>
#include <iomanip>
#include <limits>
#include <numbers>
#include <optional>
#include <sstream>

#include "compiler/cell_units.h"
#include "compiler/scenario_codes.h"
#include "formats/cp1252.h"
#include "output/compiled_decoders.h"

namespace pack {
namespace {

using namespace cell_units;

constexpr std::int16_t kCellMarker = 5121;  // cell 1's value1 after every compile
constexpr std::int16_t kTableMarker = 610;  // row 85's param1 after every compile

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

// Cell 1 carries the reserved marker and the plain scenario code in place of a feature's values.
std::string cellText(const TrackCell& c, std::size_t i, const ScenarioTable* table) {
  std::string text;
  if (i == 1 && c.value1 == kCellMarker) {
    text = "reserved: marker 5121, plain scenario code " + std::to_string(c.value2);
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
  int g = gradientPerMille(c);
  std::string gradient = c.gradient == 0 ? "no gradient" : (g > 0 ? "+" : "") + std::to_string(g) + " per mille";
  return std::to_string(speedKmh(c)) + " km/h, " + gradient + ", adhesion " + std::to_string(adhesionPercent(c)) + " %";
}

// Route length as the cell count gives it back: the track is the route and 7000 m more, in 50-m cells.
std::string cellsHeader(const std::vector<TrackCell>& cells) {
  std::size_t last = cells.size() - 1;
  return std::to_string(cells.size()) + " cells (0 to " + std::to_string(last) + "): track model about " +
         std::to_string(cellMetre(last)) + " m, the route about " + std::to_string(cellMetre(last) - kTrackExtension) +
         " m and 7000 m beyond its end";
}

// ---- Table rows by their role.

std::string stationText(int row, const ScenarioRecord& r) {
  std::ostringstream s;
  s << "station " << row << " \"" << cp1252ToUtf8(r.text) << "\": type " << int{r.kind}
    << (r.kind < 25 ? "" : " (table only, no stop point)") << ", at " << r.numberC << " m, platform " << r.numberA
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
  if (r.numberC == 1) text += " (flag 1: 100 m added when the definitions were ordered)";
  else if (r.numberC != 0) text += " (flag " + std::to_string(r.numberC) + ")";
  return text;
}

std::string trainRowText(const ScenarioRecord& r) {
  return "train and route: braked mass " + std::to_string(r.numberA) + " %, route length " +
         std::to_string(r.numberB) + " m, " + std::to_string(r.numberC) + " coaches";
}

std::string scenarioRowText(const ScenarioRecord& r) {
  return "scenario \"" + cp1252ToUtf8(r.text) + "\": background settings uno " + std::to_string(r.numberA) +
         ", due " + std::to_string(r.numberC) + ", tre " + std::to_string(r.numberB) + "; reserved marker " +
         std::to_string(r.param1) + ", weighted scenario code " + std::to_string(r.numberD);
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
  switch (stationAreaRowRole(r)) {
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
  switch (stationAreaRowRole(table[static_cast<std::size_t>(row)])) {
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

std::vector<SanityProblem> checkCells(const std::vector<TrackCell>& cells) {
  std::vector<SanityProblem> problems;
  auto add = [&](std::size_t i, std::string what) { problems.push_back({cellWhere(i), std::move(what)}); };
  if (cells.size() < 2) {
    problems.push_back({"file", "a compiled track has at least two cells"});
    return problems;
  }
  if (cells[1].value1 != kCellMarker) add(1, "value1 is " + std::to_string(cells[1].value1) + ", not the marker 5121 every compile writes");
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (!isKnownKind(c.kind)) add(i, "kind " + std::to_string(c.kind) + " is no feature kind");
    if (c.approachMark != 0 && !approachMark(c)) add(i, "approach mark " + std::to_string(c.approachMark) + " is no mark of a signal or station");
    if (c.signalTime >= 1 && c.signalTime <= 100) add(i, "signal time " + std::to_string(c.signalTime) + " (times 1 to 100 are stored as 101)");
    if (c.mountainKind > 3) add(i, "mountain type " + std::to_string(c.mountainKind) + " (types are 1 to 3)");
    if (c.adhesion > 100) add(i, "adhesion " + std::to_string(c.adhesion) + " % (above 100 %)");
    if (c.kind == kSignal) {
      if (!signalKinds(c)) add(i, "signal kinds value " + std::to_string(c.value4) + " does not pack kinds 0 to 2");
      for (int d = 0; d < 3; ++d) {
        if (!signalDigits(c, d)) add(i, "signal digits value" + std::to_string(d + 1) + " is not two decimal digits");
      }
    }
    if (c.kind == kSlowDownApproach && (c.value1 < 1 || c.value1 > 4)) add(i, "slow-down approach step " + std::to_string(c.value1) + " (steps are 1 to 4)");
    if (c.kind == kStopPoint && (c.value1 < 1 || c.value1 >= kFirstBoardRow)) add(i, "stop point of row " + std::to_string(c.value1) + " (stations are in rows 1 to 79)");
    if (c.kind == kTextBoard && (c.value1 < 0 || c.value1 > kFirstBoardRow)) add(i, "text board row " + std::to_string(c.value1) + " (board texts are in rows 80 downward)");
  }
  return problems;
}

std::vector<SanityProblem> checkTable(const ScenarioTable& table) {
  std::vector<SanityProblem> problems;
  auto add = [&](int row, std::string what) { problems.push_back({"row " + std::to_string(row), std::move(what)}); };
  if (!(table[0] == ScenarioRecord{})) add(0, "row 0 is never filled");
  const ScenarioRecord& scenario = table[kRowScenario];
  if (scenario.param1 != kTableMarker) add(kRowScenario, "param1 is " + std::to_string(scenario.param1) + ", not the marker 610 every compile writes");
  std::int32_t code = expectedWeightedCode(table);
  if (scenario.numberD != code) {
    add(kRowScenario, "weighted scenario code " + std::to_string(scenario.numberD) + " does not belong to the names in rows 85 and 86 (" + std::to_string(code) + ")");
  }
  const ScenarioRecord& train = table[kRowTrain];
  if (train.numberB < 0 || train.numberB > kMaxRouteLength) add(kRowTrain, "route length " + std::to_string(train.numberB) + " m (0 to 1000000 m)");
  for (int row = kRowKilometreTre; row <= kRowKilometreUno; ++row) {
    const ScenarioRecord& r = table[static_cast<std::size_t>(row)];
    if (r.numberA % 50 != 0 || r.numberB % 50 != 0) add(row, "kilometre-post position and value are multiples of 50 (the compile records error 2)");
  }
  const ScenarioRecord& run = table[kRowRun];
  if (run.numberC != 0 && run.numberC != 4 && run.numberC != 9) add(kRowRun, "signal repetition with " + std::to_string(run.numberC) + " codes (0, 4 or 9)");
  if (run.numberA % 50 != 0 || run.numberB % 50 != 0) add(kRowRun, "signal repetition positions are multiples of 50");
  for (const Station& s : stations(table)) {
    if (s.position % 50 != 0) add(s.row, "station position " + std::to_string(s.position) + " m is not a multiple of 50");
    if (s.platformStart > s.platformEnd) add(s.row, "platform starts after its end");
    if (s.time < 0) add(s.row, "negative time");
  }
  return problems;
}

nlohmann::json problemsJson(const std::vector<SanityProblem>& problems) {
  nlohmann::json list = nlohmann::json::array();
  for (const SanityProblem& p : problems) list.push_back({{"where", p.where}, {"what", p.what}});
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

nlohmann::json cellsJson(const std::vector<TrackCell>& cells, bool all, const ScenarioTable* table) {
  nlohmann::json list = nlohmann::json::array();
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (!listed(cells, i, all)) continue;
    const TrackCell& c = cells[i];
    nlohmann::json cell = {{"cell", i},
                           {"metres", cellMetre(i)},
                           {"kind", c.kind},
                           {"kindName", kindName(c.kind)},
                           {"meaning", cellText(c, i, table)},
                           {"value1", c.value1},
                           {"value2", c.value2},
                           {"value3", c.value3},
                           {"value4", c.value4},
                           {"signalTime", c.signalTime},
                           {"approachMark", c.approachMark},
                           {"mountainKind", c.mountainKind},
                           {"speedKmh", speedKmh(c)},
                           {"gradientPerMille", gradientPerMille(c)},
                           {"adhesionPercent", adhesionPercent(c)}};
    if (c.kind == kSignal) {
      if (std::optional<SignalCells> kinds = signalKinds(c)) {
        cell["signal"] = {{"left", signalKindName(kinds->left)},
                          {"right", signalKindName(kinds->right)},
                          {"rapp", kinds->rapp},
                          {"placedAt", signalPlacedMetre(i)}};
      }
    }
    list.push_back(std::move(cell));
  }
  // The count of cells, the same number the text gives; the last index is one less.
  return {{"file", "track cells"},
          {"cellCount", cells.size()},
          {"lastCell", cells.empty() ? 0 : cells.size() - 1},
          {"cells", list}};
}

void printTable(const ScenarioTable& table, std::ostream& out) {
  for (int row = 0; row < kTableRows; ++row) {
    std::string text = rowText(table, row);
    if (text.empty()) continue;
    out << "row " << std::setw(2) << row << "  " << text << "\n";
  }
}

nlohmann::json tableJson(const ScenarioTable& table) {
  nlohmann::json rows = nlohmann::json::array();
  for (int row = 0; row < kTableRows; ++row) {
    std::string text = rowText(table, row);
    if (text.empty()) continue;
    const ScenarioRecord& r = table[static_cast<std::size_t>(row)];
    nlohmann::json j = {{"row", row},          {"role", rowRole(table, row)}, {"meaning", text},
                        {"kind", r.kind},      {"numberA", r.numberA},        {"numberB", r.numberB},
                        {"numberC", r.numberC}, {"option", r.option},         {"text", cp1252ToUtf8(r.text)},
                        {"param1", r.param1},  {"param2", r.param2},          {"param3", r.param3},
                        {"param4", r.param4},  {"param5", r.param5},          {"flag1", r.flag1},
                        {"flag2", r.flag2},    {"flag3", r.flag3},            {"flag4", r.flag4},
                        {"numberD", r.numberD}};
    if (row >= kRowKilometreTre && row <= kRowKilometreUno) j["kilometrePost"] = kilometrePostText(r.numberB);
    if (rowRole(table, row) == "station" && r.numberD != 0) j["time"] = clockText(r.numberD);
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
