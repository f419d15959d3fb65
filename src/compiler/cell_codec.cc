#include "compiler/cell_codec.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "formats/route_format.h"
#include "formats/train_run_format.h"

namespace pack::codec {
namespace {

constexpr KindInfo kKinds[] = {
    {kFree, "-", "a free cell", Lane::kNone, ""},
    {kSignal, "signal", "the signal", Lane::kSignals, "signal"},
    {kSlowDownEnd, "slow-down end", "the end of the slow-down", Lane::kSlowDowns, "slow-down"},
    {kSlowDownStart, "slow-down start", "the start of the slow-down", Lane::kSlowDowns, "slow-down"},
    {kSlowDownWarning, "slow-down warning", "the warning point of the slow-down", Lane::kSlowDowns, "slow-down"},
    {kSlowDownApproach, "slow-down approach", "an approach cell of the slow-down", Lane::kNone, ""},
    {kSpeedBoard, "speed board", "the speed-indicator board", Lane::kBoards, "speed-board"},
    {kStopPoint, "stop point", "the stop point of the station", Lane::kStations, "stop-point"},
    {kMountainMark, "mountain mark", "a mountain marker", Lane::kNone, ""},
    {kCodePoint, "code point", "the code point", Lane::kCodePoints, "code-point"},
    {kCodePointNoValue, "code point (no code)", "the code point", Lane::kCodePoints, "code-point"},
    {kTextBoard, "text board", "the text board", Lane::kBoards, "text-board"},
};

// Radii 10000, 5000, 2500, 1000, 500 and about 333 m.
constexpr CurveClass kCurves[] = {
    {1, 0.0001, 10000}, {2, 0.0002, 5000}, {3, 0.0004, 2500}, {4, 0.001, 1000}, {5, 0.002, 500}, {6, 0.003, 333},
};

// What a value of an entry turns into on its way into a cell.
enum class Storage { kAsWritten, kSpeed, kGradient, kAdhesion, kSignalTime, kBoardSecondSpeed };

Storage storageOf(const EntryDefinition& entry, std::size_t index) {
  if (&entry == &kGradientEntry && index == 1) return Storage::kGradient;
  if (&entry == &kSpeedLimitEntry && index == 1) return Storage::kSpeed;
  if (&entry == &kAdhesionEntry && index == 1) return Storage::kAdhesion;
  if (&entry == &kSignalEntry && index == 10) return Storage::kSignalTime;
  if (&entry == &kSpeedBoardEntry && index >= 5 && index <= 7) return Storage::kBoardSecondSpeed;
  return Storage::kAsWritten;
}

std::string unitText(const EntryDefinition& entry, std::size_t index, std::int64_t v) {
  std::string_view unit = index < entry.values.size() ? entry.values[index].unit : std::string_view{};
  std::string text = std::to_string(v);
  if (!unit.empty()) {
    text += ' ';
    text += unit;
  }
  return text;
}

}  // namespace

std::span<const KindInfo> cellKinds() { return kKinds; }

std::int32_t stationRowCount(std::span<const ScenarioRecord, kTableRows> table) {
  std::int32_t count = 0;
  for (std::int32_t r = 1; r <= kFirstBoardRow; ++r) {
    ScenarioRecord numbers = table[static_cast<std::size_t>(r)];
    numbers.text.clear();
    if (!(numbers == ScenarioRecord{})) count = r;
  }
  return count;
}

const KindInfo* kindInfo(std::uint8_t kind) {
  for (const KindInfo& k : kKinds) {
    if (k.kind == kind) return &k;
  }
  return nullptr;
}

std::string_view kindName(std::uint8_t kind) {
  const KindInfo* k = kindInfo(kind);
  return k == nullptr ? "unknown" : k->name;
}

std::string_view laneName(Lane lane) {
  switch (lane) {
    case Lane::kSignals: return "signals";
    case Lane::kBoards: return "boards";
    case Lane::kSlowDowns: return "slow-downs";
    case Lane::kCodePoints: return "code points";
    case Lane::kStations: return "stations";
    case Lane::kNone: break;
  }
  return "";
}

int laneIndex(Lane lane) {
  switch (lane) {
    case Lane::kSignals: return 0;
    case Lane::kBoards: return 1;
    case Lane::kSlowDowns: return 2;
    case Lane::kCodePoints: return 3;
    case Lane::kStations:
    case Lane::kNone: break;
  }
  return -1;
}

std::string_view signalKindName(SignalKind k) {
  switch (k) {
    case SignalKind::kNone: return "none";
    case SignalKind::kWarning: return "warning";
    case SignalKind::kProtection: return "protection";
  }
  return "?";
}

std::span<const CurveClass> curveClasses() { return kCurves; }

std::vector<double> cellCurvatures(const std::vector<PlanPoint>& plan, std::size_t cells) {
  auto hasPoint = [](const PlanPoint& p) { return p.x.tag != PlanTag::kEmpty && p.y.tag != PlanTag::kEmpty; };
  std::vector<double> k(cells, 0.0);
  auto heading = [&](std::size_t m) -> std::optional<double> {
    if (m + 1 >= plan.size() || !hasPoint(plan[m]) || !hasPoint(plan[m + 1])) return std::nullopt;
    return std::atan2(plan[m + 1].x.value - plan[m].x.value, plan[m + 1].y.value - plan[m].y.value);
  };
  std::optional<double> previous = heading(0);
  for (std::size_t m = 1; m + 1 < plan.size(); ++m) {
    std::optional<double> now = heading(m);
    if (now && previous) {
      double turn = *now - *previous;
      if (turn > std::numbers::pi) turn -= 2 * std::numbers::pi;
      if (turn < -std::numbers::pi) turn += 2 * std::numbers::pi;
      std::size_t cell = m / kCellLength;
      if (cell < cells && std::abs(turn) > std::abs(k[cell])) k[cell] = turn;
    }
    previous = now;
  }
  return k;
}

std::vector<int> effectiveSpeeds(std::span<const TrackCell> cells) {
  std::vector<int> speed;
  speed.reserve(cells.size());
  for (const TrackCell& c : cells) speed.push_back(decodeSpeed(c.speedLimit));
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].kind != kSlowDownStart) continue;
    int limit = decodeSlowDownSpeed(cells[i]);
    for (std::size_t j = i; j < cells.size(); ++j) {
      speed[j] = std::min(speed[j], limit);
      if (cells[j].kind == kSlowDownEnd) break;
    }
  }
  return speed;
}

