#include "tool/describe/scenario_facts.h"

#include <cstdint>
#include <limits>

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

}  // namespace
}  // namespace pack
