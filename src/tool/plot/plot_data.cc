#include "tool/plot/plot_data.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "compiler/cell_codec.h"
#include "compiler/rounding.h"
#include "formats/cp1252.h"
#include "tool/check/placement_log.h"

namespace pack {
namespace {

using namespace codec;

bool hasPoint(const PlanPoint& p) { return p.x.tag != PlanTag::kEmpty && p.y.tag != PlanTag::kEmpty; }

// The placements the compile reports for the sources beside the compiled files; none without them.
PlacementLog placementsOf(const PlotInput& in) {
  auto present = [](const std::string& text) { return text.empty() ? std::nullopt : std::optional<std::string_view>(text); };
  if (in.routeSource.empty()) return {};
  return tracePlacements(present(in.routeSource), present(in.trainSource), !in.plan.empty());
}

SourceRef sourceRef(const PlacementLog::Origin& origin) {
  if (!origin.known()) return {};
  return {origin.source == SourceKind::kRoute ? 0 : 1, origin.line};
}

// The entry whose value each cell of a profile holds.
std::vector<SourceRef> profileSources(const PlacementLog& log, ProfileLane lane, std::size_t cells) {
  std::vector<SourceRef> refs(cells);
  for (std::size_t i = 0; i < cells; ++i) refs[i] = sourceRef(log.profileAt(lane, i));
  return refs;
}

void addFeatures(PlotData& data, const PlotInput& in, const PlacementLog& log) {
  std::size_t n = in.cells.size();
  // The entry that placed the cell's feature, as the compile reports it.
  auto sourceAt = [&](std::size_t cell) -> SourceRef {
    const PlacementLog::Placement* p = log.at(static_cast<std::int64_t>(cell));
    return p != nullptr && p->kind == in.cells[cell].kind ? sourceRef(p->origin) : SourceRef{};
  };
  for (std::size_t i = 0; i < n; ++i) {
    const TrackCell& c = in.cells[i];
    PlotFeature f{static_cast<CellKind>(c.kind), i, cellMetre(i), "", cellFeatureText(c, i, &in.table), {}};
    switch (c.kind) {
      case kSignal: {
        f.metre = placedMetre(i);
        std::optional<SignalCells> kinds = decodeSignalKinds(c.value4);
        f.label = !kinds ? "signal" : kinds->left != SignalKind::kNone ? std::string(signalKindName(kinds->left))
                                                                       : std::string(signalKindName(kinds->right));
        f.source = sourceAt(i);
        break;
      }
      case kSpeedBoard:
        f.metre -= kCellLength;
        f.label = std::to_string(decodeBoardSpeeds(c.value1).first) + " km/h";
        f.source = sourceAt(i);
        break;
      case kTextBoard: {
        f.metre -= kCellLength;
        int row = c.value1;
        f.label = row >= 0 && row < kTableRows ? cp1252ToUtf8(in.table[static_cast<std::size_t>(row)].text) : "?";
        f.source = sourceAt(i);
        break;
      }
      case kSlowDownStart:
      case kSlowDownWarning:
        f.metre -= kCellLength;
        f.label = (c.kind == kSlowDownStart ? "slow-down " : "warning ") + std::to_string(decodeSlowDownSpeed(c)) + " km/h";
        if (c.kind == kSlowDownStart) f.source = sourceAt(i);
        break;
      case kSlowDownEnd:
        f.metre -= kCellLength;
        f.label = "end";
        break;
      case kCodePoint:
      case kCodePointNoValue:
        f.label = c.kind == kCodePoint ? std::to_string(c.value1) : "-";
        f.source = sourceAt(i);
        if (!f.source.known()) f.detail += " (added by the compile)";
        break;
      case kStopPoint:
        f.label = "stop";
        break;
      default:
        continue;
    }
    data.features.push_back(std::move(f));
  }
}

void addStations(PlotData& data, const PlotInput& in, const PlacementLog& log) {
  for (const Station& station : stations(in.table)) {
    data.stations.push_back({station, station.position > data.routeLength, sourceRef(log.rowAt(station.row))});
  }
}

}  // namespace

int curveClass(double curvature) { return codec::nearestCurveClass(curvature); }

std::vector<Run> runs(const std::vector<int>& values, std::size_t count) {
  std::vector<Run> list;
  for (std::size_t i = 0; i < count && i < values.size(); ++i) {
    if (!list.empty() && list.back().value == values[i] && list.back().last + 1 == i) {
      list.back().last = i;
    } else {
      list.push_back({i, i, values[i]});
    }
  }
  return list;
}

double niceStep(double span, int maxLabels) {
  if (!(span > 0) || maxLabels < 1) return 1;
  double raw = span / maxLabels;
  double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * power >= raw) return m * power;
  }
  return 10 * power;
}

