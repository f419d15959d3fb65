// The train run half of the source reader: walks the source (compiler/source_walk.h), hands every key
// field to the entries in their order, and ends with the deletion of the source, the completion of the two profiles and the
// kilometre-post check. A refused line either ends the reading (15: the end steps still run) or abandons
// it (every other code: the source is deleted and nothing more happens).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "compiler/cell_codec.h"
#include "compiler/checked_math.h"
#include "compiler/entry_dispatch.h"
#include "compiler/error_codes.h"
#include "compiler/kilometre_posts.h"
#include "compiler/profiles.h"
#include "compiler/reader_context.h"
#include "compiler/runtime_failure.h"
#include "compiler/signals_and_slow_downs.h"
#include "compiler/source_walk.h"
#include "compiler/stations_and_code_points.h"
#include "formats/compiled_format.h"
#include "formats/train_run_format.h"

namespace pack {
namespace {

class TrainRunReading {
 public:
  TrainRunReading(ReaderContext& ctx, std::string_view source, std::int32_t nextBoardRow)
      : ctx_(ctx), model_(ctx.model), walk_(source, SourceLayout::kTrainRun, &ctx), nextBoardRow_(nextBoardRow) {}

  // Without the start field no entry is read; that is no error.
  void run() {
    static_assert(inEntryOrder(kHandlers, kTrainRunEntries),
                  "the handlers run in the order of kTrainRunEntries");
    if (walk_.findStart()) {
      while (std::optional<KeyField> key = walk_.nextKey()) {
        const ReadOn next =
            ctx_.follow(handleKey(*this, walk_.reader(), kHandlers, key->text), ctx_.sources.trainRunPath);
        if (next == ReadOn::kAbandon) return;
        if (next == ReadOn::kEndPart) break;
      }
    }
    endSteps();
  }

 private:
  void endSteps() {
    ctx_.deleteSource(ctx_.sources.trainRunPath);
    completeProfile(model_, speed_);
    completeProfile(model_, adhesion_);
    if (!kilometrePostsOnGrid(model_)) {
      // The kilometre posts come from the route source; no line of it is at hand any more.
      ctx_.enter(SourceKind::kRoute);
      ctx_.recordError(kErrKilometrePost);  // errorPosition stays as it was
    }
  }

  ScenarioRecord& row(int index) { return model_.scenarioTable[static_cast<std::size_t>(index)]; }

  EntryOutcome brakedMass(EntryValues& in) {
    row(kRowTrain).numberA = in.int32();
    return EntryOutcome::goOn();
  }

  EntryOutcome coaches(EntryValues& in) {
    row(kRowTrain).numberC = in.int32();
    return EntryOutcome::goOn();
  }

  EntryOutcome speedLimit(EntryValues& in) { return profileLine(in, speed_); }
  EntryOutcome adhesion(EntryValues& in) { return profileLine(in, adhesion_); }

  EntryOutcome profileLine(EntryValues& in, Profile& profile) {
    const std::int32_t position = in.int32();
    const std::int32_t value = in.int32();
    return extendProfile(model_, profile, position, value);
  }

  EntryOutcome clock(EntryValues& in) {
    row(kRowRun).param3 = in.int16();
    row(kRowRun).param4 = in.int16();
    row(kRowRun).param5 = in.int16();
    return EntryOutcome::goOn();
  }

  EntryOutcome sand(EntryValues& in) {
    row(kRowRun).param1 = in.int16();
    return EntryOutcome::goOn();
  }

  EntryOutcome signal(EntryValues& in) {
    // Braced initialisers are evaluated in order, so the fields are read left to right.
    const SignalLine line{in.int32(), in.int32(), in.int32(), in.int32(), in.int32(), in.int32(),
                          in.int32(), in.int32(), in.int32(), in.int32(), in.int32()};
    return placeSignal(model_, line);
  }

  EntryOutcome slowDown(EntryValues& in) {
    const SlowDownLine line{in.int32(), in.int32(), in.int32(), in.int32(), in.int32(), in.int32()};
    return placeSlowDown(model_, line);
  }

