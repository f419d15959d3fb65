#include "compiler/error_codes.h"

#include <algorithm>

namespace pack {
namespace {

using enum ErrorOrigin;
constexpr bool kPosition = true;
constexpr bool kFatal = true;

constexpr ErrorInfo kErrors[] = {
    {kErrRouteTooLong, !kPosition, kEntry, !kFatal,
     "the route length is above 1000000 m; shorten the line"},
    {kErrKilometrePost, !kPosition, kRouteSource, !kFatal,
     "a kilometre-post definition has a position or value that is not a multiple of 50 (after the flag "
     "adds 100); round it to 50 m"},
    {kErrRepetitionFirst, !kPosition, kEntry, !kFatal,
     "the first signal-repetition position is not a multiple of 50; round it to 50 m"},
    {kErrRepetitionSecond, !kPosition, kEntry, !kFatal,
     "the second signal-repetition position is not a multiple of 50; round it to 50 m"},
    {kErrRepetitionCodes, !kPosition, kEntry, !kFatal,
     "the signal-repetition key names neither 4 nor 9 codes; write \"ripetizione segnali 4 codici\" or "
     "\"ripetizione segnali 9 codici\""},
    {kErrTextBoardOccupied, kPosition, kEntry, !kFatal,
     "the text board's cell already holds a board or another feature; move the board by at least 50 m"},
    {kErrCodePointOccupied, kPosition, kEntry, !kFatal,
     "the code point's cell already holds a signal, slow-down point, board, code point or stop point; move "
     "the code point"},
    {kErrStationPosition, kPosition, kEntry, !kFatal,
     "the station position is not a multiple of 50; round it to 50 m"},
    {kErrPlatformLength, kPosition, kEntry, !kFatal,
     "the platform length is not a multiple of 100; round it to 100 m"},
    {kErrTooManyStations, !kPosition, kEntry, !kFatal,
     "there are more stations than table rows left by the text boards (78 minus the boards); remove "
     "stations or boards"},
    {kErrNoCellBeforeSignal, kPosition, kCompletion, !kFatal,
     "no free cell in the two cells before a signal that stands within 1000 m before a slow-down's warning "
     "point, for its automatic code point; free one of them or move the signal"},
    {kErrNoCellInWindow, kPosition, kCompletion, !kFatal,
     "no free cell in one of the windows 5-7, 11-13 or 18-20 cells before a slow-down start, for its "
     "automatic code point; free a cell there or move the slow-down"},
    {kErrNoCellInWalk, kPosition, kCompletion, !kFatal,
     "no free cell for an automatic code point along a slow-down below 110 km/h (every 400 m) or before "
     "the first signal after its end; free a cell there or move the slow-down"},
    {kErrBeyondTrack, kPosition, kEntry, !kFatal,
     "the position lies beyond the track model (the route length plus 7000 m, less 100 m; 800 m for a "
     "station) or before its start; move it or lengthen the route"},
    {kErrSignalOccupied, kPosition, kEntry, !kFatal,
     "the signal's cell already holds another signal, a slow-down point, a board, a code point or a station "
     "stop point; move the signal"},
    {kErrWarningOccupied, kPosition, kEntry, !kFatal,
     "the slow-down's warning point (1200 m before its start) falls on an occupied cell; move the slow-down"},
    {kErrSlowDownStartOccupied, kPosition, kEntry, !kFatal,
     "the slow-down's start falls on an occupied cell; move the slow-down"},
    {kErrSlowDownEndOccupied, kPosition, kEntry, !kFatal,
     "the slow-down's end falls on an occupied cell; change its length or start"},
    {kErrApproachOccupied, kPosition, kEntry, !kFatal,
     "one of the four approach cells before the slow-down's warning point is occupied; move the slow-down "
     "or set its approach flag to 0"},
    {kErrSpeedBoardOccupied, kPosition, kEntry, !kFatal,
     "the speed-indicator board's cell already holds a board or another feature; move the board by at "
     "least 50 m"},
    {kErrStationSpacing, kPosition, kEntry, !kFatal,
     "the platform begins less than 350 m after the end of the previous station's platform; list stations "
     "in ascending order and space them further apart"},
    {kErrStopPoint, !kPosition, kEntry, !kFatal,
     "the platform ends within the first 100 m of the line, so there is no cell for its stop point; move "
     "the station further along"},
    {kErrRunTime, !kPosition, kEntry, !kFatal,
     "the source could not be read: a value is not a whole number or does not fit its field, a line has too "
     "few values before the end of the file, a number overflows, the general part has no route length, or "
     "the train run source is missing"},
    {kErrNoRouteSource, !kPosition, kRouteSource, !kFatal,
     "the route source does not exist; export or write it first"},
    {kErrNoGeneralSection, !kPosition, kEntry, !kFatal,
     "the route source has no \"[generale]\" section (or nothing after it); start it with \"[generale]\""},
    {kErrCurve, !kPosition, kEntry, !kFatal,
     "the curve key has no class digit 1 to 6 (as in \"curvad4\"), or the curves reach metre 1000000; fix "
     "the key or shorten the line"},
    {kErrReservedTableSlot, !kPosition, kCompletion, kFatal,
     "a feature in cell 1 (at the very start of the line) left a nonzero first value in the reserved slot; "
     "move the feature off the first 50 m"},
    {kErrReservedCodeSlot, !kPosition, kCompletion, kFatal,
     "a feature in cell 1 (at the very start of the line) left a nonzero second value in the reserved slot; "
     "move the feature off the first 50 m"},
};

constexpr bool ascending() {
  for (std::size_t i = 1; i < std::size(kErrors); ++i) {
    if (kErrors[i - 1].code >= kErrors[i].code) return false;
  }
  return true;
}
static_assert(ascending(), "one row per code, in ascending order");

}  // namespace

std::span<const ErrorInfo> errorTable() { return kErrors; }

const ErrorInfo* findError(std::int32_t code) {
  const ErrorInfo* row = std::find_if(std::begin(kErrors), std::end(kErrors),
                                      [code](const ErrorInfo& e) { return e.code == code; });
  return row != std::end(kErrors) ? row : nullptr;
}

std::string_view errorMessage(std::int32_t code) {
  const ErrorInfo* row = findError(code);
  return row != nullptr ? row->message : std::string_view{};
}

}  // namespace pack
