#include "compiler/error_codes.h"

namespace pack {
namespace {

struct ErrorEntry {
  std::int32_t code;
  std::string_view message;
};

// Codes recorded with a position in metres.
constexpr std::int32_t kWithPosition[] = {
    kErrTextBoardOccupied, kErrCodePointOccupied,   kErrStationPosition,     kErrPlatformLength,
    kErrNoCellBeforeSignal, kErrNoCellInWindow,     kErrNoCellInWalk,       kErrBeyondTrack,
    kErrSignalOccupied,    kErrWarningOccupied,     kErrSlowDownStartOccupied, kErrSlowDownEndOccupied,
    kErrApproachOccupied,  kErrSpeedBoardOccupied,  kErrStationSpacing,
};

constexpr ErrorEntry kMessages[] = {
    {kErrRouteTooLong, "the route length is above 1000000 m; shorten the line"},
    {kErrKilometrePost,
     "a kilometre-post definition has a position or value that is not a multiple of 50 (after the flag "
     "adds 100); round it to 50 m"},
    {kErrRepetitionFirst, "the first signal-repetition position is not a multiple of 50; round it to 50 m"},
    {kErrRepetitionSecond, "the second signal-repetition position is not a multiple of 50; round it to 50 m"},
    {kErrRepetitionCodes,
     "the signal-repetition key names neither 4 nor 9 codes; write \"ripetizione segnali 4 codici\" or "
     "\"ripetizione segnali 9 codici\""},
    {kErrTextBoardOccupied,
     "the text board's cell already holds a board or another feature; move the board by at least 50 m"},
    {kErrCodePointOccupied,
     "the code point's cell already holds a signal, slow-down point, board, code point or stop point; move "
     "the code point"},
    {kErrStationPosition, "the station position is not a multiple of 50; round it to 50 m"},
    {kErrPlatformLength, "the platform length is not a multiple of 100; round it to 100 m"},
    {kErrTooManyStations,
     "there are more stations than table rows left by the text boards (78 minus the boards); remove "
     "stations or boards"},
    {kErrNoCellBeforeSignal,
     "no free cell in the two cells before a signal that stands within 1000 m before a slow-down's warning "
     "point, for its automatic code point; free one of them or move the signal"},
    {kErrNoCellInWindow,
     "no free cell in one of the windows 5-7, 11-13 or 18-20 cells before a slow-down start, for its "
     "automatic code point; free a cell there or move the slow-down"},
    {kErrNoCellInWalk,
     "no free cell for an automatic code point along a slow-down below 110 km/h (every 400 m) or before "
     "the first signal after its end; free a cell there or move the slow-down"},
    {kErrBeyondTrack,
     "the position lies beyond the track model (the route length plus 7000 m, less 100 m; 800 m for a "
     "station) or before its start; move it or lengthen the route"},
    {kErrSignalOccupied,
     "the signal's cell already holds another signal, a slow-down point, a board, a code point or a station "
     "stop point; move the signal"},
    {kErrWarningOccupied,
     "the slow-down's warning point (1200 m before its start) falls on an occupied cell; move the slow-down"},
    {kErrSlowDownStartOccupied, "the slow-down's start falls on an occupied cell; move the slow-down"},
    {kErrSlowDownEndOccupied, "the slow-down's end falls on an occupied cell; change its length or start"},
    {kErrApproachOccupied,
     "one of the four approach cells before the slow-down's warning point is occupied; move the slow-down "
     "or set its approach flag to 0"},
    {kErrSpeedBoardOccupied,
     "the speed-indicator board's cell already holds a board or another feature; move the board by at "
     "least 50 m"},
    {kErrStationSpacing,
     "the platform begins less than 350 m after the end of the previous station's platform; list stations "
     "in ascending order and space them further apart"},
    {kErrStopPoint,
     "the platform ends within the first 100 m of the line, so there is no cell for its stop point; move "
     "the station further along"},
    {kErrRunTime,
     "the source could not be read: a value is not a whole number or does not fit its field, a line has too "
     "few values before the end of the file, a number overflows, the general part has no route length, or "
     "the train run source is missing"},
    {kErrNoRouteSource, "the route source does not exist; export or write it first"},
    {kErrNoGeneralSection,
     "the route source has no \"[generale]\" section (or nothing after it); start it with \"[generale]\""},
    {kErrCurve,
     "the curve key has no class digit 1 to 6 (as in \"curvad4\"), or the curves reach metre 1000000; fix "
     "the key or shorten the line"},
    {kErrReservedTableSlot,
     "a feature in cell 1 (at the very start of the line) left a nonzero first value in the reserved slot; "
     "move the feature off the first 50 m"},
    {kErrReservedCodeSlot,
     "a feature in cell 1 (at the very start of the line) left a nonzero second value in the reserved slot; "
     "move the feature off the first 50 m"},
};

}  // namespace

bool errorSetsPosition(std::int32_t code) {
  for (std::int32_t c : kWithPosition) {
    if (c == code) return true;
  }
  return false;
}

bool errorFromCompletion(std::int32_t code) {
  return code == kErrNoCellBeforeSignal || code == kErrNoCellInWindow || code == kErrNoCellInWalk;
}

std::string_view errorMessage(std::int32_t code) {
  for (const ErrorEntry& e : kMessages) {
    if (e.code == code) return e.message;
  }
  return {};
}

}  // namespace pack
