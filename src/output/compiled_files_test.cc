#include "output/compiled_files.h"

#include <gtest/gtest.h>

#include "formats/compiled_format.h"
#include "platform/memory_file_system.h"
#include "tests/support/bytes.h"

namespace pack {
namespace {


template <typename Encode>
std::string encode(const Model& model, Encode fn) {
  StringSink sink;
  BinaryWriter out(sink);
  fn(model, out);
  out.flush();
  return sink.bytes;
}

using test::hex;

Model sizedModel(std::int32_t routeLength, std::int32_t buildPlan) {
  Model m;
  m.buildPlan = buildPlan;
  m.sizeTrack(routeLength);
  m.createTrack();
  return m;
}

TEST(TrackCellFile, CellRecordsAreFifteenLittleEndianBytes) {
  Model m = sizedModel(32850, 0);
  ASSERT_EQ(m.cellCount, 797);
  TrackCell& c1 = m.trackCells[1];
  c1.value1 = 5121;
  c1.value2 = 2536;
  c1.speedLimit = 15;
  c1.gradient = 99;
  c1.adhesion = 100;
  TrackCell& c110 = m.trackCells[110];
  c110 = {kSignal, 40, 0, 0, 3, 0, 0, 0, 15, 0x66, 80};
  m.trackCells[2] = {kCodePoint, 180, -2, 0x1234, -32768, 245, 81, 3, 255, 79, 1};

  std::string bytes = encode(m, encodeTrackCells);
  ASSERT_EQ(bytes.size(), 15u * 798u);
  EXPECT_EQ(hex(bytes.substr(15, 15)), "00 01 14 E8 09 00 00 00 00 00 00 00 0F 63 64");
  EXPECT_EQ(hex(bytes.substr(15 * 110, 15)), "01 28 00 00 00 00 00 03 00 00 00 00 0F 66 50");
  EXPECT_EQ(hex(bytes.substr(30, 15)), "0C B4 00 FE FF 34 12 00 80 F5 51 03 FF 4F 01");
}

TEST(ScenarioTableFile, RowsAreThirtyFourBytesPlusTheirText) {
  Model m;
  ScenarioRecord& row86 = m.scenarioTable[kRowRun];
  row86.text = "517";
  row86.param1 = 180;
  row86.param3 = 16;
  row86.param4 = 56;
  m.scenarioTable[1].text = "Citt\xE0";  // accented text: one byte a letter
  m.scenarioTable[1].numberA = -300;
  m.scenarioTable[1].numberD = 0x01020304;
  m.scenarioTable[1].flag4 = 7;

  std::string bytes = encode(m, encodeScenarioTable);
  ASSERT_EQ(bytes.size(), 87u * kTableRecordFixedSize + 3 + 5);
  EXPECT_EQ(hex(bytes.substr(0, 34)), hex(std::string(34, '\0')));  // row 0, empty text

  std::string row1 = bytes.substr(34, 39);
  EXPECT_EQ(hex(row1),
            "00 D4 FE FF FF 00 00 00 00 00 00 00 00 00 05 00 43 69 74 74 E0 "
            "00 00 00 00 00 00 00 00 00 00 00 00 00 07 04 03 02 01");

  std::size_t row86Offset = 34 * 86 + 5;
  std::string row86Bytes = bytes.substr(row86Offset, 37);
  EXPECT_EQ(hex(row86Bytes.substr(14, 5)), "03 00 35 31 37");
  EXPECT_EQ(hex(row86Bytes),
            "00 00 00 00 00 00 00 00 00 00 00 00 00 00 03 00 35 31 37 B4 00 00 00 10 00 38 00 00 00 "
            "00 00 00 00 00 00 00 00");
}

TEST(PlanFile, ElementsAreTaggedAndColumnsFollowEachOther) {
  Model m = sizedModel(32850, 1);
  ASSERT_EQ(m.extendedLength, 39850);
  ASSERT_EQ(m.trackPlan.size(), 39851u);
  // One metre turned by 0.001 from (0, 1): point 2 is (0.001, 2.0); straight on from there.
  m.trackPlan.start();
  m.trackPlan.extend(1, 0.001);
  m.trackPlan.extend(m.extendedLength - 4, std::nullopt);  // to metre extendedLength - 2

  std::string bytes = encode(m, encodePlan);
  ASSERT_EQ(bytes.size(), 796964u);
  std::size_t column = bytes.size() / 2;
  EXPECT_EQ(hex(bytes.substr(0, 8)), "02 00 00 00 02 00 00 00");
  EXPECT_EQ(hex(bytes.substr(8, 10)), "05 00 FC A9 F1 D2 4D 62 50 3F");  // 0.001
  EXPECT_EQ(hex(bytes.substr(column - 4, 4)), "00 00 00 00");          // two empty elements
  EXPECT_EQ(hex(bytes.substr(column, 8)), "02 00 00 00 02 00 01 00");
  EXPECT_EQ(hex(bytes.substr(column + 8, 10)), "05 00 00 00 00 00 00 00 00 40");  // 2.0
}

TEST(CompiledFiles, WrittenInOrderAndPlanOnlyWithTheOption) {
  for (std::int32_t option : {0, 1}) {
    Model m = sizedModel(1000, option);
    m.scenarioName = "Line";
    m.trainNumber = "9";
    MemoryFileSystem fs;
    std::vector<std::string> written = writeCompiledFiles(m, fs, "/out");
    std::vector<std::string> expected = {"Line_9.sim", "Line_9.dat"};
    if (option != 0) expected.insert(expected.begin(), "Line_linea.dat");
    EXPECT_EQ(written, expected);
    EXPECT_EQ(fs.files.count("/out/Line_linea.dat"), option != 0 ? 1u : 0u);
    EXPECT_EQ(fs.files.at("/out/Line_9.dat").size(), 15u * (m.cellCount + 1));
  }
}

TEST(CompiledFiles, AFailureLeavesEveryOlderFileAsItWas) {
  Model m = sizedModel(1000, 1);
  m.scenarioName = "Line";
  m.trainNumber = "9";
  struct Case {
    const char* name;
    void (*fault)(MemoryFileSystem&);
  } cases[] = {
      {"the last file cannot be replaced", [](MemoryFileSystem& fs) { fs.readOnly.insert("/out/Line_9.dat"); }},
      {"the disk fills up in the second file", [](MemoryFileSystem& fs) { fs.spaceLeft = 33000; }},  // the plan takes 32004 bytes
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    for (const char* name : {"/out/Line_linea.dat", "/out/Line_9.sim", "/out/Line_9.dat"}) fs.files[name] = "old";
    c.fault(fs);
    EXPECT_THROW(writeCompiledFiles(m, fs, "/out"), IoError) << c.name;
    for (const auto& [path, bytes] : fs.files) EXPECT_TRUE(bytes == "old") << c.name << ": " << path;
  }
}

TEST(CompiledFiles, ATextTooLongForItsCountIsRefusedNotCut) {
  Model m;
  m.scenarioTable[5].text.assign(70000, 'x');
  EXPECT_THROW(encode(m, encodeScenarioTable), std::length_error);
}

}  // namespace
}  // namespace pack
