// The one place that knows how a track cell and a table row hold what an author writes: for each thing
// a cell or row can carry, its constants and one encode/decode pair, and the table of cell kinds. The
// recorders encode through it; everything that reads compiled files back (inspect, plot, check, decompile)
// decodes through it, so a stored number has one meaning in the whole system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/checked_math.h"
#include "compiler/model.h"
#include "compiler/rounding.h"

namespace pack {
struct EntryDefinition;
}

namespace pack::codec {

// Division rounding down, and the remainder that goes with it (0 to d - 1): packed fields split so for
// any stored value, negative ones too.
inline constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t d) { return a >= 0 ? a / d : -((-a + d - 1) / d); }
inline constexpr std::int64_t floorMod(std::int64_t a, std::int64_t d) { return a - floorDiv(a, d) * d; }

// ---- Cells along the line.

// A cell covers the 50 m from index × 50 on; a position reported for a cell is its first metre.
inline constexpr std::int64_t cellMetre(std::size_t index) {
  return static_cast<std::int64_t>(index) * kCellLength;
}

// Most features stand one cell after their position: cell i holds a feature placed at (i - 1) × 50 m.
inline constexpr std::int64_t placedMetre(std::size_t index) { return cellMetre(index) - kCellLength; }

// ---- The kinds of cell.

// Where the plot draws a kind: its lane in the features panel, or a place of its own.
enum class Lane { kNone, kSignals, kBoards, kSlowDowns, kCodePoints, kStations };

struct KindInfo {
  CellKind kind;
  std::string_view name;    // short, for listings: "slow-down start"
  std::string_view words;   // for an author: "the start of the slow-down"
  Lane lane;
  std::string_view plotName;  // the drawing's class for the lane, empty for no drawing
};

std::span<const KindInfo> cellKinds();
// The row for a stored kind; nothing for a byte that is no kind.
const KindInfo* kindInfo(std::uint8_t kind);
std::string_view kindName(std::uint8_t kind);  // "unknown" for a byte that is no kind
inline bool isKnownKind(std::uint8_t kind) { return kindInfo(kind) != nullptr; }
// The plot's class of a lane ("signal", "speed-board", ...), and its lane number among the drawn lanes.
std::string_view laneName(Lane lane);
int laneIndex(Lane lane);

// ---- Profiles: speed limit, gradient, adhesion, one byte each.

inline constexpr std::int32_t kSpeedStep = 5;   // km/h per stored unit
inline constexpr std::int32_t kGradientOffset = 100;  // stored = per mille + 100, modulo 256

// Rounded to the nearest step (halves to even); a speed beyond a byte's 255 steps is a run-time failure.
inline std::uint8_t encodeSpeed(std::int32_t kmh) {
  return roundHalfEven<std::uint8_t>(kmh / static_cast<double>(kSpeedStep));
}
inline constexpr int decodeSpeed(std::uint8_t stored) { return stored * kSpeedStep; }

inline constexpr std::uint8_t encodeGradient(std::int64_t perMille) { return wrapToUint8(perMille + kGradientOffset); }
// The last cells of the track hold 0, meaning no gradient was given there.
inline constexpr int decodeGradient(std::uint8_t stored) { return static_cast<int>(stored) - kGradientOffset; }

inline constexpr std::uint8_t encodeAdhesion(std::int64_t percent) { return wrapToUint8(percent); }
inline constexpr int decodeAdhesion(std::uint8_t stored) { return stored; }

// ---- Signals.

// The kind of signal standing on one side of the track.
enum class SignalKind : int { kNone = 0, kWarning = 1, kProtection = 2 };
std::string_view signalKindName(SignalKind k);

inline constexpr std::int32_t kSignalMarkReach = 8;  // the fourth approach mark lies 8 cells before the signal
inline constexpr int kApproachSteps = 4;            // marks and approach cells are counted 1 to 4
inline constexpr std::uint8_t kLowestSignalTime = 101;  // a time from 1 to 100 is stored as this

