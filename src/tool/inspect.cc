#include "tool/inspect.h"

#include <cmath>
#include <iomanip>
#include <limits>
#include <numbers>
#include <sstream>

#include "formats/cp1252.h"

namespace pack {
namespace {

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

int gradientPerMille(const TrackCell& c) { return static_cast<int>(c.gradient) - 100; }

// A signal's value4 packs rapp * 10 + left kind * 3 + right kind.
std::string signalDescription(const TrackCell& c, std::size_t cell) {
  static constexpr std::string_view kKinds[] = {"none", "warning", "protection"};
  int packed = c.value4 % 10;
  int left = packed / 3;
  int right = packed % 3;
  std::string text = "left ";
  text += left < 3 && packed >= 0 ? kKinds[left] : "?";
  text += ", right ";
  text += right >= 0 ? kKinds[right] : "?";
  // Signals stand one cell after their position: cell i holds a signal placed at (i - 1) * 50 m.
  text += ", placed at " + std::to_string((static_cast<long>(cell) - 1) * 50) + " m";
  return text;
}

bool hasPoint(const PlanPoint& p) { return p.x.tag != PlanTag::kEmpty && p.y.tag != PlanTag::kEmpty; }

bool rowIsEmpty(const ScenarioRecord& r) { return r == ScenarioRecord{}; }

}  // namespace

CompiledFileKind compiledFileKind(std::string_view name) {
  if (name.ends_with("_linea.dat")) return CompiledFileKind::kPlan;
  if (name.ends_with(".dat")) return CompiledFileKind::kTrackCells;
  if (name.ends_with(".sim")) return CompiledFileKind::kScenarioTable;
  return CompiledFileKind::kUnknown;
}

std::string_view cellKindName(std::uint8_t kind) {
  switch (kind) {
    case kFree: return "-";
    case kSignal: return "signal";
    case kSlowDownEnd: return "slow-down end";
    case kSlowDownStart: return "slow-down start";
    case kSlowDownWarning: return "slow-down warning";
    case kSlowDownApproach: return "slow-down approach";
    case kSpeedBoard: return "speed board";
    case kStopPoint: return "stop point";
    case kMountainMark: return "mountain mark";
    case kCodePoint: return "code point";
    case kCodePointNoValue: return "code point (no code)";
    case kTextBoard: return "text board";
    default: return "unknown";
  }
}

void printCells(const std::vector<TrackCell>& cells, bool all, std::ostream& out) {
  out << cells.size() << " cells (0 to " << (cells.empty() ? 0 : cells.size() - 1) << "), "
      << cells.size() * 50 << " m\n";
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (!listed(cells, i, all)) continue;
    const TrackCell& c = cells[i];
    out << "cell " << std::setw(5) << i << std::setw(9) << i * 50 << " m  " << std::left << std::setw(20)
        << cellKindName(c.kind) << std::right << " values " << c.value1 << ' ' << c.value2 << ' ' << c.value3
        << ' ' << c.value4 << "  time " << int{c.signalTime} << "  mark " << int{c.approachMark}
        << "  mountain " << int{c.mountainKind} << "  speed " << c.speedLimit * 5 << " km/h  gradient "
        << std::showpos << gradientPerMille(c) << std::noshowpos << " per mille  adhesion "
        << int{c.adhesion} << "%";
    if (c.kind == kSignal) out << "  (" << signalDescription(c, i) << ")";
    out << "\n";
  }
}

nlohmann::json cellsJson(const std::vector<TrackCell>& cells, bool all) {
  nlohmann::json list = nlohmann::json::array();
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (!listed(cells, i, all)) continue;
    const TrackCell& c = cells[i];
    list.push_back({{"cell", i},
                    {"metres", i * 50},
                    {"kind", c.kind},
                    {"kindName", cellKindName(c.kind)},
                    {"value1", c.value1},
                    {"value2", c.value2},
                    {"value3", c.value3},
                    {"value4", c.value4},
                    {"signalTime", c.signalTime},
                    {"approachMark", c.approachMark},
                    {"mountainKind", c.mountainKind},
                    {"speedKmh", c.speedLimit * 5},
                    {"gradientPerMille", gradientPerMille(c)},
                    {"adhesion", c.adhesion}});
    if (c.kind == kSignal) list.back()["signal"] = signalDescription(c, i);
  }
  return {{"file", "track cells"}, {"cellCount", cells.empty() ? 0 : cells.size() - 1}, {"cells", list}};
}

