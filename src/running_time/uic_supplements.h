// The running-time supplement a timetable adds to the technical minimum (UIC leaflet 451-1, as commonly
// transcribed): minutes per 100 km plus a percentage by kind of train, its top speed and its mass.
#pragma once

#include "running_time/train.h"

namespace pack::running_time {

struct SupplementRule {
  double secondsPer100Km = 0;
  double percent = 0;
  // The supplement for a section of `distanceM` whose technical minimum is `minimumS`.
  double seconds(double minimumS, double distanceM) const {
    return minimumS * percent / 100.0 + secondsPer100Km * distanceM / 100000.0;
  }
};

// Locomotive-hauled passenger trains: 1.5 min per 100 km and 3 to 7 % by speed and mass; multiple units
// 1 min and the lightest row's percentage; freight trains 1 min and 3 %.
SupplementRule recommendedSupplement(const Train& train);

}  // namespace pack::running_time