// value4 packs rapp × 10 + left kind × 3 + right kind; value1 to value3 the three digits of each side as
// left × 10 + right.
inline constexpr std::int16_t encodeSignalKinds(std::int64_t rapp, std::int64_t left, std::int64_t right) {
  return wrapToInt16(rapp * 10 + left * 3 + right);
}
inline constexpr std::int16_t encodeSignalDigits(std::int64_t left, std::int64_t right) {
  return wrapToInt16(left * 10 + right);
}
// Only a protection signal on the left keeps its time.
inline constexpr std::uint8_t encodeSignalTime(std::int64_t leftKind, std::int64_t time) {
  if (leftKind != static_cast<int>(SignalKind::kProtection)) return 0;
  return wrapToUint8(time >= 1 && time < kLowestSignalTime ? kLowestSignalTime : time);
}

// Any stored value4 or digit pair split as the packing makes it: the units (0 to 9) are the sides, or the
// right digit; the rest the rapp, or the left digit.
struct PackedPair {
  std::int64_t high = 0;
  std::int64_t units = 0;
};
inline constexpr PackedPair splitSignalPacking(std::int16_t packed) {
  return {floorDiv(packed, 10), floorMod(packed, 10)};
}
inline constexpr std::int64_t leftSide(std::int64_t sides) { return sides / 3; }
inline constexpr std::int64_t rightSide(std::int64_t sides) { return sides % 3; }
// The right kind that, with `left`, packs the same sides.
inline constexpr std::int64_t rightFor(std::int64_t sides, std::int64_t left) { return sides - 3 * left; }

struct SignalCells {
  int rapp = 0;
  SignalKind left = SignalKind::kNone;
  SignalKind right = SignalKind::kNone;
};
// Nothing when value4 cannot have been packed from kinds 0 to 2.
inline constexpr std::optional<SignalCells> decodeSignalKinds(std::int16_t value4) {
  if (value4 < 0 || value4 % 10 > 8) return std::nullopt;
  int sides = value4 % 10;
  return SignalCells{value4 / 10, static_cast<SignalKind>(sides / 3), static_cast<SignalKind>(sides % 3)};
}

struct SignalDigits {
  int left = 0;
  int right = 0;
};
// Digit `which` (0 to 2) of the left and right signal; nothing when the packed value is not two digits.
inline constexpr std::optional<SignalDigits> decodeSignalDigits(const TrackCell& c, int which) {
  std::int16_t packed = which == 0 ? c.value1 : which == 1 ? c.value2 : c.value3;
  if (packed < 0 || packed > 99) return std::nullopt;
  return SignalDigits{packed / 10, packed % 10};
}

// ---- Approach marks: a signal marks the four cells before it, a station those before its stop point.

inline constexpr std::uint8_t kStationMarkBase = 80;
inline constexpr std::uint8_t encodeSignalMark(std::int64_t left, std::int64_t right, int step) {
  return wrapToUint8((left * 3 + right) * 10 + step);
}
inline constexpr std::uint8_t encodeStationMark(int step) { return static_cast<std::uint8_t>(kStationMarkBase + step); }

struct ApproachMark {
  int step = 0;           // 1 to 4
  int signalSides = 0;    // left × 3 + right of the signal, or 8 for a station's mark
  bool maybeStation = false;  // 81 to 84 are a station's unless protection signals on both sides stand ahead
};
inline constexpr std::optional<ApproachMark> decodeApproachMark(std::uint8_t mark) {
  if (mark == 0 || mark % 10 < 1 || mark % 10 > kApproachSteps || mark > kStationMarkBase + kApproachSteps) {
    return std::nullopt;
  }
  return ApproachMark{mark % 10, mark / 10, mark / 10 == kStationMarkBase / 10};
}

// ---- Slow-downs: start, end, warning point and approach cells. The speed is in value1 (start, end,
// warning), d_v in value2 and f_tt in value3; an approach cell holds its step in value1.

inline constexpr std::int32_t kWarningDistance = 1200;  // metres from a warning point to its start
inline constexpr std::int32_t kWarningCells = kWarningDistance / kCellLength;
inline constexpr std::int32_t kWarnedFrom = 1500;  // only slow-downs starting beyond this get a warning point
inline constexpr std::int16_t encodeSlowDownValue(std::int64_t v) { return wrapToInt16(v); }
inline constexpr int decodeSlowDownSpeed(const TrackCell& c) { return c.value1; }

