#include "compiler/rounding.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace pack {
namespace {

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
  struct Case {
    double in;
    std::int32_t out;
  } cases[] = {
      {2.5, 2},         {3.5, 4},         {-2.5, -2},      {-3.5, -4},    {0.5, 0},
      {1.5, 2},         {797.5, 798},     {798.5, 798},    {2.4999, 2},   {2.5001, 3},
      {-0.5, 0},        {-1.5, -2},       {109.0, 109},    {0.0, 0},      {-0.49, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(roundHalfEven<std::int32_t>(c.in), c.out) << c.in;
}

TEST(RoundHalfEven, SizesTheTrackFromExtendedLength) {
  EXPECT_EQ(roundHalfEven<std::int32_t>(39850 / 50.0), 797);
  EXPECT_EQ(roundHalfEven<std::int32_t>(39875 / 50.0), 798);
  EXPECT_EQ(roundHalfEven<std::int32_t>(39925 / 50.0), 798);
}

TEST(RoundHalfEven, OutOfRangeIsARuntimeFailure) {
  EXPECT_THROW(roundHalfEven<std::int16_t>(32767.6), RuntimeFailure);
  EXPECT_THROW(roundHalfEven<std::int16_t>(-32768.6), RuntimeFailure);
  EXPECT_THROW(roundHalfEven<std::int16_t>(32767.5), RuntimeFailure);  // to the even 32768
  EXPECT_EQ(roundHalfEven<std::int16_t>(32766.5), 32766);
  EXPECT_THROW(roundHalfEven<std::uint8_t>(255.6), RuntimeFailure);
  EXPECT_THROW(roundHalfEven<std::uint8_t>(-0.6), RuntimeFailure);
  EXPECT_EQ(roundHalfEven<std::uint8_t>(-0.5), 0);
  EXPECT_THROW(roundHalfEven<std::int32_t>(1e10), RuntimeFailure);
  EXPECT_THROW(roundHalfEven<std::int32_t>(std::nan("")), RuntimeFailure);
}

}  // namespace
}  // namespace pack
