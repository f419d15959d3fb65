#include "output/compiled_decoders.h"

#include <gtest/gtest.h>

#include "output/compiled_files.h"
#include "tests/support/bytes.h"

namespace pack {
namespace {


std::string encodeWith(const Model& model, void (*encode)(const Model&, BinaryWriter&)) {
  StringSink sink;
  BinaryWriter out(sink);
  encode(model, out);
  out.flush();
  return sink.bytes;
}

Model sampleModel() {
  Model m;
  m.buildPlan = 1;
  m.sizeTrack(100);  // 142 cells, a plan of 7101 metres
  m.createTrack();
  m.trackCells[3] = {kSignal, -40, 7, 300, 3, 245, 31, 2, 15, 124, 95};
  m.trackCells[141] = {kCodePoint, 180, 0, 0, 0, 0, 0, 0, 0, 79, 70};
  m.scenarioTable[1] = {22, -300, 300, 0, 1, "Citt\xE0 Nuova", 4, 1, 0, 2, 1, 1, 1, 0, 0, 61020};
  m.scenarioTable[86].text = "517";
  m.trackPlan.start();
  m.trackPlan.extend(1, -0.001);  // point 2: (-0.001, 2.0), then empty
  return m;
}

TEST(CompiledDecoders, DecodeWhatTheEncodersWrote) {
  Model m = sampleModel();
  EXPECT_EQ(decodeTrackCells(encodeWith(m, encodeTrackCells)), m.trackCells);
  EXPECT_EQ(decodeScenarioTable(encodeWith(m, encodeScenarioTable)), m.scenarioTable);
  EXPECT_EQ(decodePlan(encodeWith(m, encodePlan)), m.trackPlan.points());
}

TEST(CompiledDecoders, MalformedFilesNameWhatIsWrongAndWhere) {
  Model m = sampleModel();
  std::string cells = encodeWith(m, encodeTrackCells);
  std::string table = encodeWith(m, encodeScenarioTable);
  std::string plan = encodeWith(m, encodePlan);
  auto expectError = [](auto decode, const std::string& bytes, std::size_t offset, const char* name) {
    try {
      decode(bytes);
      ADD_FAILURE() << name << ": no error";
    } catch (const DecodeError& e) {
      EXPECT_EQ(e.offset(), offset) << name << ": " << e.what();
    }
  };
  expectError(decodeTrackCells, cells.substr(0, cells.size() - 1), cells.size() - 15, "cut cell");
  expectError(decodeScenarioTable, table.substr(0, table.size() - 3), table.size() - 4, "cut numberD");
  expectError(decodeScenarioTable, table + "x", table.size(), "trailing byte");
  expectError(decodeScenarioTable, table.substr(0, 34 + 16 + 3), 34 + 16, "cut text");
  std::string badTag = plan;
  badTag[0] = 7;
  expectError(decodePlan, badTag, 0, "unknown tag");
  expectError(decodePlan, plan.substr(0, plan.size() - 2), plan.size() - 2, "odd element count");
  expectError(decodePlan, plan.substr(0, 8 + 5), 8 + 2, "cut double");
}

}  // namespace
}  // namespace pack