std::optional<int> curveClassOfKey(std::string_view key) {
  for (const CurveClass& c : kCurves) {
    if (key.find(static_cast<char>('0' + c.number)) != std::string_view::npos) return c.number;
  }
  return std::nullopt;
}

double classCurvature(int curveClass) {
  for (const CurveClass& c : kCurves) {
    if (c.number == curveClass) return c.curvature;
  }
  return 0.0;
}

int nearestCurveClass(double curvature) {
  double size = std::fabs(curvature);
  if (!(size >= kCurves[0].curvature / 2)) return 0;
  const CurveClass* best = &kCurves[0];
  for (const CurveClass& c : kCurves) {
    if (std::fabs(size - c.curvature) < std::fabs(size - best->curvature)) best = &c;
  }
  return best->number;
}

std::optional<std::int64_t> storedValue(const EntryDefinition& entry, std::size_t index, std::int64_t written) {
  switch (storageOf(entry, index)) {
    case Storage::kAsWritten: return written;
    case Storage::kGradient: return decodeGradient(encodeGradient(written));
    case Storage::kAdhesion: return decodeAdhesion(encodeAdhesion(written));
    case Storage::kSignalTime: return encodeSignalTime(static_cast<int>(SignalKind::kProtection), written);
    case Storage::kSpeed: {
      double steps = roundHalfEvenValue(static_cast<double>(written) / kSpeedStep);
      if (steps < 0 || steps > 255) return std::nullopt;
      return static_cast<std::int64_t>(steps) * kSpeedStep;
    }
    case Storage::kBoardSecondSpeed: {
      double steps = roundHalfEvenValue(static_cast<double>(written) / kSpeedStep);
      return static_cast<std::int64_t>(steps) * kSpeedStep;
    }
  }
  return written;
}

std::string identificationText(std::int64_t fixedValue, std::int64_t code) {
  return "the compiler's identification, not from any entry: the fixed value " + std::to_string(fixedValue) +
         " and the code " + std::to_string(code) + " of the train number and scenario name";
}

std::string storedAs(const EntryDefinition& entry, std::size_t index, std::int64_t written) {
  std::optional<std::int64_t> stored = storedValue(entry, index, written);
  std::string as = unitText(entry, index, written);
  Storage storage = storageOf(entry, index);
  if (!stored) {
    return as + " does not fit the cell's byte (0 to " + unitText(entry, index, 255 * kSpeedStep) +
           "): the compile stops with error 25";
  }
  constexpr std::int64_t kSecondSetTop = kBoardSecondSetSteps * kSpeedStep;
  if (storage == Storage::kBoardSecondSpeed && *stored >= kSecondSetTop) {
    return as + " is stored as " + std::to_string(*stored % kSecondSetTop) + " km/h, with " +
           std::to_string(*stored / kSecondSetTop) + " km/h added to the first set's speed";
  }
  if (*stored == written) return {};
  std::string text = as + " is stored as " + unitText(entry, index, *stored);
  switch (storage) {
    case Storage::kSpeed:
    case Storage::kBoardSecondSpeed:
      return text + " (speeds are kept in steps of " + std::to_string(kSpeedStep) + " km/h)";
    case Storage::kGradient:
      // Past the byte's ends a climb wraps round to a descent and back.
      if ((*stored < 0) != (written < 0)) return text + (*stored < 0 ? ", a descent" : ", a climb");
      return text;
    case Storage::kAdhesion: return text + " (a cell keeps 0 to 255 %)";
    case Storage::kSignalTime: return text + " (a time is 0 or " + std::to_string(kLowestSignalTime) + " to 255)";
    case Storage::kAsWritten: break;
  }
  return text;
}

}  // namespace pack::codec
