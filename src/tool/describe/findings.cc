#include "tool/describe/findings.h"

#include <algorithm>
#include <stdexcept>

namespace pack {
namespace {

using enum FindingId;
using enum FindingSeverity;

constexpr FindingInfo kFindings[] = {
    {kFileEndsInEntry, "L001", "file-ends-in-entry", kError,
     "the file ends after {1} of the {2} values of {3}; the compiler stops with error 25"},
    {kUnreadableValue, "L002", "unreadable-value", kError,
     "{1} ({2}); the compiler stops reading with error 25"},
    {kTooFewValues, "L003", "too-few-values", kError,
     "{1} takes {2} values, line {3} has {4}; the compiler reads {5} for {6} and stops with error 25"},
    {kValuesContinued, "L004", "values-continued", kWarning,
     "{1} takes {2} values, the line has {3} (the rest are taken from the next line)"},
    {kExtraValues, "L005", "extra-values", kWarning,
     "{1} takes {2} values, the line has {3} (the extra fields are read as keys)"},
    {kTextCutByComma, "L006", "text-cut-by-comma", kWarning,
     "the text {1} ({2}) ends at a comma: the rest of the line, {3}, is read as a key field; a text value cannot "
     "hold a comma"},
    {kCommentCutByComma, "L007", "comment-cut-by-comma", kWarning,
     "the comment {1} ends at a comma: the rest of the line, {2}, is read as {3}; a comment cannot hold a comma"},
    {kCommentRunReachesEnd, "L008", "comment-run-reaches-end", kError,
     "the comment fields from line {1} on run to the end of the file, which is not looked for within a run of "
     "comments in the general part: the compiler reads past it and stops with error 25; end the file with a line "
     "such as [fine]"},
    {kCommentReadAsKey, "L009", "comment-read-as-key", kWarning,
     "{1} follows {2} comment fields in a row, so it is taken as a key field, not a comment, and read as {3}; "
     "remove the words or a comment line before it"},
    {kHeaderReadAsEntry, "L010", "header-read-as-entry", kWarning,
     "{1} looks like a section header but holds the words of {2}, so it is read as that entry and takes the {3} "
     "values after it; rename the header"},
    {kLastFieldUnread, "L011", "last-field-unread", kWarning,
     "{1} is the file's last field, which is never read as {2}; end the file with a line such as [fine]"},
    {kKeyCase, "L012", "key-case", kWarning,
     "{1} is not recognised: the words of {2} are looked for in lower case only; write it {2}"},
    {kKeyOfOtherPart, "L013", "key-of-other-part", kWarning,
     "{1} is {2} entry{3} and is not recognised here; its values are read as further keys"},
    {kKeyNearMiss, "L014", "key-near-miss", kWarning, "{1} matches no entry and is ignored; did you mean {2}?"},
    {kKeyUnknown, "L015", "key-unknown", kWarning, "{1} matches no entry and is ignored"},
    {kCurveKeyUnclear, "L016", "curve-key-unclear", kWarning,
     "{1}: {2}; compiled as a {3}-hand curve of class {4}; did you mean {5}?"},
    {kValueEmpty, "L017", "value-empty", kStyle, "{1} is empty and is read as 0"},
    {kValueOutOfRange, "L018", "value-out-of-range", kWarning, "{1} is {2}, {3}{4}"},
    {kPositionBeyondRoute, "L019", "position-beyond-route", kWarning,
     "{1} is {2}, beyond the end of the route at {3} (in the run-out after it)"},
    {kNotAscending, "L020", "not-ascending", kWarning,
     "{1} at {2} does not follow the previous one at {3}; list them in ascending order"},
    {kCurveOverlap, "L021", "curve-overlap", kWarning,
     "the curve starting at {1} overlaps the previous one, which ends at {2}"},
    {kCurveBeyondTrack, "L022", "curve-beyond-track", kWarning,
     "the curve ends at {1}, beyond the end of the track model at {2} (the route's length and {3})"},
    {kTooManyMountains, "L023", "too-many-mountains", kWarning,
     "more than {1} mountain stretches; the compiler keeps {1}"},
    {kMountainEndsBeforeStart, "L024", "mountain-ends-before-start", kWarning,
     "the mountain stretch ends at {1}, not after its start at {2}"},
    {kMountainOverlap, "L025", "mountain-overlap", kWarning,
     "the mountain stretch starting at {1} overlaps the previous one, which ends at {2}"},
    {kSceneryType, "L026", "scenery-type", kWarning, "scenery type {1} is none of 1, 2, 11 or 12{2}"},
    {kStationTypeNoStop, "L027", "station-type-no-stop", kWarning,
     "station type {1} is only recorded in the table: the train gets no stop point there"},
    {kStationTimeBeforePrevious, "L028", "station-time-before-previous", kWarning,
     "the time {1} at {2} is earlier than {3} at the station before it, {4}"},
    {kStationTimeBeforeClock, "L029", "station-time-before-clock", kWarning,
     "the time {1} at {2} is earlier than the clock at the start of the run, {3}"},
    {kValueStoredOtherwise, "L030", "value-stored-otherwise", kWarning, "{1}: {2}"},
    {kApproachMarksReplaced, "L031", "approach-marks-replaced", kWarning,
     "the approach marks of this entry replace those of {1} in the cells at {2} m; move one of the two so that "
     "both keep their marks"},
    {kByteOrderMark, "L032", "byte-order-mark", kWarning, "{1}"},
    {kLineEnds, "L033", "line-ends", kWarning, "{1}"},
    {kUtf8Text, "L034", "utf8-text", kWarning, "{1}"},
    {kErrorBehindError, "L035", "error-behind-error", kError,
     "{1} is {2}, not a multiple of {3}: once {4} is put right, the compiler stops here with error {5}"},
    {kSectionCannotBeKept, "L036", "section-cannot-be-kept", kWarning,
     "{1} at {2} is {3} after {4}; the train needs at least {5}"},
    {kSectionTight, "L037", "section-tight", kStyle,
     "{1} at {2} is {3} after {4}; the train needs {5}, and the timetable rules add {6} to that"},
};

constexpr bool inIdOrder() {
  for (std::size_t i = 0; i < std::size(kFindings); ++i) {
    if (static_cast<std::size_t>(kFindings[i].id) != i + 1) return false;
  }
  return true;
}
static_assert(inIdOrder(), "one row per id, the row of id n at place n");

}  // namespace

std::span<const FindingInfo> findingTable() { return kFindings; }

const FindingInfo& findingInfo(FindingId id) {
  const std::size_t index = static_cast<std::size_t>(id) - 1;
  if (index >= std::size(kFindings)) throw std::logic_error("a finding without a row");
  return kFindings[index];
}

const FindingInfo* findFinding(std::string_view key) {
  const FindingInfo* row = std::find_if(std::begin(kFindings), std::end(kFindings),
                                        [key](const FindingInfo& f) { return f.code == key || f.name == key; });
  return row != std::end(kFindings) ? row : nullptr;
}

std::string_view severityName(FindingSeverity severity) {
  switch (severity) {
    case kError: return "error";
    case kWarning: return "warning";
    case kStyle: return "style";
  }
  return "warning";
}

std::string findingMessage(FindingId id, std::initializer_list<std::string_view> args) {
  std::string_view pattern = findingInfo(id).pattern;
  std::string text;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const bool placeholder = pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 1] >= '1' &&
                             pattern[i + 1] <= '9' && pattern[i + 2] == '}';
    const std::size_t arg = placeholder ? static_cast<std::size_t>(pattern[i + 1] - '1') : 0;
    if (!placeholder || arg >= args.size()) {
      text += pattern[i];
      continue;
    }
    text += *(args.begin() + arg);
    i += 2;
  }
  return text;
}

std::string findingCode(FindingId id) { return id == FindingId{} ? "" : std::string(findingInfo(id).code); }

}  // namespace pack