  EntryOutcome codePoint(EntryValues& in) {
    const std::int32_t position = in.int32();
    const std::int32_t code = in.int32();
    return placeCodePoint(model_, position, code);
  }

  // The values are read as the tests need them, so a refused station stops reading where its test
  // stands: the tests come in the order 15, 8, 9, then 15, 24 and 22 from the layout, then 10.
  EntryOutcome station(EntryValues& in) {
    const std::int32_t r = stationRow_;
    model_.noteRowFilled(r);
    ScenarioRecord& station = row(r);
    const std::int32_t s = station.numberC = in.int32();
    if (EntryOutcome outside = checkStationPosition(model_, s)) return outside;
    if (s % kCellLength != 0) return {kErrStationPosition, s};
    station.kind = in.uint8();
    const std::int32_t platformLength = in.int32();
    if (platformLength % codec::kPlatformLengthStep != 0) return {kErrPlatformLength, s};
    readStationAttributes(in, station);
    if (EntryOutcome refused = layStation(model_, r, platformLength)) return refused;
    ++stationRow_;
    // The stations' rows end below the text boards' rows.
    if (stationRow_ >= nextBoardRow_) return {kErrTooManyStations, std::nullopt};
    return EntryOutcome::goOn();
  }

  static void readStationAttributes(EntryValues& in, ScenarioRecord& station) {
    station.option = in.uint8();
    station.flag4 = in.uint8();
    station.flag3 = in.uint8();
    station.param1 = in.int16();
    station.param2 = in.int16();
    station.flag1 = in.uint8();
    station.param3 = in.int16();
    station.param4 = in.int16();
    station.param5 = in.int16();
    station.flag2 = in.uint8();
    const std::int64_t hours = in.int32();
    const std::int64_t minutes = in.int32();
    const std::int64_t seconds = in.int32();
    station.numberD = codec::encodeStationTime(hours, minutes, seconds);
    std::string name = in.text();
    // Refused before it is stored: the compiled table cannot hold it, and the model is still written.
    if (name.size() > kMaxTextBytes) throw RuntimeFailure("station name longer than 65535 bytes");
    station.text = std::move(name);
  }

  static constexpr EntryHandler<TrainRunReading> kHandlers[] = {
      {&kBrakedMassEntry, &TrainRunReading::brakedMass}, {&kCoachesEntry, &TrainRunReading::coaches},
      {&kSpeedLimitEntry, &TrainRunReading::speedLimit}, {&kAdhesionEntry, &TrainRunReading::adhesion},
      {&kClockEntry, &TrainRunReading::clock},           {&kSandEntry, &TrainRunReading::sand},
      {&kSignalEntry, &TrainRunReading::signal},         {&kSlowDownEntry, &TrainRunReading::slowDown},
      {&kCodePointEntry, &TrainRunReading::codePoint},   {&kStationEntry, &TrainRunReading::station},
  };

  ReaderContext& ctx_;
  Model& model_;
  SourceWalk walk_;
  const std::int32_t nextBoardRow_;
  std::int32_t stationRow_ = 1;
  Profile speed_ = speedProfile();
  Profile adhesion_ = adhesionProfile();
};

}  // namespace

void readTrainRunSource(ReaderContext& ctx, std::int32_t nextBoardRow) {
  ctx.enter(SourceKind::kTrainRun);
  const std::string& path = ctx.sources.trainRunPath;
  if (!ctx.sources.fs.exists(path)) throw RuntimeFailure("the train run source is missing");
  // The route half sizes the cells and counts the boards down from the first board row.
  if (!ctx.model.hasCells()) throw RuntimeFailure("the route gave the track model no cells");
  if (nextBoardRow > kFirstBoardRow) throw RuntimeFailure("the boards' rows start above the first board row");
  const std::string source = ctx.sources.fs.read(path);
  TrainRunReading(ctx, source, nextBoardRow).run();
}

}  // namespace pack
