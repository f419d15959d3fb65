// What the two drawings of a scenario share, stated once: the panels along the line (in their order,
// with titles, heights and value axes), the colours, the legend, the lanes of the point features, the
// curve classes' radii, how ticks are spaced and how a kilometre post is written. The SVG draws from
// it directly; the interactive page receives it inside its data and draws from it too, so adding a
// panel is one row here plus its drawing code in each renderer.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tool/plot/plot_data.h"

namespace pack {

struct PanelDesign {
  std::string id;     // the drawing code's name for the panel
  std::string title;
  double height = 0;  // pixels
  std::string unit;   // of the value axis, empty when the panel has none
  int axisLabels = 0; // at most this many value labels
};

struct LegendEntry {
  std::string fill;  // a colour, or the run-out's pattern
  std::string text;
};

struct Palette {
  std::string signal = "#c62828", board = "#666", slowDown = "#ef6c00", codePoint = "#7b1fa2";
  std::string platform = "#1565c0", platformBeyond = "#bbb", stationText = "#0d3c73", beyondText = "#888";
  std::string stationGuide = "#90a4c0", elevation = "#5d8a2e", climbing = "#e57373", falling = "#81c784";
  std::string lineSpeed = "#888", effectiveSpeed = "#c62828", slowDownBand = "#ffe0b2", slowDownText = "#e65100";
  std::string adhesion = "#1565c0", grid = "#e6e6e6", frame = "#bbb", postText = "#777", routeEnd = "#000";
  std::string run = "#00838f", schedule = "#444";
  // A timetable section by its verdict: impossible, tight, ok, padded, cannot run, no time to judge.
  std::array<std::string, 6> verdict = {"#d50000", "#ff8f00", "#2e7d32", "#1e88e5", "#000", "#9e9e9e"};
  std::array<std::string, 4> mountain = {"", "#dcebd2", "#c9dff0", "#efe0c8"};  // by scenery type, 3 and up alike
  std::array<std::string, 7> curve = {"#ccc", "#b9c9e8", "#94acd9", "#6f8fca", "#e0a060", "#d07030", "#b03010"};
};

struct PlotDesign {
  std::vector<PanelDesign> panels;
  double panelGap = 34;      // from one panel's bottom to the next one's top, room for the ticks and title
  Palette colours;
  std::vector<LegendEntry> legend;
  std::array<std::string, 4> laneColours;  // signals, boards, slow-down points, code points
  // Each lane's top, from the features panel's top. Signals come in warning and protection pairs a short
  // way apart, so their lane has a second row for the label that the first row has no room for.
  std::array<double, 4> laneTops = {6, 38, 61, 84};
  std::array<int, 4> laneLabelRows = {2, 1, 1, 1};
  double labelRowHeight = 9;
  // Room above a value panel's highest label, so that a value equal to it is not drawn on the frame.
  double valueHeadroom = 8;
  double runWidth = 1.6;        // the fastest run's line
  double scheduleWidth = 2.6;   // a timetable section's line
  double stopRadius = 3;        // a scheduled stop's point
  // Steps of the timetable panel's clock axis, seconds: the first that leaves at most axisLabels labels.
  std::vector<int> clockSteps = {60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600};
  std::array<int, 7> curveRadii{};  // metres by class, 0 for straight
  int stationRows = 4;           // rows of station names, staggered when they would overlap
  double stationRowHeight = 13;
  // Beside a short route the run-out (always several kilometres) is drawn in at most this share of the
  // width, compressed, so that the route keeps most of every panel.
  double maxRunOutShare = 0.25;
  double tickSpacing = 90;       // at least this many pixels between kilometre ticks
  double minTickStep = 50;       // metres
  double textWidth = 0.7;        // a character's width in em, to keep labels apart
  std::size_t labelChars = 40;   // a board's longer text is cut here
  // A kilometre post as "km" + separator + metres padded to `postDigits` (155+500), or in whole
  // kilometres when the ticks fall on them.
  std::int64_t postUnit = 1000;
  std::string postSeparator = "+";
  int postDigits = 3;

  const PanelDesign& panel(std::string_view id) const;
  // The row of the features panel a kind is drawn in (the kinds table's lane), -1 when not drawn there.
  int laneOf(CellKind kind) const;
  // A timetable section's colour by the verdict's name ("impossible", ...; "" for none).
  const std::string& verdictColour(std::string_view verdict) const;
};

const PlotDesign& plotDesign();

// The verdicts in the order of Palette::verdict, as the timetable names them.
inline constexpr std::array<std::string_view, 6> kVerdictNames = {"impossible", "tight", "ok", "padded", "cannot run", ""};

// The name the page's data gives a kind of feature ("signal", "speed-board", ...).
std::string_view featureKindName(CellKind kind);

}  // namespace pack
