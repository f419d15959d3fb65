// What the plots draw, worked out once from the compiled files (and the sources when they lie beside
// them): the profiles per cell in real units, the effective speed with the slow-downs, the curvature
// from the plan, the stations, the point features with their words, and where each came from.
// The static SVG and the interactive viewer both draw from this.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/model.h"
#include "tool/describe/scenario_facts.h"
#include "tool/plot/plot_run.h"

namespace pack {

struct PlotInput {
  std::vector<PlanPoint> plan;  // empty when the scenario has no plan file
  std::vector<TrackCell> cells;
  ScenarioTable table;
  std::string title;        // UTF-8
  std::string routeSource;  // the sources' bytes when they lie beside the compiled files, else empty
  std::string trainSource;
  std::string routeSourceName;  // for the "file:line" of a feature
  std::string trainSourceName;
  bool sourcesNewer = false;  // a source beside the compiled files was written after them
};

// Said by plot and on the page when the sources were saved after the compile the drawing comes from.
inline constexpr std::string_view kSourcesNewerNote =
    "the sources are newer than the compiled files; compile them again to see the edits";

// A line of one of the two sources; `file` 0 is the route description, 1 the train run description.
struct SourceRef {
  int file = -1;
  std::size_t line = 0;
  bool known() const { return file >= 0; }
};

struct PlotFeature {
  CellKind kind;  // the cell's kind: its name and drawing lane are in the codec's kinds table
  std::size_t cell = 0;
  std::int64_t metre = 0;  // where the author placed it (a signal stands one cell after its position)
  std::string label;       // short: "warning", "65 km/h", the board's text
  std::string detail;      // the whole description, as inspect gives it
  SourceRef source;
};

struct PlotStation {
  Station station;
  bool beyondEnd = false;  // placed in the run-out after the route's end
  SourceRef source;
};

// A stretch of cells with one value: cells [first, last].
struct Run {
  std::size_t first = 0;
  std::size_t last = 0;
  int value = 0;
};

struct PlotData {
  std::string title;
  std::int64_t routeLength = 0;   // metres, from the scenario table
  std::int64_t trackLength = 0;   // metres covered by the cells
  std::size_t profileCells = 0;   // cells whose profile values were filled (the last three are not)
  KilometreScale kilometres;
  std::vector<PlotStation> stations;
  std::vector<PlotFeature> features;
  std::vector<int> speed;          // km/h per cell
  std::vector<int> effectiveSpeed; // km/h per cell, the line speed lowered by slow-downs
  std::vector<int> gradient;       // per mille per cell
  std::vector<int> adhesion;       // per cent per cell
  std::vector<int> mountain;       // scenery type per cell
  std::vector<double> elevation;   // metres at the start of each cell, relative to the start
  std::vector<double> curvature;   // per metre, right positive, per cell (empty without a plan)
  std::vector<SourceRef> speedSource, gradientSource, adhesionSource;  // the line in force per cell
  // The plan thinned to at most a few thousand points: metre, x, y.
  struct PlanSample {
    std::int64_t metre;
    double x;
    double y;
  };
  std::vector<PlanSample> plan;
  PlotRun run;  // the scenario's train over the line: the fastest run and the timetable's sections
  std::array<std::string, 2> sourceNames;  // file names of the route and train run descriptions
  bool sourcesNewer = false;

  bool hasPlan() const { return !plan.empty(); }
  // "NAME_linea.txt:214", or empty when the line is not known.
  std::string sourcePlace(const SourceRef& ref) const {
    if (!ref.known()) return {};
    return sourceNames[static_cast<std::size_t>(ref.file)] + ":" + std::to_string(ref.line);
  }
};

PlotData makePlotData(const PlotInput& input);

// The curve class of a curvature (1 to 6, the codec's classes), 0 when straight.
int curveClass(double curvature);

// Runs of equal values, for drawing step lines and bands.
std::vector<Run> runs(const std::vector<int>& values, std::size_t count);

// A "nice" step for an axis: 1, 2 or 5 times a power of ten, so that `span` / step is at most `maxLabels`.
double niceStep(double span, int maxLabels);

// Why a plan file does not belong to the track cell file, or nothing when it does. `planOlderBy` is how
// many seconds older the plan file is than the cell file, when known.
std::optional<std::string> planMismatch(std::size_t planMetres, std::size_t cellCount, std::int32_t routeLength,
                                        std::optional<std::int64_t> planOlderBy);

}  // namespace pack
