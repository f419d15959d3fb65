// The placements the compile reports name the entry as the compiler read it, whatever the line looks
// like: a key whose values continue on the next line, an entry after a comment cut short by a comma.
#include "tool/check/placement_log.h"

#include <gtest/gtest.h>

#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

std::string edited(std::string bytes, std::string_view from, std::string_view to) {
  std::size_t at = bytes.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? bytes : bytes.replace(at, from.size(), to);
}

struct Traced {
  std::string route, train;
  PlacementLog log;
};

Traced traced(std::string_view from, std::string_view to) {
  std::map<std::string, std::string> texts = tool_testing::embeddedTexts();
  Traced t{texts.at("Borgorosso_MontegranoC_linea.txt"), edited(texts.at("Borgorosso_MontegranoC_517-.txt"), from, to), {}};
  t.log = tracePlacements(t.route, t.train, true);
  return t;
}

TEST(PlacementLog, NamesTheEntryAsTheCompilerReadIt) {
  // The signal at 5450 m takes the cell round(5450 / 50 + 1) = 110; its key stays on line 41.
  Traced t = traced("segnale,    5450,   1, 4,", "segnale,    5450,   1\r\n 4,");
  const PlacementLog::Placement* signal = t.log.at(110);
  ASSERT_NE(signal, nullptr);
  EXPECT_EQ(signal->kind, kSignal);
  EXPECT_EQ(signal->origin, (PlacementLog::Origin{SourceKind::kTrainRun, 41}));

  // A comment ending at a comma: the speed limit after it is read, on the comment's line.
  t = traced("velocita,   17050,    65", "-- limite di linea, velocita,   17050,    65");
  EXPECT_EQ(t.log.profileAt(ProfileLane::kSpeed, 17050 / 50), (PlacementLog::Origin{SourceKind::kTrainRun, 31}));
  EXPECT_EQ(t.log.profileAt(ProfileLane::kSpeed, 17050 / 50 - 1), (PlacementLog::Origin{SourceKind::kTrainRun, 30}));
  EXPECT_EQ(t.log.profileAt(ProfileLane::kAdhesion, 0), (PlacementLog::Origin{SourceKind::kTrainRun, 7}));
  EXPECT_EQ(t.log.rowAt(1), (PlacementLog::Origin{SourceKind::kTrainRun, 35}));
  EXPECT_FALSE(t.log.rowAt(5).known());
}

// What the compile adds by itself after reading belongs to no entry.
TEST(PlacementLog, TheCompletionsCodePointsHaveNoEntry) {
  Traced t = traced("[rallentamenti]\r\n", "[rallentamenti]\r\nrallentamento,   12000,  30,  400,  0,  1,  0\r\n");
  bool automatic = false;
  for (std::int64_t cell = 0; cell < 800; ++cell) {
    const PlacementLog::Placement* p = t.log.at(cell);
    if (p != nullptr && (p->kind == kCodePoint || p->kind == kCodePointNoValue)) automatic |= !p->origin.known();
  }
  EXPECT_TRUE(automatic);
}

}  // namespace
}  // namespace pack
