#include "tool/describe/authoring_guide.h"

#include "compiler/cell_codec.h"
#include "compiler/model.h"
#include "compiler/track_position.h"

namespace pack {
namespace {

using namespace codec;

std::string m(std::int64_t metres) { return std::to_string(metres) + " m"; }
std::string n(std::int64_t number) { return std::to_string(number); }

GuideSection placement() {
  const std::int64_t markReach = std::int64_t{kSignalMarkReach} * kCellLength;
  const std::int64_t warningApproach = std::int64_t{kApproachSteps} * kCellLength;
  return {
      "placement",
      "Placement and spacing",
      {
          "The compiler cuts the line into cells of " + m(kCellLength) + ", from the start to the route's "
          "length plus a run-out of " + m(kTrackExtension) + ". Each cell holds at most one feature: a "
          "signal, a slow-down point, a board, a code point or a station's stop point. Two features that "
          "fall in one cell refuse the source, naming the later one; mountain markers give way.",
          "Which cell: signals, slow-down points and both kinds of board take the cell after their position, "
          "round(position / " + n(kCellLength) + " + 1); a code point takes round(position / " +
          n(kCellLength) + "); gradients, speed limits and adhesion change at round(position / " +
          n(kCellLength) + "). Positions on multiples of " + n(kCellLength) + " are exact, so write them so.",
          "Room at the end: every feature needs " + m(kFeatureMargin) + " of track model after its position, a "
          "station " + m(kStationMargin) + " (error 15). With the run-out this leaves nothing to fear on the "
          "route itself.",
          "A signal marks the " + n(kApproachSteps) + " cells before it, every other cell back to " +
          m(markReach) + " before its own cell, as its approach: place it at " + m(markReach - kCellLength) +
          " or more. The marks overwrite nothing and are overwritten by nothing, but the signal's own cell "
          "must be free (error 16).",
          "A slow-down takes three cells: its start, its end (start + length) and, when it starts beyond " +
          m(kWarnedFrom) + ", a warning point " + m(kWarningDistance) + " (" + n(kWarningCells) +
          " cells) before the start (errors 18, 19, 17). With the approach flag f_ta the " +
          n(kApproachSteps) + " cells before the warning point, " + m(warningApproach) +
          ", must be free too (error 20). Signals, boards and slow-down points all take the cell after their "
          "position, so two of them collide when their positions fall in the same " + m(kCellLength) +
          ": keep them off a slow-down's start, its end and its warning point (start - " + m(kWarningDistance) +
          "), and with the flag off the positions from start - " + m(kWarningDistance + warningApproach) +
          " to start - " + m(kWarningDistance + kCellLength) + ".",
          "After every source is read the compiler adds code points in free cells: a few cells before each "
          "slow-down start, along a slow slow-down and just before the first signal after it, and one or "
          "two cells before each signal shortly before a warning point. Leave free cells around these "
          "places; errors 11 to 13 say where there was no room.",
          "A station's platform must begin at least " + m(kStationSpacing) + " after the previous "
          "station's platform ends (error 22). Its stop point takes the cell before the platform end, which "
          "must lie beyond " + m(kFeatureMargin) + " (error 24), and all types but 5 and 6 mark the " +
          n(kApproachSteps) + " cells before the stop point as its approach. The position must be a "
          "multiple of " + n(kCellLength) + " (error 8), the platform length of " + n(kPlatformLengthStep) +
          " (error 9); attribute B is kept only from " + m(kAttributeBPlatform) + " of platform on.",
          "Station types " + n(kTableOnlyStationTypes) + " and above touch no cell: they are listed in the "
          "scenario table only. Types 5 and 6 end their platform " + m(kShortPlatformBeyond) + " after the "
          "position; the extension flag adds " + m(kPlatformExtension) + " to a centred platform.",
          "A mountain stretch that begins no more than " + m(kMountainJoinGap) + " after the one before it "
          "ends is stored as type " + n(kMountainJoined) + "; a marked stretch (type above " +
          n(kMountainMarkedAbove) + ") gets a marker every " + n(kMountainMarkerSpacing) + " cells.",
          "Stations fill scenario table rows upward from row 1 and text boards downward from row " +
          n(kFirstBoardRow) + ", so the two together are limited (error 10).",
      },
  };
}

GuideSection kilometrePosts() {
  return {
      "kilometre",
      "Kilometre posts",
      {
          "Positions in the sources are metres from the start of the line. The kilometre posts a driver "
          "sees are another count, set by the route's progressiva chilometrica uno, due and tre: each "
          "ties a place on the line to the post value there (160850 is km 160+850). Write unused ones as "
          "0, 0, 0; with none at all the posts are the metres from the start.",
          "Which way they count: with two or more definitions, the direction from the first to the last "
          "decides. With only one, the tools read the \"Km 151+997\" items of the text boards along the "
          "line: when they mostly fall as the position grows, the posts count down; otherwise, and on a "
          "line without such boards, they count up. That is why the shipped line, whose boards show "
          "falling kilometres, counts down from km 160+950, while a short new line with one definition "
          "and no boards counts up. To be sure of the direction, give a second definition.",
          "The compiler orders the definitions largest position first, adds 100 to a value whose flag is 1, "
          "and refuses positions or values that are not multiples of " + n(kCellLength) + " (error 2).",
      },
  };
}

}  // namespace

const std::vector<GuideSection>& authoringGuide() {
  static const std::vector<GuideSection> guide{placement(), kilometrePosts()};
  return guide;
}

}  // namespace pack
