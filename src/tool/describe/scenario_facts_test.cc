#include "tool/describe/scenario_facts.h"

#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace pack {
namespace {

// Every message of the tool shows a time as the sources write it: hours unpadded, minutes and seconds in
// two digits.
TEST(ClockText, HoursAsWrittenMinutesAndSecondsInTwoDigits) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "0:00:00"},          {7 * 3600 + 5 * 60 + 9, "7:05:09"}, {61020, "16:57:00"},
      {90000, "25:00:00"},     {-(7 * 3600 + 30 * 60), "-7:30:00"},
      {std::numeric_limits<std::int64_t>::min(), "-2562047788015215:30:08"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(clockText(seconds), text) << seconds;
}

// A row holding only a name between two stations (a file not written by the compiler, say) used to end
// the station list of inspect and plot while decompile counted on past it: all three now take the rows
// the codec names stations.
TEST(StationRows, ARowOfOnlyANameBetweenStationsIsAStation) {
  ScenarioTable table{};
  table[1].numberC = 500;
  table[1].text = "NORD";
  table[2].text = "CENTRO";
  table[3].numberC = 4000;
  table[3].text = "SUD";
  table[80].text = "(Ponte)";
  std::vector<Station> list = stations(table);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1].name, "CENTRO");
  EXPECT_EQ(list[2].name, "SUD");
  const std::pair<int, RowRole> roles[] = {
      {1, RowRole::kStation}, {2, RowRole::kStation}, {3, RowRole::kStation}, {4, RowRole::kEmpty}, {80, RowRole::kBoardText}};
  for (const auto& [row, role] : roles) EXPECT_EQ(stationAreaRowRole(table, row), role) << row;
}

}  // namespace
}  // namespace pack
