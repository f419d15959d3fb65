#include "tool/plot/plot_run.h"

#include <cmath>

#include "running_time/default_train.h"
#include "running_time/train.h"
#include "tool/plot/plot_data.h"

namespace pack {
namespace {

using running_time::Stop;
using running_time::TimetableSection;

double deviation(const RunPoint& a, const RunPoint& b, const RunPoint& p) {
  double share = b.metre > a.metre ? (p.metre - a.metre) / (b.metre - a.metre) : 0;
  double speed = std::abs(a.kmh + (b.kmh - a.kmh) * share - p.kmh) / kRunSpeedTolerance;
  double time = std::abs(a.clockS + (b.clockS - a.clockS) * share - p.clockS) / kRunTimeTolerance;
  return std::max(speed, time);
}

// Where the leg leaving stop `i` starts on the clock: its scheduled time, else the previous leg's
// arrival plus the shortest stand, else the start of the day's count.
double departure(const std::vector<Stop>& stops, std::size_t i, double previousArrival, double dwell) {
  if (stops[i].timeS) return *stops[i].timeS;
  return i == 0 ? 0.0 : previousArrival + dwell;
}

}  // namespace

std::vector<RunPoint> thinRun(const std::vector<RunPoint>& run) {
  if (run.size() < 3) return run;
  // Douglas-Peucker without recursion: keep the point farthest from the chord while it is out of bounds.
  std::vector<bool> keep(run.size(), false);
  keep.front() = keep.back() = true;
  std::vector<std::pair<std::size_t, std::size_t>> open = {{0, run.size() - 1}};
  while (!open.empty()) {
    auto [a, b] = open.back();
    open.pop_back();
    double worst = 1;
    std::size_t at = a;
    for (std::size_t i = a + 1; i < b; ++i) {
      double d = deviation(run[a], run[b], run[i]);
      if (d > worst) worst = d, at = i;
    }
    if (at == a) continue;
    keep[at] = true;
    open.push_back({a, at});
    open.push_back({at, b});
  }
  std::vector<RunPoint> out;
  for (std::size_t i = 0; i < run.size(); ++i) {
    if (keep[i]) out.push_back(run[i]);
  }
  return out;
}

PlotRun makePlotRun(const PlotInput& in, const std::vector<double>& curvature) {
  PlotRun r;
  running_time::TimetableSettings settings;
  settings.recordRuns = true;
  try {
    running_time::Train train = running_time::defaultScenarioTrain(running_time::scenarioCars(in.table));
    running_time::CompiledScenario scenario{in.cells, in.table, curvature};
    r.timetable = running_time::scenarioTimetable(train, scenario, settings);
  } catch (const running_time::TrainError& e) {
    r.problem = std::string("the default train cannot be made: ") + e.what();
    return r;
  }
  const std::vector<Stop>& stops = r.timetable.stops;
  double arrival = 0;
  for (TimetableSection& s : r.timetable.sections) {
    if (s.spansStops) continue;
    double start = departure(stops, s.from, arrival, settings.minimumDwellS);
    std::vector<RunPoint> leg;
    for (const running_time::RunSample& p : s.run) {
      leg.push_back({stops[s.from].positionM + p.sM, p.vMs * 3.6, start + p.tS});
    }
    arrival = leg.empty() ? start : leg.back().clockS;
    for (const RunPoint& p : thinRun(leg)) r.points.push_back(p);
    s.run = {};
  }
  return r;
}

}  // namespace pack
