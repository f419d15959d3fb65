// The compiler's error numbers, and one row for each of them (error_codes.cc): whether it carries a
// position, where it comes from, whether it stops the compile, and its message. Adding a code is one
// enumerator here and one row there; the tests check that every enumerator has exactly one row.
#pragma once

#include <cstdint>
#include <span>
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

// Where a code comes from, which says what a report of it points at.
enum class ErrorOrigin : std::uint8_t {
  kEntry,        // an entry of a source: the source and the line of its key, as the reader recorded them
  kRouteSource,  // the route source as a whole: no line belongs to it
  kCompletion,   // the checks on the cells after both sources were read: no source line caused it
};

struct ErrorInfo {
  std::int32_t code;
  bool hasPosition;  // errorPosition is set with the code (the position of the refused entry or cell)
  ErrorOrigin origin;
  bool fatal;        // the compile stops before anything is written (" Errore n. ")
  std::string_view message;  // what the error means and what would fix it, in plain words
};

// Every row, in ascending order of code.
std::span<const ErrorInfo> errorTable();

// The row of `code`, or nothing for an unknown number (0 included).
const ErrorInfo* findError(std::int32_t code);

// The message of `code`; empty for an unknown number.
std::string_view errorMessage(std::int32_t code);

}  // namespace pack