// ---- Stations: the table row, the platform and the stop point.

inline constexpr std::uint8_t kTableOnlyStationTypes = 25;  // from this type on a station touches no cell
inline constexpr std::int32_t kStationSpacing = 350;        // metres between two platforms
inline constexpr std::int32_t kShortPlatformBeyond = 150;   // types 5 and 6 end this far after the position
inline constexpr std::int32_t kPlatformExtension = 50;      // the extension flag lengthens a centred platform
inline constexpr std::int32_t kPlatformLengthStep = 100;    // a platform length is a multiple of this
inline constexpr std::int32_t kAttributeBPlatform = 600;    // attribute B is kept from this platform length on
inline constexpr bool touchesCells(int type) { return type < kTableOnlyStationTypes; }
// Types 5 to 8 lay the platform back from the position; 5 and 6 end it a fixed distance beyond.
inline constexpr bool platformRunsBack(int type) { return type >= 5 && type <= 8; }
inline constexpr bool platformEndFixed(int type) { return type == 5 || type == 6; }
inline constexpr bool marksApproach(int type) { return touchesCells(type) && !platformEndFixed(type); }
// The stations fill the table from row 1 upward and the boards' texts from row 80 downward, and the two
// never meet; a board's row holds its text and nothing else. So the stations are the rows from 1 up to
// the last one of rows 1 to 80 that holds a number: every row below it too, even one whose numbers are
// all 0.
std::int32_t stationRowCount(std::span<const ScenarioRecord, kTableRows> table);

// The time due, in seconds after midnight; not range-checked, so it wraps on 32 bits.
inline constexpr std::int32_t encodeStationTime(std::int64_t hours, std::int64_t minutes, std::int64_t seconds) {
  return wrapToInt32((hours * 60 + minutes) * 60 + seconds);
}
struct ClockTime {
  std::int64_t hours = 0, minutes = 0, seconds = 0;  // all of the stored value's sign
};
inline constexpr ClockTime decodeStationTime(std::int32_t stored) {
  return {stored / 3600, stored % 3600 / 60, stored % 60};
}

// ---- Mountain stretches: the scenery type in every cell, a marker cell every fourth cell when marked.

inline constexpr std::int32_t kMountainMarkedAbove = 10;  // a written type above 10 marks its stretch
inline constexpr std::uint8_t kMountainJoined = 3;        // stored for a stretch close after another
inline constexpr std::int32_t kMountainJoinGap = 150;     // metres: "close after"
inline constexpr std::int32_t kMountainMarkerSpacing = 4;  // cells
struct MountainType {
  std::int32_t stored = 0;  // before the joining rule
  bool marked = false;
};
inline constexpr MountainType splitMountainType(std::int32_t written) {
  if (written > kMountainMarkedAbove) return {written - kMountainMarkedAbove, true};
  return {written, false};
}
inline constexpr int decodeMountainType(std::uint8_t stored) { return stored; }  // 0: no scenery
// What an entry writes for a stored type: a joined stretch takes any plain type, the compile makes it 3.
inline constexpr std::int64_t writtenMountainType(std::uint8_t stored, bool marked, bool joined) {
  std::int64_t base = joined && stored == kMountainJoined ? 1 : stored;
  if (marked) return base + kMountainMarkedAbove;
  return base > kMountainMarkedAbove ? base - 256 : base;
}

// ---- Speed-indicator boards: value1 to value3 pack 20 × a first-set speed + the second set's speed / 5,
// value4 10 × the first set's stripes + the second set's.

