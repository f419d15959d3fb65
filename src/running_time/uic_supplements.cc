#include "running_time/uic_supplements.h"

namespace pack::running_time {
namespace {

// Rows by mass (up to 300, 500, 700 t, heavier), columns by top speed (up to 140, 160, 200 km/h,
// faster). The leaflet gives no figure above 200 km/h for 301 to 700 t: the heaviest row's 7 % is used.
constexpr double kPercent[4][4] = {{3, 3, 4, 5}, {4, 4, 5, 7}, {4, 5, 6, 7}, {5, 5, 6, 7}};

int speedColumn(double kmh) { return kmh <= 140.5 ? 0 : kmh <= 160.5 ? 1 : kmh <= 200.5 ? 2 : 3; }
int massRow(double tonnes) { return tonnes <= 300.5 ? 0 : tonnes <= 500.5 ? 1 : tonnes <= 700.5 ? 2 : 3; }

}  // namespace

SupplementRule recommendedSupplement(const Train& train) {
  int column = speedColumn(train.maxSpeedMs * 3.6);
  if (!train.passenger) return {60, 3};
  if (train.multipleUnit) return {60, kPercent[0][column]};
  return {90, kPercent[massRow(train.massKg / 1000.0)][column]};
}

}  // namespace pack::running_time
