// The reference an author writes a scenario from (the entry descriptions of both source formats) states
// the numbers the compiler works by: where a cell lies, how far apart things must be, what a stored value
// becomes. The codec is where those numbers live; this test holds the prose to it, so a change of a rule
// that forgets its description fails here instead of misleading authors.
#include "compiler/cell_codec.h"
#include "compiler/model.h"

#include "formats/route_format.h"
#include "formats/train_run_format.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace pack {
namespace {

using namespace codec;

std::string n(std::int64_t v) { return std::to_string(v); }

std::string valueMeanings(std::span<const ValueDefinition> values) {
  std::string out;
  for (const ValueDefinition& v : values) {
    out += std::string(v.meaning) + '\n';
    for (const ValueCode& c : v.codes) out += std::string(c.meaning) + '\n';
  }
  return out;
}

std::string describedAll(const EntryDefinition& e) {
  return std::string(e.meaning) + '\n' + std::string(e.compiled) + '\n' + valueMeanings(e.values);
}

TEST(ReferenceNumbers, TheDescriptionsStateTheCodecsNumbers) {
  struct Case {
    const EntryDefinition& entry;
    std::string phrase;
  };
  const Case cases[] = {
      {kRouteLengthEntry, n(kCellLength) + " m cells"},
      {kRouteLengthEntry, "run-out of " + n(kTrackExtension) + " m"},
      {kRouteLengthEntry, "above " + n(kMaxRouteLength) + " m is refused"},
      {kGradientEntry, "position / " + n(kCellLength)},
      {kGradientEntry, "gradient plus " + n(kGradientOffset)},
      {kGradientEntry, "only " + n(-kGradientOffset) + " to " + n(255 - kGradientOffset) + " per mille"},
      {kMountainEntry, n(kMountainJoinGap) + " m after the end of the one before"},
      {kMountainEntry, "becomes type " + n(kMountainJoined)},
      {kMountainEntry, "At most " + n(kMaxMountains) + " stretches"},
      {kMountainEntry, "types " + n(kMountainMarkedAbove + 1) + " and " + n(kMountainMarkedAbove + 2)},
      {kMountainEntry, "a marker every " + n(kMountainMarkerSpacing * kCellLength) + " m"},
      {kSpeedBoardEntry, n(kBoardSecondSetSteps) + " x first-set speed"},
      {kSpeedBoardEntry, "second-set speed / " + n(kSpeedStep)},
      {kTextBoardEntry, "row " + n(kFirstBoardRow) + " downwards"},
      {kSignalEntry, n(kSignalMarkReach * kCellLength) + " m before it get approach marks"},
      {kSignalEntry, "approach marks reach " + n(kSignalMarkReach * kCellLength) + " m back"},
      {kSignalEntry, "is taken as " + n(kLowestSignalTime)},
      {kSlowDownEntry, "beyond " + n(kWarnedFrom) + " m"},
      {kSlowDownEntry, "the cell " + n(kWarningDistance) + " m before the start"},
      {kStationEntry, "not a multiple of " + n(kPlatformLengthStep)},
      {kStationEntry, "to position + " + n(kShortPlatformBeyond)},
      {kStationEntry, "types " + n(kTableOnlyStationTypes) + " and above are only listed"},
      {kStationEntry, "at least " + n(kStationSpacing) + " m after the one before"},
      {kStationEntry, "ends " + n(kPlatformExtension) + " m further on"},
      {kStationEntry, "to position + " + n(kShortPlatformBeyond) + " m, without approach marks"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(describedAll(c.entry).find(c.phrase), std::string::npos)
        << "`" << c.entry.writtenKey << "` should say \"" << c.phrase << "\"";
  }
}

TEST(ReferenceNumbers, TheCurveRadiiAreTheCodecsClasses) {
  std::string radii;
  for (const CurveClass& c : curveClasses()) {
    if (c.number > 1) radii += c.number == 6 ? " or about " : ", ";
    radii += n(c.radius);
  }
  EXPECT_NE(kCurveEntry.compiled.find("radius " + radii + " m"), std::string_view::npos) << radii;
}

}  // namespace
}  // namespace pack
