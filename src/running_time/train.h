// A train as the running-time model sees it: the rolling stock's vehicles assembled into one mass
// point with its forces. SI units throughout (m, s, m/s, kg, N); the rolling-stock files' km/h, t and
// per mille are converted once, where the train is assembled.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace pack::running_time {

inline constexpr double kGravity = 9.80665;           // m/s²
inline constexpr double kHeadWind = 15.0 / 3.6;       // m/s, added to the speed in the air resistance
inline constexpr double kReferenceSpeed = 100.0 / 3.6;  // m/s, the resistance laws' reference speed
inline constexpr double kRotationMassPowered = 1.09;  // when a vehicle gives none
inline constexpr double kRotationMassCar = 1.06;
inline constexpr double kBrakingPassenger = 0.375;    // m/s², when the powered vehicle gives none
inline constexpr double kBrakingFreight = 0.225;

enum class VehicleType { kTractionUnit, kMultipleUnit, kPassenger, kFreight };

// One vehicle as a rolling-stock file describes it, in the file's units.
struct Vehicle {
  std::string id;
  std::string name;
  VehicleType type = VehicleType::kPassenger;
  double lengthM = 0;
  double massT = 0;          // empty
  double loadLimitT = 0;
  double massTractionT = 0;  // on the driven axles
  double speedLimitKmh = 0;
  double brakingMs2 = 0;     // negative; 0 when not given
  double rotationMass = 0;   // 0 when not given
  double baseResistance = 0, rollingResistance = 0, airResistance = 0;  // per mille of the weight
  std::vector<std::pair<double, double>> tractiveEffort;               // km/h, N
};

inline bool isPowered(VehicleType t) { return t == VehicleType::kTractionUnit || t == VehicleType::kMultipleUnit; }

// A rolling-stock file's first train: its name and the vehicles of its formation, in order, each
// repeated as often as it stands there.
struct RollingStock {
  std::string trainName;
  std::vector<Vehicle> formation;
};

struct Train {
  std::string name;
  double lengthM = 0;
  double massKg = 0;            // loaded: inertia and gradient
  double poweredMassKg = 0;     // the powered vehicle, empty
  double drivenMassKg = 0;      // on its driven axles
  double carriedMassKg = 0;     // on its carrying axles
  double carsMassKg = 0;        // the cars, loaded
  double rotationFactor = 1;    // ξ
  double maxSpeedMs = 0;
  double brakingMs2 = 0;        // positive: the constant deceleration
  bool passenger = true;        // Sauthoff's law for the cars; Strahl's for freight
  bool multipleUnit = false;
  int cars = 0;
  double fTd0 = 0, fTc0 = 0, fT2 = 0;  // per mille, the powered vehicle
  double fW0 = 0, fW1 = 0, fW2 = 0;    // per mille, mean over the cars
  std::vector<std::pair<double, double>> tractiveEffort;  // m/s, N, ascending speed

  double tractiveEffortAt(double v) const;        // the table's largest effort, interpolated
  double poweredResistance(double v) const;       // N
  double carsResistance(double v) const;          // N
  double trainResistance(double v) const { return poweredResistance(v) + carsResistance(v); }
  double gradientResistance(double perMille) const { return perMille / 1000.0 * massKg * kGravity; }
};

// Thrown when a rolling stock cannot make a train (no powered vehicle, no tractive effort).
class TrainError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The formation as one mass point. Throws TrainError.
Train assembleTrain(const RollingStock& stock);

}  // namespace pack::running_time
