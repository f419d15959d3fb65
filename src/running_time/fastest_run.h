// The fastest run of a train from rest to rest over a line: full traction up to the limit, cruising at
// it, braking at a constant deceleration back from every lower limit and from the stop. The line is
// given as sections; the front of the train decides the gradient, the whole length the limit (a
// higher limit is taken only once the rear has left the lower one). Integrated over distance in steps
// of 20 m with the acceleration of each step's start, the scheme the published running times use.
#pragma once

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "running_time/train.h"

namespace pack::running_time {

// One stretch of line, from its start to the next section's start (the last one to the line's end).
struct LineSection {
  double startM = 0;
  double limitMs = 0;           // the line's limit; the train's own limit is applied by the run
  double gradientPerMille = 0;  // uphill positive, curve resistance included where wanted
  double tractionLimitN = std::numeric_limits<double>::infinity();  // what the adhesion allows
};

struct PointOfInterest {
  double frontM = 0;  // where the front stands when the point is passed
  std::string label;
};

struct Line {
  std::vector<LineSection> sections;  // ascending starts, the first at 0
  double endM = 0;                    // the stop
  std::vector<PointOfInterest> points;
};

struct RunOptions {
  double stepM = 20;
  // The driver is down to a lower limit this far before it starts (0: exactly at it).
  double driverMarginM = 0;
  // Keep every integration point in RunResult::trace, for drawing the run.
  bool recordTrace = false;
};

struct PointPassage {
  std::string label;
  double sM = 0;
  double tS = 0;
  double vMs = 0;
};

struct RunSample {
  double sM = 0;
  double tS = 0;
  double vMs = 0;
};

struct RunResult {
  double totalS = 0;
  double topSpeedMs = 0;
  std::vector<PointPassage> points;  // in the order of the line's points
  std::vector<RunSample> trace;      // from the start to the stop, when asked for
};

// A run that cannot be made: a limit of 0, a line without length, or a train too weak for a gradient.
class RunError : public std::runtime_error {
 public:
  RunError(const std::string& what, double atM) : std::runtime_error(what), atM(atM) {}
  double atM;
};

RunResult fastestRun(const Train& train, const Line& line, const RunOptions& options = {});

// The line as the driver treats it: every lower limit brought forward by `marginM`.
Line withDriverMargin(const Line& line, double marginM);

}  // namespace pack::running_time