std::optional<std::string> planMismatch(std::size_t planMetres, std::size_t cellCount, std::int32_t routeLength,
                                        std::optional<std::int64_t> planOlderBy) {
  if (planMetres == 0 || cellCount == 0) return std::nullopt;
  std::int64_t planTrack = static_cast<std::int64_t>(planMetres) - 1;
  std::int64_t cellTrack = static_cast<std::int64_t>(roundHalfEvenValue(static_cast<double>(planTrack) / kCellLength));
  std::int64_t tableTrack = std::int64_t{routeLength} + kTrackExtension;
  if (cellTrack != static_cast<std::int64_t>(cellCount) - 1) {
    return "the plan covers " + std::to_string(planTrack) + " m, but the track cell file has " +
           std::to_string(cellCount) + " cells (" + std::to_string((cellCount - 1) * kCellLength) + " m)";
  }
  if (planTrack != tableTrack) {
    return "the plan covers " + std::to_string(planTrack) + " m, but the route is " + std::to_string(routeLength) +
           " m long (" + std::to_string(tableTrack) + " m with the run-out)";
  }
  // The compile writes the plan first and the cell file last, moments apart.
  constexpr std::int64_t kSameCompile = 60 * 1000;
  if (planOlderBy && *planOlderBy > kSameCompile) {
    return "the plan file is " + std::to_string(*planOlderBy / 1000) +
           " s older than the track cell file: it was left by an earlier compile";
  }
  return std::nullopt;
}

PlotData makePlotData(const PlotInput& in) {
  PlotData d;
  d.title = in.title;
  d.sourcesNewer = in.sourcesNewer;
  d.routeLength = in.table[kRowTrain].numberB;
  d.kilometres = KilometreScale(in.table, in.cells);
  std::size_t n = in.cells.size();
  d.trackLength = static_cast<std::int64_t>(n) * kCellLength;
  // The profile completion stops three cells before the end; those cells hold zeros, not data.
  d.profileCells = n >= 3 ? n - 3 : 0;
  for (const TrackCell& c : in.cells) {
    d.speed.push_back(decodeSpeed(c.speedLimit));
    d.gradient.push_back(decodeGradient(c.gradient));
    d.adhesion.push_back(decodeAdhesion(c.adhesion));
    d.mountain.push_back(decodeMountainType(c.mountainKind));
  }
  d.effectiveSpeed = effectiveSpeeds(in.cells);
  double level = 0;
  for (std::size_t i = 0; i < n; ++i) {
    d.elevation.push_back(level);
    if (i < d.profileCells) level += d.gradient[i] * kCellLength / 1000.0;
  }
  if (!in.plan.empty()) {
    d.curvature = cellCurvatures(in.plan, n);
    std::size_t step = std::max<std::size_t>(1, in.plan.size() / 6000);
    for (std::size_t m = 0; m < in.plan.size(); m += step) {
      if (hasPoint(in.plan[m])) d.plan.push_back({static_cast<std::int64_t>(m), in.plan[m].x.value, in.plan[m].y.value});
    }
    // The last point with coordinates, so the drawn line reaches the end.
    for (std::size_t m = in.plan.size(); m-- > 0;) {
      if (!hasPoint(in.plan[m])) continue;
      if (d.plan.empty() || d.plan.back().metre != static_cast<std::int64_t>(m)) {
        d.plan.push_back({static_cast<std::int64_t>(m), in.plan[m].x.value, in.plan[m].y.value});
      }
      break;
    }
  }
  const PlacementLog log = placementsOf(in);
  d.speedSource = profileSources(log, ProfileLane::kSpeed, n);
  d.adhesionSource = profileSources(log, ProfileLane::kAdhesion, n);
  d.gradientSource = profileSources(log, ProfileLane::kGradient, n);
  d.sourceNames = {in.routeSourceName, in.trainSourceName};
  addStations(d, in, log);
  addFeatures(d, in, log);
  d.run = makePlotRun(in, d.curvature);
  return d;
}

}  // namespace pack
