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

// A bare line feed or carriage return does not end a line for the compiler, so it does not for the lines
// set aside either: the source is split on CR LF here, whatever read it before.
TEST(SetAsideSource, OnlyCrLfEndsALine) {
  SetAsideSource source("a\nb\r\nc");
  EXPECT_TRUE(source.setAside(1));
  EXPECT_EQ(source.text(), "c");
  EXPECT_EQ(source.authorLine(1), 2u);

  SetAsideSource crLf("[generale]\r\nlunghezza percorso,\r1000\r\n\r\npendenza, 0, 5\n\r\nfine");
  EXPECT_TRUE(crLf.setAside(2));
  EXPECT_EQ(crLf.text(), "[generale]\r\n\r\npendenza, 0, 5\n\r\nfine");
  EXPECT_TRUE(crLf.setAside(3));  // the line ending in LF CR LF is one line
  EXPECT_EQ(crLf.text(), "[generale]\r\n\r\nfine");
  EXPECT_EQ(crLf.authorLine(3), 5u);
  EXPECT_FALSE(crLf.setAside(4));
}

}  // namespace
}  // namespace pack
