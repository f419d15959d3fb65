#include "tool/commands/path_scenario.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "compiler/cell_codec.h"
#include "compiler/rounding.h"

namespace pack {
namespace {

using running_time::RunningPath;

// The path's rows as [start, end) stretches, the last row marking the end.
struct Stretch {
  double from, to, limitKmh, gradient;
};

std::vector<Stretch> stretchesOf(const RunningPath& path) {
  std::vector<Stretch> out;
  for (std::size_t i = 0; i + 1 < path.sections.size(); ++i) {
    const RunningPath::Row& r = path.sections[i];
    if (path.sections[i + 1].stationM > r.stationM) {
      out.push_back({r.stationM - path.sections.front().stationM, path.sections[i + 1].stationM - path.sections.front().stationM,
                     r.limitKmh, r.gradientPerMille});
    }
  }
  if (out.empty()) throw std::invalid_argument("the path has no length");
  return out;
}

void addEntry(std::vector<PathEntry>& entries, std::int32_t metre, int value) {
  if (entries.empty() || entries.back().value != value) entries.push_back({metre, value});
}

}  // namespace

RoundedPath roundPath(const RunningPath& path) {
  const std::vector<Stretch> stretches = stretchesOf(path);
  const double end = stretches.back().to;
  RoundedPath out;
  out.length = roundHalfEven<std::int32_t>(end / kCellLength) * kCellLength;
  if (out.length <= 0) throw std::invalid_argument("the path is shorter than a cell");
  double realHeight = 0, roundedHeight = 0;  // metres at the current cell's start
  std::size_t first = 0;                      // the first stretch reaching into the cell
  for (std::int32_t cell = 0; cell * kCellLength < out.length; ++cell) {
    const double a = cell * kCellLength, b = a + kCellLength;
    while (first + 1 < stretches.size() && stretches[first].to <= a) ++first;
    double rise = 0, lowest = std::numeric_limits<double>::infinity(), highest = 0;
    for (std::size_t k = first; k < stretches.size() && stretches[k].from < b; ++k) {
      const Stretch& s = stretches[k];
      double overlap = std::min(b, s.to) - std::max(a, s.from);
      if (overlap <= 0) continue;
      rise += s.gradient * overlap / 1000;
      lowest = std::min(lowest, s.limitKmh);
      highest = std::max(highest, s.limitKmh);
    }
    if (!std::isfinite(lowest)) {  // past the real end, within the last half cell: the last stretch's
      lowest = highest = stretches.back().limitKmh;
      rise = stretches.back().gradient * kCellLength / 1000;
    }
    const double target = realHeight + rise;
    // The gradient that brings the rounded line nearest the real one at the cell's end.
    int gradient = roundHalfEven<int>((target - roundedHeight) * 1000 / kCellLength);
    int speed = static_cast<int>(std::floor(lowest / codec::kSpeedStep + 1e-9)) * codec::kSpeedStep;
    if (speed <= 0) {
      throw std::invalid_argument("the limit " + std::to_string(lowest) + " km/h at " + std::to_string(static_cast<long long>(a)) +
                                  " m is below the lowest speed the cells keep (" + std::to_string(codec::kSpeedStep) + " km/h)");
    }
    out.largestGradientMove = std::max(out.largestGradientMove, std::abs(gradient - rise * 1000 / kCellLength));
    out.largestSpeedMove = std::max(out.largestSpeedMove, highest - speed);
    roundedHeight += gradient * kCellLength / 1000.0;
    realHeight = target;
    addEntry(out.gradients, static_cast<std::int32_t>(a), gradient);
    addEntry(out.speeds, static_cast<std::int32_t>(a), speed);
  }
  // The real height at the path's own end, not at the grid's.
  double realEnd = 0;
  for (const Stretch& s : stretches) realEnd += s.gradient * (s.to - s.from) / 1000;
  out.heightMoveAtEnd = roundedHeight - realEnd;
  return out;
}

running_time::Line roundedLine(const RoundedPath& rounded) {
  running_time::Line line;
  line.endM = rounded.length;
  std::size_t g = 0, v = 0;
  for (std::int32_t m = 0; m < rounded.length; m += kCellLength) {
    while (g + 1 < rounded.gradients.size() && rounded.gradients[g + 1].metre <= m) ++g;
    while (v + 1 < rounded.speeds.size() && rounded.speeds[v + 1].metre <= m) ++v;
    line.sections.push_back({static_cast<double>(m), rounded.speeds[v].value / 3.6,
                             static_cast<double>(rounded.gradients[g].value)});
  }
  return line;
}

PathSources pathSources(const RoundedPath& rounded) {
  // The first terminus's 300 m platform is centred on 0, its stop point 100 m on; the second's stops at
  // the path's end.
  const std::int32_t secondStation = kPathLeadIn + rounded.length - 100;
  const std::int32_t routeLength = secondStation + 500;
  PathSources s;
  s.route = {"[generale]",
             "lunghezza percorso,    " + std::to_string(routeLength),
             "progressiva chilometrica uno,    0,    0,    0",
             "progressiva chilometrica due,    0,    0,    0",
             "progressiva chilometrica tre,    0,    0,    0",
             "sfondo uno,    0",
             "sfondo due,    1",
             "sfondo tre,    0",
             "ripetizione segnali 4 codici,    0    ,0",
             "[curve]",
             "[pendenze]"};
  // Before the path's start, the path's first gradient and limit.
  s.route.push_back("pendenza,  0,   " + std::to_string(rounded.gradients.front().value));
  for (const PathEntry& e : rounded.gradients) {
    if (e.metre == 0) continue;
    s.route.push_back("pendenza,  " + std::to_string(kPathLeadIn + e.metre) + ",   " + std::to_string(e.value));
  }
  s.route.insert(s.route.end(), {"[montagne]", "[cartelli]", "[indicazioni]", "[fine]"});
  s.trainRun = {"[generale]", "numero vetture,    4", "percentuale massa frenata,    110", "sabbia,    120",
                "orologio,    0              0            0 ", "[aderenze]", "aderenza,   0,    100", "[vel_limite]"};
  s.trainRun.push_back("velocita,       0,    " + std::to_string(rounded.speeds.front().value));
  for (const PathEntry& e : rounded.speeds) {
    if (e.metre == 0) continue;
    s.trainRun.push_back("velocita,    " + std::to_string(kPathLeadIn + e.metre) + ",    " + std::to_string(e.value));
  }
  s.trainRun.insert(s.trainRun.end(),
                    {"[stazioni]", "stazione,       0, 12,  300,  1, 0, 0,  4,1,0,  2,1,1,    1,   0,0, 0, PARTENZA",
                     "stazione,    " + std::to_string(secondStation) + ",  1,  300,  0, 0, 0,  1,1,0,  2,1,1,    0,   0,0, 0, ARRIVO",
                     "[rallentamenti]", "[segnali]", "[codici]", "[fine]"});
  return s;
}

}  // namespace pack
