// The train a scenario runs when no other is named: trains/regional_loco_hauled.yaml, built into the
// program so that the tool needs no file beside it.
#pragma once

#include <string_view>

#include "running_time/train.h"

namespace pack::running_time {

inline constexpr std::string_view kDefaultTrainName = "trains/regional_loco_hauled.yaml";
std::string_view defaultTrainFile();

// The default train with `cars` coaches.
Train defaultScenarioTrain(int cars);

}  // namespace pack::running_time
