#include "running_time/train.h"

#include <algorithm>
#include <limits>

namespace pack::running_time {

double Train::tractiveEffortAt(double v) const {
  if (v < 0 || tractiveEffort.empty()) return 0;
  auto above = std::upper_bound(tractiveEffort.begin(), tractiveEffort.end(), v,
                                [](double speed, const std::pair<double, double>& row) { return speed < row.first; });
  if (above == tractiveEffort.end()) return tractiveEffort.back().second;
  if (above == tractiveEffort.begin()) return above->second;
  auto below = above - 1;
  double share = (v - below->first) / (above->first - below->first);
  return below->second + share * (above->second - below->second);
}

double Train::poweredResistance(double v) const {
  double air = (v + kHeadWind) / kReferenceSpeed;
  return kGravity / 1000.0 * (fTd0 * drivenMassKg + fTc0 * carriedMassKg + fT2 * poweredMassKg * air * air);
}

double Train::carsResistance(double v) const {
  if (passenger) {
    double air = (v + kHeadWind) / kReferenceSpeed;
    return carsMassKg * kGravity / 1000.0 * (fW0 + fW1 * v / kReferenceSpeed + fW2 * air * air);
  }
  double ratio = v / kReferenceSpeed;
  return carsMassKg * kGravity / 1000.0 * (fW0 + fW2 * ratio * ratio);
}

Train assembleTrain(const RollingStock& stock) {
  Train t;
  t.name = stock.trainName;
  const Vehicle* powered = nullptr;
  for (const Vehicle& v : stock.formation) {
    if (!isPowered(v.type)) continue;
    if (powered) throw TrainError("the formation has more than one powered vehicle (" + powered->id + ", " + v.id + ")");
    powered = &v;
  }
  if (!powered) throw TrainError("the formation has no traction unit or multiple unit");
  if (powered->tractiveEffort.empty()) throw TrainError("the powered vehicle " + powered->id + " has no tractive effort");

  double emptyMass = 0, rotating = 0;
  t.maxSpeedMs = std::numeric_limits<double>::infinity();
  t.passenger = powered->type == VehicleType::kMultipleUnit;
  t.multipleUnit = t.passenger;
  for (const Vehicle& v : stock.formation) {
    t.lengthM += v.lengthM;
    t.massKg += (v.massT + v.loadLimitT) * 1000.0;
    emptyMass += v.massT * 1000.0;
    double xi = v.rotationMass > 0 ? v.rotationMass : isPowered(v.type) ? kRotationMassPowered : kRotationMassCar;
    rotating += xi * v.massT * 1000.0;
    if (v.speedLimitKmh > 0) t.maxSpeedMs = std::min(t.maxSpeedMs, v.speedLimitKmh / 3.6);
    if (v.type == VehicleType::kPassenger) t.passenger = true;
    if (&v == powered) continue;
    ++t.cars;
    t.carsMassKg += (v.massT + v.loadLimitT) * 1000.0;
    t.fW0 += v.baseResistance;
    t.fW1 += v.rollingResistance;
    t.fW2 += v.airResistance;
  }
  if (t.cars > 0) {
    t.fW0 /= t.cars;
    t.fW1 /= t.cars;
    t.fW2 /= t.cars;
  }
  if (!(t.maxSpeedMs < std::numeric_limits<double>::infinity())) throw TrainError("no vehicle gives a speed limit");
  t.rotationFactor = emptyMass > 0 ? rotating / emptyMass : 1.0;
  t.poweredMassKg = powered->massT * 1000.0;
  t.drivenMassKg = powered->massTractionT * 1000.0;
  t.carriedMassKg = t.poweredMassKg - t.drivenMassKg;
  t.fTd0 = powered->baseResistance;
  t.fTc0 = powered->rollingResistance;
  t.fT2 = powered->airResistance;
  t.brakingMs2 = powered->brakingMs2 < 0 ? -powered->brakingMs2 : t.passenger ? kBrakingPassenger : kBrakingFreight;
  for (const auto& [kmh, newton] : powered->tractiveEffort) t.tractiveEffort.emplace_back(kmh / 3.6, newton);
  return t;
}

}  // namespace pack::running_time
