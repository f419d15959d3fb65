// The track is created once the general part has given its last route length.
#include <gtest/gtest.h>

#include "compiler/source_reader.h"
#include "platform/memory_file_system.h"

namespace pack {
namespace {

Model readRoute(const std::string& route, std::int32_t buildPlan) {
  MemoryFileSystem fs;
  fs.files["/s/route.txt"] = route;
  fs.files["/s/train.txt"] = "[generale]\r\n[fine]\r\n";
  Model model;
  model.buildPlan = buildPlan;
  SourceAccess sources{fs, "/s/route.txt", "/s/train.txt"};
  memorizza_dati(model, sources);
  return model;
}

TEST(TrackCreation, TheLastRouteLengthSizesTheTrack) {
  std::string route = "[generale]\r\n";
  for (int i = 0; i < 500; ++i) route += "lunghezza percorso, 1000000\r\n";
  route += "lunghezza percorso, 3000\r\n[curve]\r\npendenza, 0, 1\r\n[fine]\r\n";
  Model m = readRoute(route, 1);
  EXPECT_EQ(m.errorCode, 0);
  EXPECT_EQ(m.cellCount, 200);
  EXPECT_EQ(m.trackCells.size(), 201u);
  EXPECT_EQ(m.trackPlan.size(), 10001u);
  EXPECT_EQ(m.trackCells[0].gradient, 101);
}

TEST(TrackCreation, ARefusalInTheGeneralPartStillLeavesTheSizedTrack) {
  struct Case {
    const char* refusal;
    std::int32_t code;
  } cases[] = {
      {"ripetizione segnali 4 codici, 25, 0", 3},
      {"ripetizione segnali, 50, 50", 5},
      {"sfondo uno, abc", 25},
  };
  for (const Case& c : cases) {
    Model m = readRoute("[generale]\r\nlunghezza percorso, 3000\r\n" + std::string(c.refusal) + "\r\n[curve]\r\n[fine]\r\n", 1);
    EXPECT_EQ(m.errorCode, c.code) << c.refusal;
    EXPECT_EQ(m.trackCells.size(), 201u) << c.refusal;
    EXPECT_EQ(m.trackPlan.size(), 10001u) << c.refusal;
  }
}

}  // namespace
}  // namespace pack
