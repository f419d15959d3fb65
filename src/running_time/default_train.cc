#include "running_time/default_train.h"

#include <string>

#include "running_time/railtoolkit_files.h"
#include "running_time/scenario_timetable.h"

namespace pack::running_time {

Train defaultScenarioTrain(int cars) {
  return assembleTrain(withCars(readRollingStock(defaultTrainFile(), std::string(kDefaultTrainName)), cars));
}

}  // namespace pack::running_time
