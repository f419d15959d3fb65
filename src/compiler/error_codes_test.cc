#include "compiler/error_codes.h"

#include <gtest/gtest.h>

#include <set>

namespace pack {
namespace {

TEST(ErrorCodes, EveryCodeHasItsOwnMessage) {
  const std::int32_t codes[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,   10,  11,  12,   13,  15,
                                16, 17, 18, 19, 20, 21, 22, 24, 25, 101, 102, 103, 1250, 1251};
  std::set<std::string_view> seen;
  for (std::int32_t code : codes) {
    std::string_view message = errorMessage(code);
    EXPECT_FALSE(message.empty()) << code;
    EXPECT_TRUE(seen.insert(message).second) << "message shared by code " << code;
  }
  EXPECT_TRUE(errorMessage(14).empty());
  EXPECT_TRUE(errorMessage(0).empty());
}

TEST(ErrorCodes, PositionsGoWithTheCodesThatSetThem) {
  for (std::int32_t code : {6, 7, 8, 9, 11, 12, 13, 15, 16, 17, 18, 19, 20, 21, 22}) {
    EXPECT_TRUE(errorSetsPosition(code)) << code;
  }
  for (std::int32_t code : {1, 2, 3, 4, 5, 10, 24, 25, 101, 102, 103, 1250, 1251}) {
    EXPECT_FALSE(errorSetsPosition(code)) << code;
  }
  EXPECT_TRUE(errorFromCompletion(12));
  EXPECT_FALSE(errorFromCompletion(16));
}

}  // namespace
}  // namespace pack
