// A compiled scenario's train over its line, stop to stop: the technical minimum running time of each
// section (the fastest run from rest to rest), the scheduled time from the stations' times, the
// supplement the timetable leaves and the one UIC 451-1 recommends, and a verdict. Works on the compiled
// cells and table alone (through the cell codec), so a decompiled or downloaded scenario is read as well
// as a freshly compiled one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "compiler/model.h"
#include "running_time/etcs_braking.h"
#include "running_time/fastest_run.h"
#include "running_time/train.h"
#include "running_time/uic_supplements.h"

namespace pack::running_time {

struct CompiledScenario {
  std::span<const TrackCell> cells;
  std::span<const ScenarioRecord, kTableRows> table;
  std::vector<double> curvature;  // per cell, radians per metre; empty without a plan
};

struct TimetableSettings {
  // Off: curves as equivalent gradient, tractive effort within the adhesion, the service brake of the
  // conversion model from the scenario's braked-mass percentage, and a driver who reaches a lower limit
  // early. On: none of these, constant braking from the train file (the model of the published runs).
  bool referenceModel = false;
  double stepM = 20;
  BrakeUse brake = BrakeUse::kService;
  double driverMarginM = 100;
  double adhesionCoefficient = 0.25;  // dry rail, scaled by the scenario's adhesion per cent
  double minimumDwellS = 30;          // at a stop inside a section that spans stops without a time
  bool recordRuns = false;            // keep each stop-to-stop run's points, for drawing
};

enum class Verdict { kNone, kImpossible, kTight, kOk, kPadded, kCannotRun };
const char* verdictName(Verdict v);  // "impossible", "tight", "ok", "padded", "cannot run", ""

struct Stop {
  int row = 0;
  std::string name;  // UTF-8
  double positionM = 0;  // where the front stops
  std::optional<std::int32_t> timeS;  // seconds after midnight
};

struct TimetableSection {
  std::size_t from = 0, to = 0;  // stops
  bool spansStops = false;       // from one time to the next past stops without a time
  double distanceM = 0;
  std::optional<double> scheduledS;
  std::optional<double> minimumS;   // nothing when the train cannot run it
  double recommendedS = 0;          // UIC 451-1 supplement
  Verdict verdict = Verdict::kNone;
  std::string problem;              // why the train cannot run it
  double topSpeedMs = 0;
  std::vector<RunSample> run;       // the fastest run from `from`, when recorded (not for spanning ones)

  std::optional<double> supplementPercent() const;
  std::optional<double> recommendedPercent() const;
};

struct Timetable {
  Train train;
  double brakingMs2 = 0;
  std::optional<double> brakedMassPercent;  // the scenario's, when braking comes from it
  SupplementRule supplement;
  std::vector<Stop> stops;
  std::vector<TimetableSection> sections;
  std::vector<std::string> notes;
};

// The default train with the scenario's number of coaches in place of its own cars (of the first car's
// kind); a formation without cars stays as it is.
RollingStock withCars(RollingStock stock, int cars);

// The scenario's coaches (row 84's number C) and braked-mass percentage (its number A).
int scenarioCars(std::span<const ScenarioRecord, kTableRows> table);
double scenarioBrakedMass(std::span<const ScenarioRecord, kTableRows> table);

// The stations where the train stops (types that place a stop point), in table order.
std::vector<Stop> scenarioStops(const CompiledScenario& scenario);

// The line from the front's stop at `fromM` to the stop at `toM`, positions from `fromM`.
Line scenarioLine(const CompiledScenario& scenario, const Train& train, double fromM, double toM,
                  const TimetableSettings& settings);

Timetable scenarioTimetable(const Train& train, const CompiledScenario& scenario, const TimetableSettings& settings);

// "1:02:03"; negative times with a minus sign.
std::string clockText(double seconds);

}  // namespace pack::running_time
