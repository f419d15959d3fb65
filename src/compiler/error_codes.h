// The compiler's error numbers. Keep in sync with the message table in error_codes.cc.
#pragma once

#include <cstdint>
#include <string_view>

namespace pack {

enum ErrorCode : std::int32_t {
  kErrNone = 0,
  kErrRouteTooLong = 1,             // route length above 1000000 m
  kErrKilometrePost = 2,            // a kilometre-post position or value not a multiple of 50
  kErrRepetitionFirst = 3,          // first signal-repetition position not a multiple of 50
  kErrRepetitionSecond = 4,         // second signal-repetition position not a multiple of 50
  kErrRepetitionCodes = 5,          // signal-repetition key with neither "4" nor "9"
  kErrTextBoardOccupied = 6,        // text board on an occupied cell
  kErrCodePointOccupied = 7,        // code point on an occupied cell
  kErrStationPosition = 8,          // station position not a multiple of 50
  kErrPlatformLength = 9,           // platform length not a multiple of 100
  kErrTooManyStations = 10,         // stations reach the text boards' rows
  kErrNoCellBeforeSignal = 11,      // no free cell for a code point before a signal near a warning point
  kErrNoCellInWindow = 12,          // no free cell in a window before a slow-down start
  kErrNoCellInWalk = 13,            // no free cell for a code point along or after a slow-down
  kErrBeyondTrack = 15,             // a position beyond the track model
  kErrSignalOccupied = 16,          // signal on an occupied cell
  kErrWarningOccupied = 17,         // slow-down warning point on an occupied cell
  kErrSlowDownStartOccupied = 18,   // slow-down start on an occupied cell
  kErrSlowDownEndOccupied = 19,     // slow-down end on an occupied cell
  kErrApproachOccupied = 20,        // slow-down approach cells occupied
  kErrSpeedBoardOccupied = 21,      // speed-indicator board on an occupied cell
  kErrStationSpacing = 22,          // platform too close to the previous one
  kErrStopPoint = 24,               // platform end not beyond 100 m
  kErrRunTime = 25,                 // unexpected failure while reading (bad number, end of file, overflow)
  kErrNoRouteSource = 101,          // route source missing
  kErrNoGeneralSection = 102,       // route source without "[generale]"
  kErrCurve = 103,                  // curve without a class digit, or the plan reaching 1000000 m
  kErrReservedTableSlot = 1250,     // reserved slots not empty (fatal)
  kErrReservedCodeSlot = 1251,      // reserved code slots not empty (fatal)
};

// What the error means and what would fix it, in plain words; empty for an unknown number.
std::string_view errorMessage(std::int32_t code);

// Whether the code sets errorPosition together with itself (the position of the refused entry or cell).
bool errorSetsPosition(std::int32_t code);

// Whether only the completion pass over the cells records the code, so that no source line caused it.
bool errorFromCompletion(std::int32_t code);

}  // namespace pack
