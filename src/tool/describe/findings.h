// What the authoring tool finds in a source beyond the compiler's errors, one row per kind of finding
// (findings.cc): a stable id ("L012") and a short name ("too-few-values") that an editor, a filter or the
// JSON output can use, how serious it is, and its message as a pattern whose {1}, {2}... the finder
// fills. Adding a finding is one enumerator here and one row there; the ids never change meaning, and an
// id that is retired is not given again.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace pack {

enum class FindingId : std::uint16_t {
  // Reading: fields the compiler cannot read, or reads otherwise than the lines suggest.
  kFileEndsInEntry = 1,
  kUnreadableValue = 2,
  kTooFewValues = 3,
  kValuesContinued = 4,
  kExtraValues = 5,
  kTextCutByComma = 6,
  kCommentCutByComma = 7,
  kCommentRunReachesEnd = 8,
  kCommentReadAsKey = 9,
  kHeaderReadAsEntry = 10,
  kLastFieldUnread = 11,
  // Keys that match nothing, or not what was meant.
  kKeyCase = 12,
  kKeyOfOtherPart = 13,
  kKeyNearMiss = 14,
  kKeyUnknown = 15,
  kCurveKeyUnclear = 16,
  // Values.
  kValueEmpty = 17,
  kValueOutOfRange = 18,
  kPositionBeyondRoute = 19,
  kNotAscending = 20,
  kCurveOverlap = 21,
  kCurveBeyondTrack = 22,
  kTooManyMountains = 23,
  kMountainEndsBeforeStart = 24,
  kMountainOverlap = 25,
  kSceneryType = 26,
  kStationTypeNoStop = 27,
  kStationTimeBeforePrevious = 28,
  kStationTimeBeforeClock = 29,
  kValueStoredOtherwise = 30,  // the simulator sees another value than the one written
  // Found by the compile itself, or in the bytes of a source.
  kApproachMarksReplaced = 31,
  kByteOrderMark = 32,
  kLineEnds = 33,
  kUtf8Text = 34,
  // The compiler stops at one error of a line: another one it would stop at next.
  kErrorBehindError = 35,
  // The timetable against the train's fastest run (the running-time engine).
  kSectionCannotBeKept = 36,
  kSectionTight = 37,
};

enum class FindingSeverity : std::uint8_t {
  kError,    // the compile stops at it (the compiler's own error names the same line)
  kWarning,  // it compiles, but likely not as the author meant
  kStyle,    // it compiles as meant, but not in the form the sources are written in
};

struct FindingInfo {
  FindingId id;
  std::string_view code;     // "L003"
  std::string_view name;     // "too-few-values"
  FindingSeverity severity;
  std::string_view pattern;  // the message, {1}, {2}... standing for what the finder fills in
};

// Every row, in ascending order of id.
std::span<const FindingInfo> findingTable();

const FindingInfo& findingInfo(FindingId id);

// The row whose code or name is `key` ("L003" or "too-few-values"), or nothing.
const FindingInfo* findFinding(std::string_view key);

std::string_view severityName(FindingSeverity severity);

// The code of a finding ("L014"), empty for none (a warning made before findings had ids).
std::string findingCode(FindingId id);

// The pattern of `id` with {1}, {2}... replaced by `args` in order.
std::string findingMessage(FindingId id, std::initializer_list<std::string_view> args);

}  // namespace pack