inline constexpr std::int32_t kBoardSecondSetSteps = 20;
inline std::int16_t encodeBoardSpeeds(std::int32_t first, std::int32_t second) {
  return roundHalfEven<std::int16_t>(second / static_cast<double>(kSpeedStep) +
                                     static_cast<double>(checkedMul(kBoardSecondSetSteps, first)));
}
inline constexpr std::int16_t encodeBoardStripes(std::int32_t first, std::int32_t second) {
  // Only the low 16 bits of each count take part, and the sum wraps on 16 bits.
  return wrapToInt16(10 * std::int64_t{wrapToInt16(first)} + wrapToInt16(second));
}
struct BoardSpeeds {
  int first = 0;   // km/h
  int second = 0;  // km/h
};
// Any stored value split as the packing makes it: the first speed in km/h and the second set's steps of
// 5 km/h (0 to 19); the stripes of the two sets.
inline constexpr PackedPair splitBoardSpeeds(std::int16_t packed) {
  return {floorDiv(packed, kBoardSecondSetSteps), floorMod(packed, kBoardSecondSetSteps)};
}
inline constexpr PackedPair splitBoardStripes(std::int16_t packed) {
  return {floorDiv(packed, 10), floorMod(packed, 10)};
}
inline constexpr BoardSpeeds decodeBoardSpeeds(std::int16_t packed) {
  int v = packed < 0 ? 0 : packed;
  return {v / kBoardSecondSetSteps, v % kBoardSecondSetSteps * kSpeedStep};
}

// ---- Text boards: the cell names the table row holding the text, rows 1 to 80 from 80 downward.

inline constexpr bool isBoardRow(std::int64_t row) { return row >= 1 && row <= kFirstBoardRow; }

// ---- Code points: the code in value1, kept modulo 2^16; a code below 1 places a point without one.

inline constexpr std::int16_t encodeCode(std::int64_t code) { return wrapToInt16(code); }
inline constexpr std::int64_t decodeCode(const TrackCell& c) {
  if (c.kind == kCodePointNoValue) return 0;
  return c.value1 >= 1 ? c.value1 : c.value1 + 65536;
}

// ---- Kilometre-post definitions (rows 81 to 83): position, value and a flag; flag 1 raises the value
// when the definitions are ordered.

inline constexpr std::int32_t kKilometreFlagRaise = 100;

// ---- Reserved slots and the identification codes: every compile writes a fixed marker into row 85's
// param1 and cell 1's value1; cell 1's value2 holds the plain scenario code, row 85's numberD the weighted
// one.

inline constexpr std::int16_t kReservedTableValue = 610;
inline constexpr std::int16_t kReservedCellValue = 5121;
inline constexpr std::size_t kIdentificationCell = 1;

// What such a slot holds, in an author's words (no entry writes it, so a source never shows it): "the
// compiler's identification, not from any entry: the fixed value 5121 and the code 2536 of the train
// number and scenario name".
std::string identificationText(std::int64_t fixedValue, std::int64_t code);

// ---- Curves: the class digit of a curve key gives its curvature.

struct CurveClass {
  int number;        // 1 to 6, the digit of the key
  double curvature;  // radians per metre: the inverse of the radius
  int radius;        // metres, rounded
};
std::span<const CurveClass> curveClasses();
// The class a key names: the first class digit found in it; nothing when it has none.
std::optional<int> curveClassOfKey(std::string_view key);
double classCurvature(int curveClass);  // 0 for a number that is no class
// The class nearest a curvature's size, 0 for a straight (below half the gentlest class).
int nearestCurveClass(double curvature);
// The curvature of each of `cells` cells, in radians per metre, right positive, as the plan turns: the
// sharpest turn from one metre to the next within the cell (0 where the plan has no points).
std::vector<double> cellCurvatures(const std::vector<PlanPoint>& plan, std::size_t cells);

// ---- The speed a train may run per cell: the line's limit in km/h, lowered from each slow-down's start
// up to its end.
std::vector<int> effectiveSpeeds(std::span<const TrackCell> cells);

// ---- Values stored in fewer bits or steps than written.

// The value the simulator sees for `written` as value `index` of `entry`, or nothing when the compile
// refuses it (a speed beyond what a byte holds). The written value itself where nothing is lost, and for
// values this table does not know.
std::optional<std::int64_t> storedValue(const EntryDefinition& entry, std::size_t index, std::int64_t written);

// In words, when the simulator sees another value than the one written ("180 per mille is stored as
// -76"); empty when the value is kept as written. For a warning, a hover or an inspector.
std::string storedAs(const EntryDefinition& entry, std::size_t index, std::int64_t written);

}  // namespace pack::codec
