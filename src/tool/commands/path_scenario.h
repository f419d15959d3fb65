// A scenario started from an open running-path file: the path's gradients become the route's gradient
// entries and its limits the train run's speed profile, on the 50 m grid, in whole per mille and in the
// speed steps the compiled cells keep, with a terminus at each end of the path. Rounding carries each
// cell's height error into the next (error diffusion), so that over every stretch the line climbs as
// much as the real one, and takes each cell's limit at or below the real one everywhere in the cell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "running_time/fastest_run.h"
#include "running_time/railtoolkit_files.h"
#include "running_time/train.h"

namespace pack {

struct PathEntry {
  std::int32_t metre = 0;  // along the path, a multiple of 50
  int value = 0;
};

struct RoundedPath {
  std::vector<PathEntry> gradients;  // per mille, where the value changes
  std::vector<PathEntry> speeds;     // km/h, where the value changes
  std::int32_t length = 0;           // the path's end on the grid: where the second terminus stops
  double largestGradientMove = 0;    // per mille: a cell's gradient against the real mean over it
  double largestSpeedMove = 0;       // km/h: the real limit above the cell's, at worst
  double heightMoveAtEnd = 0;        // metres, rounded minus real, at the path's end
};

// Throws std::invalid_argument for a path without length or with a limit below the lowest step.
RoundedPath roundPath(const running_time::RunningPath& path);

// The rounded path as the engine reads a line, positions along the path.
running_time::Line roundedLine(const RoundedPath& rounded);

// Where the path's start stands in the scenario: the first terminus's stop point.
inline constexpr std::int32_t kPathLeadIn = 100;

// The two sources' lines (route, train run) of a scenario over the rounded path, its clock and times
// left at zero for the author.
struct PathSources {
  std::vector<std::string> route;
  std::vector<std::string> trainRun;
};
PathSources pathSources(const RoundedPath& rounded);

}  // namespace pack
