// The lines set aside and the way back to the author's numbers.
#include "tool/check/set_aside.h"

#include <gtest/gtest.h>

namespace pack {
namespace {

TEST(SetAsideSource, LeavesLinesOutAndNumbersTheRestAsTheAuthorDid) {
  SetAsideSource source("a\r\nb\r\nc\r\nd\r\n");
  EXPECT_TRUE(source.setAside(2));  // b
  EXPECT_TRUE(source.setAside(2));  // c, now the second line
  EXPECT_FALSE(source.setAside(3));
  EXPECT_FALSE(source.setAside(0));
  EXPECT_EQ(source.text(), "a\r\nd\r\n");
  EXPECT_EQ(source.authorLine(1), 1u);
  EXPECT_EQ(source.authorLine(2), 4u);
  EXPECT_EQ(source.authorLine(3), 5u) << "past the end, as far on as the text ended";
}

// A bare line feed does not end a line for the compiler, so it does not for the lines set aside either.
TEST(SetAsideSource, OnlyCrLfEndsALine) {
  SetAsideSource source("a\nb\r\nc");
  EXPECT_TRUE(source.setAside(1));
  EXPECT_EQ(source.text(), "c");
  EXPECT_EQ(source.authorLine(1), 2u);
}

}  // namespace
}  // namespace pack