void printTable(const std::array<ScenarioRecord, kTableRows>& table, std::ostream& out) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ScenarioRecord& r = table[i];
    if (rowIsEmpty(r)) continue;
    out << "row " << std::setw(2) << i << "  kind " << int{r.kind} << "  numberA " << r.numberA << "  numberB "
        << r.numberB << "  numberC " << r.numberC << "  numberD " << r.numberD << "  option " << int{r.option}
        << "  params " << r.param1 << ' ' << r.param2 << ' ' << r.param3 << ' ' << r.param4 << ' ' << r.param5
        << "  flags " << int{r.flag1} << ' ' << int{r.flag2} << ' ' << int{r.flag3} << ' ' << int{r.flag4}
        << "  text \"" << cp1252ToUtf8(r.text) << "\"\n";
  }
}

nlohmann::json tableJson(const std::array<ScenarioRecord, kTableRows>& table) {
  nlohmann::json rows = nlohmann::json::array();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ScenarioRecord& r = table[i];
    if (rowIsEmpty(r)) continue;
    rows.push_back({{"row", i},          {"kind", r.kind},       {"numberA", r.numberA}, {"numberB", r.numberB},
                    {"numberC", r.numberC}, {"option", r.option}, {"text", cp1252ToUtf8(r.text)},
                    {"param1", r.param1}, {"param2", r.param2},   {"param3", r.param3},   {"param4", r.param4},
                    {"param5", r.param5}, {"flag1", r.flag1},     {"flag2", r.flag2},     {"flag3", r.flag3},
                    {"flag4", r.flag4},   {"numberD", r.numberD}});
  }
  return {{"file", "scenario table"}, {"rows", rows}};
}

PlanSummary summarizePlan(const std::vector<PlanPoint>& plan) {
  PlanSummary s;
  s.metres = plan.size();
  s.minX = s.minY = std::numeric_limits<double>::infinity();
  s.maxX = s.maxY = -std::numeric_limits<double>::infinity();
  const PlanPoint* previous = nullptr;
  double previousHeading = 0;
  bool haveHeading = false;
  for (const PlanPoint& p : plan) {
    if (!hasPoint(p)) {
      previous = nullptr;
      continue;
    }
    ++s.points;
    s.minX = std::min(s.minX, p.x.value);
    s.maxX = std::max(s.maxX, p.x.value);
    s.minY = std::min(s.minY, p.y.value);
    s.maxY = std::max(s.maxY, p.y.value);
    if (previous != nullptr) {
      double dx = p.x.value - previous->x.value;
      double dy = p.y.value - previous->y.value;
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
    previous = &p;
  }
  if (s.points == 0) s.minX = s.maxX = s.minY = s.maxY = 0;
  return s;
}

void printPlan(const std::vector<PlanPoint>& plan, std::size_t every, std::ostream& out) {
  PlanSummary s = summarizePlan(plan);
  out << std::fixed << std::setprecision(3);
  out << s.metres << " metres per column, " << s.points << " points\n"
      << "x from " << s.minX << " to " << s.maxX << " m, y from " << s.minY << " to " << s.maxY << " m\n"
      << "length along the line " << s.length << " m, total turning " << s.turningDegrees << " degrees\n";
  if (every == 0) return;
  out << std::setprecision(9);
  for (std::size_t m = 0; m < plan.size(); m += every) {
    const PlanPoint& p = plan[m];
    out << "metre " << m << "  ";
    if (hasPoint(p)) {
      out << "x " << p.x.value << "  y " << p.y.value << '\n';
    } else {
      out << "empty\n";
    }
  }
}

nlohmann::json planJson(const std::vector<PlanPoint>& plan, std::size_t every) {
  PlanSummary s = summarizePlan(plan);
  nlohmann::json j = {{"file", "plan"},
                      {"metres", s.metres},
                      {"points", s.points},
                      {"box", {{"minX", s.minX}, {"maxX", s.maxX}, {"minY", s.minY}, {"maxY", s.maxY}}},
                      {"length", s.length},
                      {"turningDegrees", s.turningDegrees}};
  if (every > 0) {
    nlohmann::json list = nlohmann::json::array();
    for (std::size_t m = 0; m < plan.size(); m += every) {
      const PlanPoint& p = plan[m];
      if (hasPoint(p)) {
        list.push_back({{"metre", m}, {"x", p.x.value}, {"y", p.y.value}});
      } else {
        list.push_back({{"metre", m}, {"x", nullptr}, {"y", nullptr}});
      }
    }
    j["list"] = list;
  }
  return j;
}

}  // namespace pack
