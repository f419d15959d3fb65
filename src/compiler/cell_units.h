// A track cell's stored fields read back in the units an author writes them in: metres along the line,
// km/h, per mille, per cent, and the names of the feature kinds, signal kinds and approach marks. The
// recorders pack these encodings; everything that reads cells back (the tool's inspector and plots)
// goes through here instead of restating them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "compiler/model.h"

namespace pack::cell_units {

// A cell covers the 50 m from index × 50 on; a position reported for a cell is its first metre.
inline constexpr std::int64_t cellMetre(std::size_t index) {
  return static_cast<std::int64_t>(index) * kCellLength;
}

// Speed limit, stored in units of 5 km/h.
inline constexpr int speedKmh(const TrackCell& c) { return c.speedLimit * 5; }

// Gradient, stored as per mille + 100 (100 is level). The last cells of the track hold 0, meaning no
// gradient was given there; callers that draw a profile stop before them.
inline constexpr int gradientPerMille(const TrackCell& c) { return static_cast<int>(c.gradient) - 100; }

inline constexpr int adhesionPercent(const TrackCell& c) { return c.adhesion; }

// Mountain scenery: 1 and 2 as the source gives them, 3 for a stretch that follows another within 150 m.
inline constexpr int mountainType(const TrackCell& c) { return c.mountainKind; }

inline constexpr std::string_view kindName(std::uint8_t kind) {
  switch (kind) {
    case kFree: return "-";
    case kSignal: return "signal";
    case kSlowDownEnd: return "slow-down end";
    case kSlowDownStart: return "slow-down start";
    case kSlowDownWarning: return "slow-down warning";
    case kSlowDownApproach: return "slow-down approach";
    case kSpeedBoard: return "speed board";
    case kStopPoint: return "stop point";
    case kMountainMark: return "mountain mark";
    case kCodePoint: return "code point";
    case kCodePointNoValue: return "code point (no code)";
    case kTextBoard: return "text board";
    default: return "unknown";
  }
}

inline constexpr bool isKnownKind(std::uint8_t kind) { return kindName(kind) != "unknown"; }

// The kind of signal standing on one side of the track.
enum class SignalKind : int { kNone = 0, kWarning = 1, kProtection = 2 };

inline constexpr std::string_view signalKindName(SignalKind k) {
  switch (k) {
    case SignalKind::kNone: return "none";
    case SignalKind::kWarning: return "warning";
    case SignalKind::kProtection: return "protection";
  }
  return "?";
}

// A signal's value4 packs rapp × 10 + left kind × 3 + right kind; value1 to value3 pack the three digits
// of each side as left × 10 + right. Nothing when value4 cannot have been packed from kinds 0 to 2.
struct SignalCells {
  int rapp = 0;
  SignalKind left = SignalKind::kNone;
  SignalKind right = SignalKind::kNone;
};

inline constexpr std::optional<SignalCells> signalKinds(const TrackCell& c) {
  if (c.value4 < 0 || c.value4 % 10 > 8) return std::nullopt;
  int sides = c.value4 % 10;
  return SignalCells{c.value4 / 10, static_cast<SignalKind>(sides / 3), static_cast<SignalKind>(sides % 3)};
}

// Digit `which` (0 to 2) of the left and right signal, or nothing when the packed value is not two digits.
struct SignalDigits {
  int left = 0;
  int right = 0;
};

inline constexpr std::optional<SignalDigits> signalDigits(const TrackCell& c, int which) {
  std::int16_t packed = which == 0 ? c.value1 : which == 1 ? c.value2 : c.value3;
  if (packed < 0 || packed > 99) return std::nullopt;
  return SignalDigits{packed / 10, packed % 10};
}

// A signal stands one cell after its position: cell i holds a signal placed at (i - 1) × 50 m.
inline constexpr std::int64_t signalPlacedMetre(std::size_t index) { return cellMetre(index) - kCellLength; }

// A speed board's value packs 20 × the first set's speed + the second set's speed / 5; value4 packs
// 10 × the first set's stripes + the second set's.
struct BoardSpeeds {
  int first = 0;   // km/h
  int second = 0;  // km/h
};

inline constexpr BoardSpeeds boardSpeeds(std::int16_t packed) {
  int v = packed < 0 ? 0 : packed;
  return {v / 20, v % 20 * 5};
}

// Approach marks: a signal marks the four cells before it with (left × 3 + right) × 10 + step, a
// station the four cells before its stop point with 80 + step. Marks 81 to 84 are a station's unless a
// signal with protection signals on both sides stands ahead.
struct ApproachMark {
  int step = 0;           // 1 to 4
  int signalSides = 0;    // left × 3 + right of the signal, or 8 for a station's mark
  bool maybeStation = false;
};

inline constexpr std::optional<ApproachMark> approachMark(const TrackCell& c) {
  int mark = c.approachMark;
  if (mark == 0 || mark % 10 < 1 || mark % 10 > 4 || mark > 84) return std::nullopt;
  return ApproachMark{mark % 10, mark / 10, mark / 10 == 8};
}

// What a slow-down point carries: the speed in value1 (start, end, warning), the value d_v in value2
// and f_tt in value3.
inline constexpr int slowDownSpeedKmh(const TrackCell& c) { return c.value1; }

}  // namespace pack::cell_units
