// The in-memory scenario: the 50-m track cells, the 87-row scenario table, the per-metre plan of the
// line, and the compile's shared state. All texts are code page 1252 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/track_plan.h"
#include "compiler/track_position.h"

namespace pack {

enum class SourceKind;

// What stands in a track cell.
enum CellKind : std::uint8_t {
  kFree = 0,
  kSignal = 1,
  kSlowDownEnd = 2,
  kSlowDownStart = 3,      // value1 = the slow-down speed
  kSlowDownWarning = 4,    // 1200 m before the start
  kSlowDownApproach = 5,   // value1 = approach step 1..4
  kSpeedBoard = 6,
  kStopPoint = 10,         // value1 = the station's table row
  kMountainMark = 11,      // decoration; counts as free
  kCodePoint = 12,         // value1 = the code
  kCodePointNoValue = 13,
  kTextBoard = 14,         // value1 = the table row holding its text
};

struct TrackCell {
  std::uint8_t kind = kFree;
  std::int16_t value1 = 0;
  std::int16_t value2 = 0;
  std::int16_t value3 = 0;
  std::int16_t value4 = 0;
  std::uint8_t signalTime = 0;
  std::uint8_t approachMark = 0;
  std::uint8_t mountainKind = 0;
  std::uint8_t speedLimit = 0;  // steps of 5 km/h (cell_codec.h holds every encoding)
  std::uint8_t gradient = 0;    // per mille + 100, modulo 256
  std::uint8_t adhesion = 0;    // percent

  // Features are placed only on free cells; a mountain decoration may be overwritten.
  bool isFree() const { return kind == kFree || kind == kMountainMark; }

  bool operator==(const TrackCell&) const = default;
};

struct ScenarioRecord {
  std::uint8_t kind = 0;
  std::int32_t numberA = 0;
  std::int32_t numberB = 0;
  std::int32_t numberC = 0;
  std::uint8_t option = 0;
  std::string text;
  std::int16_t param1 = 0;
  std::int16_t param2 = 0;
  std::int16_t param3 = 0;
  std::int16_t param4 = 0;
  std::int16_t param5 = 0;
  std::uint8_t flag1 = 0;
  std::uint8_t flag2 = 0;
  std::uint8_t flag3 = 0;
  std::uint8_t flag4 = 0;
  std::int32_t numberD = 0;

  bool operator==(const ScenarioRecord&) const = default;
};

constexpr int kTableRows = 87;             // rows 0 to 86
constexpr int kFirstBoardRow = 80;         // text boards from here downward
constexpr int kRowKilometreTre = 81;
constexpr int kRowKilometreDue = 82;
constexpr int kRowKilometreUno = 83;
constexpr int kRowTrain = 84;              // braked mass, route length, coaches
constexpr int kRowScenario = 85;           // backgrounds, scenario name, reserved slots
constexpr int kRowRun = 86;                // signal repetition, train number, sand, clock

// The columns of the track cells filled stretch by stretch, each value in force up to the next entry's.
enum class ProfileLane : std::uint8_t { kSpeed, kAdhesion, kGradient };

// Told which entry placed each feature in which cell, and which cell refused a feature. Only the
// authoring tool asks, to say what occupies a cell; the pack leaves the model's pointer null. Nothing of
// it reaches the compiled files.
class PlacementObserver {
 public:
  virtual ~PlacementObserver() = default;
  virtual void entryRead(SourceKind source, std::size_t line) = 0;  // the entry whose key is on `line`
  virtual void placed(std::int64_t cell, CellKind kind) = 0;
  virtual void refused(std::int64_t cell) = 0;  // a feature found the cell taken
  virtual void marked(std::int64_t cell) = 0;   // an approach mark was written into the cell
  // The entry being handled sets the value a profile column holds from here on.
  virtual void profileValueSet(ProfileLane) {}
  // A cell of a profile column was written with the value in force.
  virtual void profileCellWritten(ProfileLane, std::int64_t /*cell*/) {}
  // The entry being handled fills a row of the scenario table (a station's).
  virtual void rowFilled(int /*row*/) {}
};

constexpr std::int32_t kMaxRouteLength = 1000000;
constexpr std::int32_t kTrackExtension = 7000;  // metres modelled beyond the end of the route
constexpr int kMaxMountains = 80;

struct Model {
  std::string scenarioName;
  std::string trainNumber;
  std::int32_t buildPlan = 0;

  std::vector<TrackCell> trackCells;                   // cells 0 to cellCount; empty until sized
  std::array<ScenarioRecord, kTableRows> scenarioTable;
  TrackPlan trackPlan;                                 // metres 0 to extendedLength, when buildPlan != 0

  std::array<std::int32_t, kMaxMountains + 1> mountainStart{};  // entries 1 to 80 are used
  std::array<std::int32_t, kMaxMountains + 1> mountainEnd{};
  std::int32_t mountainCount = 0;

  std::int32_t extendedLength = 0;
  std::int32_t cellCount = 0;

  std::string currentField;
  std::int32_t errorCode = 0;
  std::int32_t errorPosition = 0;

  // Working variables shared by the compile procedures.
  std::int32_t cellIndex = 0;
  std::int32_t stepIndex = 0;
  std::int32_t markerCounter = 0;
  std::int32_t scanIndex = 0;

  PlacementObserver* placementObserver = nullptr;  // null unless a tool asks

  void notePlaced(std::int64_t cell, CellKind kind) const {
    if (placementObserver != nullptr) placementObserver->placed(cell, kind);
  }
  void noteRefused(std::int64_t cell) const {
    if (placementObserver != nullptr) placementObserver->refused(cell);
  }
  void noteMarked(std::int64_t cell) const {
    if (placementObserver != nullptr) placementObserver->marked(cell);
  }
  void noteProfileValue(ProfileLane lane) const {
    if (placementObserver != nullptr) placementObserver->profileValueSet(lane);
  }
  void noteProfileCell(ProfileLane lane, std::int64_t cell) const {
    if (placementObserver != nullptr) placementObserver->profileCellWritten(lane, cell);
  }
  void noteRowFilled(int row) const {
    if (placementObserver != nullptr) placementObserver->rowFilled(row);
  }

  bool hasCells() const { return !trackCells.empty() || trackPending_; }

  // Cell `index`; an index outside the cells held is a run-time failure. The position tests before each
  // recorder keep every access inside, so reaching the failure means a test is missing (code 25, never a
  // read or write outside the cells).
  TrackCell& cellAt(std::int64_t index);

  // Sets extendedLength and cellCount from the route length; the cells (and the plan when buildPlan is
  // nonzero) are to be created anew, every field zero or empty. A length that gives fewer than two cells
  // is a run-time failure. Creation waits for createTrack(): a source may give the length many times
  // before anything is placed, and creating a million-metre plan for each would make reading quadratic.
  void sizeTrack(std::int32_t routeLength);

  // Creates the cells and the plan sized by the last sizeTrack(), if not yet created.
  void createTrack();

  // Every row back to zeros and an empty text.
  void clearTable();

 private:
  bool trackPending_ = false;
};

}  // namespace pack
