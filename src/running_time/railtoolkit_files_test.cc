#include "running_time/railtoolkit_files.h"

#include <gtest/gtest.h>

namespace pack::running_time {
namespace {

// A complete file; each case below spoils one line of it.
constexpr const char* kGood =
    "schema: https://railtoolkit.org/schema/rolling-stock.json\n"  // 1
    "schema_version: \"2022.05\"\n"                                 // 2
    "trains:\n"                                                     // 3
    "  - name: test\n"                                              // 4
    "    id: test\n"                                                // 5
    "    uuid: 0b4e4f5c-0000-4000-8000-000000000000\n"              // 6
    "    formation: [loco, car]\n"                                  // 7
    "vehicles:\n"                                                   // 8
    "  - id: loco\n"                                                // 9
    "    vehicle_type: traction unit\n"                             // 10
    "    picture: loco.png\n"                                       // 11
    "    length: 19\n"                                              // 12
    "    mass: 84\n"                                                // 13
    "    mass_traction: 84\n"                                       // 14
    "    speed_limit: 140\n"                                        // 15
    "    tractive_effort:\n"                                        // 16
    "      - [0.0, 250000]\n"                                       // 17
    "      - [10.0, 240000]\n"                                      // 18
    "  - id: car\n"                                                 // 19
    "    vehicle_type: passenger\n"                                 // 20
    "    length: 26\n"                                              // 21
    "    mass: 40\n"                                                // 22
    "    speed_limit: 140\n";                                       // 23

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

TEST(RollingStockFile, AcceptsUnknownFieldsAndCountsTheFormation) {
  RollingStock stock = readRollingStock(kGood, "t.yaml");
  ASSERT_EQ(stock.formation.size(), 2u);
  Train t = assembleTrain(stock);
  EXPECT_DOUBLE_EQ(t.lengthM, 45);
  EXPECT_DOUBLE_EQ(t.massKg, 124000);
  EXPECT_EQ(t.cars, 1);
}

TEST(RollingStockFile, RefusesWithLineColumnAndField) {
  struct Case {
    const char* what;
    std::string text;
    int line;
    std::string field;
  } cases[] = {
      {"missing field", replaced(kGood, "    mass: 40\n", ""), 19, "vehicles[1].mass"},
      {"wrong type", replaced(kGood, "mass: 84\n", "mass: heavy\n"), 13, "vehicles[0].mass"},
      {"a word in the effort table", replaced(kGood, "[10.0, 240000]", "[10.0, lots]"), 18,
       "vehicles[0].tractive_effort[1] effort"},
      {"empty table", replaced(replaced(kGood, "      - [0.0, 250000]\n", ""), "    tractive_effort:\n      - [10.0, 240000]\n",
                               "    tractive_effort: []\n"), 16, "vehicles[0].tractive_effort"},
      {"negative mass", replaced(kGood, "mass: 40\n", "mass: -40\n"), 22, "vehicles[1].mass"},
      {"unknown vehicle", replaced(kGood, "[loco, car]", "[loco, wagon]"), 7, "trains[0].formation[1]"},
      {"not YAML", replaced(kGood, "trains:\n", "trains: [\n"), 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      readRollingStock(c.text, "t.yaml");
      ADD_FAILURE() << "accepted";
    } catch (const FileError& e) {
      if (c.line > 0) {
        EXPECT_EQ(e.line, c.line) << e.what();
      }
      EXPECT_EQ(e.field, c.field) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("t.yaml:" + std::to_string(e.line) + ":" + std::to_string(e.column) + ": ", 0), 0u);
    }
  }
}

}  // namespace
}  // namespace pack::running_time
