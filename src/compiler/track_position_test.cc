// Positions and cells: the three rounding rules and the bound test, alone and as the readers apply it to
// positions at the top of the 32-bit range.
#include "compiler/track_position.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "compiler/error_codes.h"
#include "compiler/source_reader.h"
#include "platform/memory_file_system.h"

namespace pack {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(TrackPosition, EachRuleRoundsHalvesToEven) {
  struct Case {
    std::int32_t position, of, after, before;
  };
  const Case cases[] = {
      {0, 0, 1, -1},        {25, 0, 2, 0},  // 0.5 and 1.5, 2.5, -0.5
      {75, 2, 2, 0},        {125, 2, 4, 2},  {-25, 0, 0, -2},
      {49, 1, 2, 0},        {kMax, 42949673, 42949674, 42949672},
      {kMin, -42949673, -42949672, -42949674},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    EXPECT_EQ(cellOf(c.position), c.of);
    EXPECT_EQ(cellAfter(c.position), c.after);
    EXPECT_EQ(cellBefore(c.position), c.before);
  }
}

TEST(TrackPosition, TheBoundIsExactAtEveryPosition) {
  struct Case {
    std::int32_t cellCount, position, margin;
    bool beyond;
  };
  const Case cases[] = {
      {540, 26900, kFeatureMargin, false},  // (26900 + 100) / 50 = 540
      {540, 26901, kFeatureMargin, true},
      {540, 26200, kStationMargin, false},
      {540, 26201, kStationMargin, true},
      {540, kMax - 100, kFeatureMargin, true},  // the sum is the largest 32-bit value
      {540, kMax - 99, kFeatureMargin, true},   // the sum needs 33 bits
      {540, kMax, kStationMargin, true},
      {540, kMin, kStationMargin, false},  // negative positions are each reader's to refuse
      {kMax, kMax, kStationMargin, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.position) + " + " + std::to_string(c.margin));
    EXPECT_EQ(beyondTrack(c.cellCount, c.position, c.margin), c.beyond);
  }
}

// One whole reading of a route of 20000 m (cells 0 to 540) with one feature line, and a train run source
// with one line.
struct Reading {
  Reading(const std::string& routeFeature, const std::string& trainRunLine) {
    fs.files[kRoute] = "[generale]\r\nlunghezza percorso, 20000\r\n[curve]\r\n" + routeFeature + "[fine]\r\n";
    fs.files[kTrainRun] = "[generale]\r\nvelocita, 0, 100\r\naderenza, 0, 90\r\n" + trainRunLine + "[fine]\r\n";
    model.buildPlan = 1;
    memorizza_dati(model, sources);
  }

  static inline const std::string kRoute = "/p/r_linea.txt";
  static inline const std::string kTrainRun = "/p/r_1-.txt";
  MemoryFileSystem fs;
  SourceAccess sources{fs, kRoute, kTrainRun};
  Model model;
};

// A line refused for its position leaves the model as one just beyond the bound does: the gradients and
// the plan are completed, the train run is read up to it and its profiles are completed.
TEST(TrackPosition, PositionsNearTheTopOfTheRangeAreBeyondTheTrack) {
  struct Case {
    const char* what;
    std::string route, trainRun;  // one line each, without its line end
    std::int32_t position;
    std::string justBeyond;       // the same feature just beyond the bound
  };
  const std::string station = ", 30, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X";
  const std::string signal = ", 1,4,0,0,0,0,0,0,0,0";
  const Case cases[] = {
      {"gradient", "pendenza, 2147483600, 3", "", 2147483600, "pendenza, 26901, 3"},
      {"gradient whose sum just fits", "pendenza, 2147483547, 3", "", 2147483547, "pendenza, 26901, 3"},
      {"gradient whose sum needs 33 bits", "pendenza, 2147483548, 3", "", 2147483548, "pendenza, 26901, 3"},
      {"gradient at the largest position", "pendenza, 2147483647, 3", "", 2147483647, "pendenza, 26901, 3"},
      {"curve", "curvad4, 2147483600, 100", "", 2147483600, "curvad4, 26901, 100"},
      {"curve whose end needs 33 bits", "curvad4, 1000, 2147483000", "", 1000, "curvad4, 1000, 26001"},
      {"mountain", "montagna, 2147483600, 2147483640, 1", "", 2147483600, "montagna, 26901, 26950, 1"},
      {"speed board", "indicatori_vmax, 2147483600, 1,1,1,0,1,1,1,0", "", 2147483600,
       "indicatori_vmax, 26901, 1,1,1,0,1,1,1,0"},
      {"text board", "cartello_indicatore, 2147483600, (X)", "", 2147483600, "cartello_indicatore, 26901, (X)"},
      {"signal", "", "segnale, 2147483548" + signal, 2147483548, "segnale, 26901" + signal},
      {"signal whose sum just fits", "", "segnale, 2147483547" + signal, 2147483547, "segnale, 26901" + signal},
      {"station", "", "stazione, 2147482850" + station, 2147482850, "stazione, 26250" + station},
      {"station whose sum just fits", "", "stazione, 2147482800" + station, 2147482800,
       "stazione, 26250" + station},
      {"speed limit", "", "velocita, 2147483600, 50", 2147483600, "velocita, 26901, 50"},
      {"adhesion", "", "aderenza, 2147483600, 50", 2147483600, "aderenza, 26901, 50"},
      {"slow-down", "", "rallentamento, 2147483600, 50, 100, 0, 0, 0", 2147483600,
       "rallentamento, 26901, 50, 100, 0, 0, 0"},
      {"code point", "", "abbattimento, 2147483600, 7", 2147483600, "abbattimento, 26901, 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool inRoute = !c.route.empty();
    Reading top(inRoute ? c.route + "\r\n" : "", inRoute ? "" : c.trainRun + "\r\n");
    Reading near(inRoute ? c.justBeyond + "\r\n" : "", inRoute ? "" : c.justBeyond + "\r\n");
    EXPECT_EQ(top.model.errorCode, kErrBeyondTrack);
    EXPECT_EQ(top.model.errorPosition, c.position);
    EXPECT_EQ(near.model.errorCode, kErrBeyondTrack);
    EXPECT_TRUE(top.model.trackCells == near.model.trackCells);
    EXPECT_TRUE(top.model.trackPlan == near.model.trackPlan);
    // Both sources were read to the end steps and deleted.
    EXPECT_EQ(top.model.trackCells[10].speedLimit, 20);
    EXPECT_EQ(top.model.trackCells[10].gradient, 100);
    EXPECT_TRUE(top.fs.files.empty());
  }
}

}  // namespace
}  // namespace pack
