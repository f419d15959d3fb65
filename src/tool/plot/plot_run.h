// What the pictures draw of the scenario's train: the timetable as the `timetable` command works it out
// (the default train with the scenario's coaches, the default settings) and the fastest run stop to
// stop as one line of points along the track, its clock starting at each stop's scheduled time.
#pragma once

#include <string>
#include <vector>

#include "running_time/scenario_timetable.h"

namespace pack {

struct PlotInput;

struct RunPoint {
  double metre = 0;
  double kmh = 0;
  double clockS = 0;  // seconds after midnight, or after the first departure when no stop has a time
};

struct PlotRun {
  running_time::Timetable timetable;  // the sections' own run points dropped
  std::vector<RunPoint> points;       // the fastest run, each leg from rest to rest, thinned
  std::string problem;                // why there is no timetable (the train cannot be made), else empty
};

// Speed within this of the thinned line everywhere (km/h): finer than a pixel of the tallest panel.
inline constexpr double kRunSpeedTolerance = 0.1;
// Time within this (seconds) on the thinned line.
inline constexpr double kRunTimeTolerance = 0.2;

// `curvature` per cell, empty without a plan.
PlotRun makePlotRun(const PlotInput& input, const std::vector<double>& curvature);

// The points of `run` that linear interpolation between them needs to stay within the tolerances.
std::vector<RunPoint> thinRun(const std::vector<RunPoint>& run);

}  // namespace pack
