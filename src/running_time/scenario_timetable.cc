#include "running_time/scenario_timetable.h"

#include <algorithm>
#include <cmath>

#include "compiler/cell_codec.h"
#include "formats/cp1252.h"
#include "running_time/etcs_braking.h"

namespace pack::running_time {
namespace {

constexpr std::int32_t kDaySeconds = 24 * 3600;
// The profile completion leaves the last cells of the track empty: no gradient was given there.
constexpr std::size_t kUnfilledCells = 3;

// Röckl's curve resistance as a gradient in per mille: 650 / (R − 55) from 300 m of radius up,
// 500 / (R − 30) for sharper curves (standard gauge).
double curveGradient(double curvature) {
  if (codec::nearestCurveClass(curvature) == 0) return 0;
  double radius = 1.0 / std::abs(curvature);
  if (radius >= 300) return 650.0 / (radius - 55.0);
  return 500.0 / (std::max(radius, 35.0) - 30.0);
}

// What every section's line is made of, decoded once per scenario.
struct Profiles {
  std::vector<int> speedKmh;
  std::vector<double> gradient;        // per mille, curves included when wanted
  std::vector<double> tractionLimitN;  // infinite where adhesion does not count
};

Profiles profilesOf(const CompiledScenario& s, const Train& train, const TimetableSettings& settings) {
  Profiles p;
  p.speedKmh = codec::effectiveSpeeds(s.cells);
  std::size_t filled = s.cells.size() > kUnfilledCells ? s.cells.size() - kUnfilledCells : 0;
  for (std::size_t i = 0; i < s.cells.size(); ++i) {
    double g = i < filled ? codec::decodeGradient(s.cells[i].gradient) : 0.0;
    int adhesion = codec::decodeAdhesion(s.cells[i].adhesion);
    double limit = std::numeric_limits<double>::infinity();
    if (!settings.referenceModel) {
      if (i < s.curvature.size()) g += curveGradient(s.curvature[i]);
      if (adhesion > 0) limit = settings.adhesionCoefficient * adhesion / 100.0 * train.drivenMassKg * kGravity;
    }
    p.gradient.push_back(g);
    p.tractionLimitN.push_back(limit);
  }
  return p;
}

Line lineOf(const Profiles& p, double fromM, double toM) {
  Line line;
  line.endM = toM - fromM;
  if (p.speedKmh.empty()) return line;
  std::size_t last = p.speedKmh.size() - 1;
  for (double x = fromM; x < toM;) {
    std::size_t i = std::min(static_cast<std::size_t>(std::max(0.0, x) / kCellLength), last);
    line.sections.push_back({x - fromM, p.speedKmh[i] / 3.6, p.gradient[i], p.tractionLimitN[i]});
    double next = static_cast<double>(codec::cellMetre(i + 1));
    x = next > x ? next : toM;
  }
  return line;
}

std::optional<double> percentOf(std::optional<double> part, std::optional<double> whole) {
  if (!part || !whole || !(*whole > 0)) return std::nullopt;
  return *part / *whole * 100.0;
}

Verdict verdictOf(const TimetableSection& s) {
  if (!s.minimumS) return Verdict::kCannotRun;
  if (!s.scheduledS) return Verdict::kNone;
  double supplement = *s.scheduledS - *s.minimumS;
  if (supplement < 0) return Verdict::kImpossible;
  if (supplement < s.recommendedS) return Verdict::kTight;
  if (supplement > 2 * s.recommendedS) return Verdict::kPadded;
  return Verdict::kOk;
}

std::optional<double> scheduled(const Stop& from, const Stop& to) {
  if (!from.timeS || !to.timeS) return std::nullopt;
  std::int64_t t = std::int64_t{*to.timeS} - *from.timeS;
  if (t < 0 && t > -kDaySeconds) t += kDaySeconds;  // past midnight
  return static_cast<double>(t);
}

// One section from a timed stop to the next timed one, over the stops without a time between.
TimetableSection spanning(const Timetable& tt, std::size_t firstLeg, std::size_t lastLeg, const TimetableSettings& settings) {
  TimetableSection s;
  s.from = tt.sections[firstLeg].from;
  s.to = tt.sections[lastLeg].to;
  s.spansStops = true;
  double minimum = settings.minimumDwellS * static_cast<double>(lastLeg - firstLeg);
  bool runs = true;
  for (std::size_t k = firstLeg; k <= lastLeg; ++k) {
    const TimetableSection& leg = tt.sections[k];
    s.distanceM += leg.distanceM;
    s.topSpeedMs = std::max(s.topSpeedMs, leg.topSpeedMs);
    if (leg.minimumS) {
      minimum += *leg.minimumS;
    } else {
      runs = false;
      s.problem = leg.problem;
    }
  }
  if (runs) s.minimumS = minimum;
  s.scheduledS = scheduled(tt.stops[s.from], tt.stops[s.to]);
  if (s.minimumS) s.recommendedS = tt.supplement.seconds(*s.minimumS, s.distanceM);
  s.verdict = verdictOf(s);
  return s;
}

}  // namespace

const char* verdictName(Verdict v) {
  switch (v) {
    case Verdict::kImpossible: return "impossible";
    case Verdict::kTight: return "tight";
    case Verdict::kOk: return "ok";
    case Verdict::kPadded: return "padded";
    case Verdict::kCannotRun: return "cannot run";
    case Verdict::kNone: break;
  }
  return "";
}

std::optional<double> TimetableSection::supplementPercent() const {
  if (!scheduledS || !minimumS) return std::nullopt;
  return percentOf(*scheduledS - *minimumS, minimumS);
}

std::optional<double> TimetableSection::recommendedPercent() const {
  if (!minimumS) return std::nullopt;
  return percentOf(recommendedS, minimumS);
}

RollingStock withCars(RollingStock stock, int cars) {
  auto firstCar = std::find_if(stock.formation.begin(), stock.formation.end(),
                               [](const Vehicle& v) { return !isPowered(v.type); });
  if (firstCar == stock.formation.end()) return stock;
  Vehicle car = *firstCar;
  std::vector<Vehicle> formation;
  for (const Vehicle& v : stock.formation) {
    if (isPowered(v.type)) formation.push_back(v);
  }
  for (int i = 0; i < cars; ++i) formation.push_back(car);
  stock.formation = std::move(formation);
  return stock;
}

int scenarioCars(std::span<const ScenarioRecord, kTableRows> table) { return table[kRowTrain].numberC; }
double scenarioBrakedMass(std::span<const ScenarioRecord, kTableRows> table) { return table[kRowTrain].numberA; }

std::vector<Stop> scenarioStops(const CompiledScenario& scenario) {
  std::vector<Stop> stops;
  std::int32_t rows = codec::stationRowCount(scenario.table);
  for (std::int32_t r = 1; r <= rows; ++r) {
    const ScenarioRecord& row = scenario.table[static_cast<std::size_t>(r)];
    if (!codec::touchesCells(row.kind)) continue;
    Stop stop;
    stop.row = r;
    stop.name = cp1252ToUtf8(row.text);
    stop.positionM = static_cast<double>(row.numberB) - kCellLength;
    for (std::size_t i = 0; i < scenario.cells.size(); ++i) {
      if (scenario.cells[i].kind == kStopPoint && scenario.cells[i].value1 == r) {
        stop.positionM = static_cast<double>(codec::cellMetre(i));
        break;
      }
    }
    // A table read from elsewhere may place a station anywhere: the run stays on the track.
    stop.positionM = std::clamp(stop.positionM, 0.0, static_cast<double>(codec::cellMetre(scenario.cells.size())));
    if (row.numberD != 0) stop.timeS = row.numberD;
    stops.push_back(stop);
  }
  return stops;
}

Line scenarioLine(const CompiledScenario& scenario, const Train& train, double fromM, double toM,
                  const TimetableSettings& settings) {
  return lineOf(profilesOf(scenario, train, settings), fromM, toM);
}

Timetable scenarioTimetable(const Train& train, const CompiledScenario& scenario, const TimetableSettings& settings) {
  Timetable tt;
  tt.train = train;
  if (!settings.referenceModel) {
    double lambda = scenarioBrakedMass(scenario.table);
    double used = std::clamp(lambda, kConversionLowestLambda, kConversionHighestLambda);
    if (used != lambda) {
      tt.notes.push_back("the braked-mass percentage " + std::to_string(static_cast<long long>(lambda)) +
                         " lies outside the conversion model's 30 to 250: braking as for " +
                         std::to_string(static_cast<long long>(used)));
    }
    tt.brakedMassPercent = lambda;
    tt.train.brakingMs2 = lowestConversionDeceleration(used, train.maxSpeedMs * 3.6, settings.brake);
  }
  tt.brakingMs2 = tt.train.brakingMs2;
  tt.supplement = recommendedSupplement(tt.train);
  tt.stops = scenarioStops(scenario);
  Profiles profiles = profilesOf(scenario, tt.train, settings);
  RunOptions options{settings.stepM, settings.referenceModel ? 0.0 : settings.driverMarginM, settings.recordRuns};

  std::size_t timedLeg = 0;  // the first leg after the last timed stop
  for (std::size_t i = 0; i + 1 < tt.stops.size(); ++i) {
    TimetableSection s;
    s.from = i;
    s.to = i + 1;
    s.distanceM = tt.stops[i + 1].positionM - tt.stops[i].positionM;
    try {
      RunResult run = fastestRun(tt.train, lineOf(profiles, tt.stops[i].positionM, tt.stops[i + 1].positionM), options);
      s.minimumS = run.totalS;
      s.topSpeedMs = run.topSpeedMs;
      s.recommendedS = tt.supplement.seconds(run.totalS, s.distanceM);
      s.run = std::move(run.trace);
    } catch (const RunError& e) {
      s.problem = std::string(e.what()) + " at " + std::to_string(std::llround(tt.stops[i].positionM + e.atM)) + " m";
    }
    s.scheduledS = scheduled(tt.stops[i], tt.stops[i + 1]);
    s.verdict = verdictOf(s);
    tt.sections.push_back(s);
    if (!tt.stops[i + 1].timeS) continue;
    std::size_t leg = tt.sections.size() - 1;
    if (leg > timedLeg && tt.stops[tt.sections[timedLeg].from].timeS) tt.sections.push_back(spanning(tt, timedLeg, leg, settings));
    timedLeg = tt.sections.size();
  }
  return tt;
}

std::string clockText(double seconds) {
  long long s = std::llround(seconds);
  std::string text = s < 0 ? "-" : "";
  s = s < 0 ? -s : s;
  // Appends, not joins of temporaries: GCC 12 misreads those for 32-bit targets (-Wrestrict).
  auto two = [&text](long long v) {
    text += ':';
    if (v < 10) text += '0';
    text += std::to_string(v);
  };
  text += std::to_string(s / 3600);
  two(s / 60 % 60);
  two(s % 60);
  return text;
}

}  // namespace pack::running_time
