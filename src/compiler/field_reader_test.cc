#include "compiler/field_reader.h"

#include <gtest/gtest.h>

#include "compiler/runtime_failure.h"

namespace pack {
namespace {

TEST(FieldReader, TextFieldsEndAtCommaOrLineEnd) {
  FieldReader r("curvad5,  400,  200\r\n  [curve] \r\nlast");
  EXPECT_EQ(r.readText(), "curvad5");
  EXPECT_EQ(r.readInt32(), 400);
  EXPECT_EQ(r.readInt32(), 200);
  EXPECT_EQ(r.fieldLine(), 1u);
  EXPECT_EQ(r.readText(), "[curve]");  // leading and trailing blanks dropped
  EXPECT_EQ(r.fieldLine(), 2u);
  EXPECT_FALSE(r.atEnd());
  EXPECT_EQ(r.readText(), "last");
  EXPECT_TRUE(r.atEnd());
  EXPECT_THROW(r.readText(), RuntimeFailure);
}

TEST(FieldReader, NumbersEndAtBlanksAndConsumeOneSeparator) {
  FieldReader r("0    ,0\r\n16              56            0 \r\nx");
  EXPECT_EQ(r.readInt32(), 0);
  EXPECT_EQ(r.readInt32(), 0);
  EXPECT_EQ(r.readInt16(), 16);
  EXPECT_EQ(r.readInt16(), 56);
  EXPECT_EQ(r.readInt16(), 0);
  EXPECT_EQ(r.readText(), "x");  // the trailing blank and the line end went with the 0
  EXPECT_TRUE(r.atEnd());
}

TEST(FieldReader, EmptyNumericFieldsReadZero) {
  FieldReader r("indicatori_vmax,  15950,  65,  ,  ,0\r\n");
  r.readText();
  EXPECT_EQ(r.readInt32(), 15950);
  EXPECT_EQ(r.readInt32(), 65);
  EXPECT_EQ(r.readInt32(), 0);
  EXPECT_EQ(r.readInt32(), 0);
  EXPECT_EQ(r.readInt32(), 0);
  EXPECT_TRUE(r.atEnd());
}

TEST(FieldReader, NumbersAreSignedDecimalWholeNumbers) {
  struct Case {
    const char* text;
    bool ok;
    std::int32_t value;
  } cases[] = {
      {"-1,", true, -1},          {"+7,", true, 7},        {"-0,", true, 0},
      {"2147483647,", true, 2147483647},                    {"-2147483648,", true, -2147483647 - 1},
      {"2147483648,", false, 0},  {"-2147483649,", false, 0},
      {"99999999999999999999999,", false, 0},
      {"12.5,", false, 0},        {"abc,", false, 0},      {"1e3,", false, 0},
      {"12abc,", false, 0},       {"-,", false, 0},        {"\"5\",", false, 0},
      {"12\n3,", false, 0},       {"\t5,", false, 0},
  };
  for (const Case& c : cases) {
    FieldReader r(c.text);
    if (c.ok) {
      EXPECT_EQ(r.readInt32(), c.value) << c.text;
    } else {
      EXPECT_THROW(r.readInt32(), RuntimeFailure) << c.text;
    }
  }
}

TEST(FieldReader, NarrowFieldsCheckTheirRange) {
  EXPECT_EQ(FieldReader("255").readUint8(), 255);
  EXPECT_THROW(FieldReader("256").readUint8(), RuntimeFailure);
  EXPECT_THROW(FieldReader("-1").readUint8(), RuntimeFailure);
  EXPECT_EQ(FieldReader("-32768").readInt16(), -32768);
  EXPECT_THROW(FieldReader("32768").readInt16(), RuntimeFailure);
}

TEST(FieldReader, LoneCrOrLfAndQuotesAreOrdinaryCharacters) {
  FieldReader r("a\nb,\"c\",d\re\r\n");
  EXPECT_EQ(r.readText(), "a\nb");
  EXPECT_EQ(r.readText(), "\"c\"");
  EXPECT_EQ(r.readText(), "d\re");
  EXPECT_TRUE(r.atEnd());
}

TEST(FieldReader, BlanksOnlyAtTheEndReadAsAnEmptyField) {
  FieldReader r("[fine]\r\n   ");
  EXPECT_EQ(r.readText(), "[fine]");
  EXPECT_FALSE(r.atEnd());
  EXPECT_EQ(r.readText(), "");
  EXPECT_TRUE(r.atEnd());
}

}  // namespace
}  // namespace pack
