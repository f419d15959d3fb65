#include "compiler/error_codes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace pack {
namespace {

// Every enumerator of ErrorCode but kErrNone, with what its row must say.
struct Expected {
  bool hasPosition;
  ErrorOrigin origin;
  bool fatal = false;
};

const std::map<std::int32_t, Expected> kEveryCode = {
    {kErrRouteTooLong, {false, ErrorOrigin::kEntry}},
    {kErrKilometrePost, {false, ErrorOrigin::kRouteSource}},
    {kErrRepetitionFirst, {false, ErrorOrigin::kEntry}},
    {kErrRepetitionSecond, {false, ErrorOrigin::kEntry}},
    {kErrRepetitionCodes, {false, ErrorOrigin::kEntry}},
    {kErrTextBoardOccupied, {true, ErrorOrigin::kEntry}},
    {kErrCodePointOccupied, {true, ErrorOrigin::kEntry}},
    {kErrStationPosition, {true, ErrorOrigin::kEntry}},
    {kErrPlatformLength, {true, ErrorOrigin::kEntry}},
    {kErrTooManyStations, {false, ErrorOrigin::kEntry}},
    {kErrNoCellBeforeSignal, {true, ErrorOrigin::kCompletion}},
    {kErrNoCellInWindow, {true, ErrorOrigin::kCompletion}},
    {kErrNoCellInWalk, {true, ErrorOrigin::kCompletion}},
    {kErrBeyondTrack, {true, ErrorOrigin::kEntry}},
    {kErrSignalOccupied, {true, ErrorOrigin::kEntry}},
    {kErrWarningOccupied, {true, ErrorOrigin::kEntry}},
    {kErrSlowDownStartOccupied, {true, ErrorOrigin::kEntry}},
    {kErrSlowDownEndOccupied, {true, ErrorOrigin::kEntry}},
    {kErrApproachOccupied, {true, ErrorOrigin::kEntry}},
    {kErrSpeedBoardOccupied, {true, ErrorOrigin::kEntry}},
    {kErrStationSpacing, {true, ErrorOrigin::kEntry}},
    {kErrStopPoint, {false, ErrorOrigin::kEntry}},
    {kErrRunTime, {false, ErrorOrigin::kEntry}},
    {kErrNoRouteSource, {false, ErrorOrigin::kRouteSource}},
    {kErrNoGeneralSection, {false, ErrorOrigin::kEntry}},
    {kErrCurve, {false, ErrorOrigin::kEntry}},
    {kErrReservedTableSlot, {false, ErrorOrigin::kCompletion, true}},
    {kErrReservedCodeSlot, {false, ErrorOrigin::kCompletion, true}},
};

TEST(ErrorCodes, EveryCodeHasExactlyOneRowAndItsOwnMessage) {
  std::map<std::int32_t, int> rows;
  std::set<std::string_view> messages;
  for (const ErrorInfo& row : errorTable()) {
    ++rows[row.code];
    EXPECT_FALSE(row.message.empty()) << row.code;
    EXPECT_TRUE(messages.insert(row.message).second) << "message shared by code " << row.code;
  }
  for (const auto& [code, expected] : kEveryCode) {
    SCOPED_TRACE(code);
    EXPECT_EQ(rows[code], 1);
    const ErrorInfo* row = findError(code);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->hasPosition, expected.hasPosition);
    EXPECT_EQ(row->origin, expected.origin);
    EXPECT_EQ(row->fatal, expected.fatal);
  }
  EXPECT_EQ(rows.size(), kEveryCode.size());
}

TEST(ErrorCodes, UnknownNumbersHaveNoRow) {
  for (std::int32_t code : {0, 14, 23, 26, 1249, -1}) {
    EXPECT_EQ(findError(code), nullptr) << code;
    EXPECT_TRUE(errorMessage(code).empty()) << code;
  }
}

}  // namespace
}  // namespace pack
