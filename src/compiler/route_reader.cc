// The route half of the source reader: finds the general part, reads its entries, orders the
// kilometre posts, then reads the features and lays them onto the track model and the plan.
#include <string>
#include <string_view>

#include "compiler/cell_codec.h"
#include "compiler/entry_dispatch.h"
#include "compiler/error_codes.h"
#include "compiler/gradient_fill.h"
#include "compiler/kilometre_posts.h"
#include "compiler/mountains_and_boards.h"
#include "compiler/plan_builder.h"
#include "compiler/reader_context.h"
#include "compiler/runtime_failure.h"
#include "compiler/source_walk.h"
#include "formats/route_format.h"

namespace pack {
namespace {

class RouteReading {
 public:
  RouteReading(ReaderContext& ctx, std::string_view source)
      : ctx_(ctx), model_(ctx.model), walk_(source, SourceLayout::kRoute, &ctx) {}

  RouteOutcome run();

 private:
  ReadOn readGeneralPart();
  ReadOn readFeaturePart();
  ReadOn follow(const EntryOutcome& outcome) { return ctx_.follow(outcome, ctx_.sources.routePath); }
  void finish();

  // General part.
  EntryOutcome routeLength(EntryValues& in);
  EntryOutcome kilometreTre(EntryValues& in) { return kilometrePost(in, kRowKilometreTre); }
  EntryOutcome kilometreDue(EntryValues& in) { return kilometrePost(in, kRowKilometreDue); }
  EntryOutcome kilometreUno(EntryValues& in) { return kilometrePost(in, kRowKilometreUno); }
  EntryOutcome kilometrePost(EntryValues& in, int row);
  // The compiled table keeps the backgrounds in the order uno, tre, due.
  EntryOutcome backgroundUno(EntryValues& in) { return background(in, &ScenarioRecord::numberA); }
  EntryOutcome backgroundDue(EntryValues& in) { return background(in, &ScenarioRecord::numberC); }
  EntryOutcome backgroundTre(EntryValues& in) { return background(in, &ScenarioRecord::numberB); }
  EntryOutcome background(EntryValues& in, std::int32_t ScenarioRecord::*field);
  EntryOutcome signalRepetition(EntryValues& in);

  // Feature part.
  EntryOutcome gradient(EntryValues& in);
  EntryOutcome curve(EntryValues& in);
  EntryOutcome mountain(EntryValues& in);
  EntryOutcome speedBoard(EntryValues& in);
  EntryOutcome textBoard(EntryValues& in);

  static constexpr EntryHandler<RouteReading> kGeneralHandlers[] = {
      {&kRouteLengthEntry, &RouteReading::routeLength},
      {&kKilometreTreEntry, &RouteReading::kilometreTre},
      {&kKilometreDueEntry, &RouteReading::kilometreDue},
      {&kKilometreUnoEntry, &RouteReading::kilometreUno},
      {&kBackgroundUnoEntry, &RouteReading::backgroundUno},
      {&kBackgroundDueEntry, &RouteReading::backgroundDue},
      {&kBackgroundTreEntry, &RouteReading::backgroundTre},
      {&kSignalRepetitionEntry, &RouteReading::signalRepetition},
  };
  static constexpr EntryHandler<RouteReading> kFeatureHandlers[] = {
      {&kGradientEntry, &RouteReading::gradient},     {&kCurveEntry, &RouteReading::curve},
      {&kMountainEntry, &RouteReading::mountain},     {&kSpeedBoardEntry, &RouteReading::speedBoard},
      {&kTextBoardEntry, &RouteReading::textBoard},
  };

  ReaderContext& ctx_;
  Model& model_;
  SourceWalk walk_;
  GradientFill gradients_;
  PlanBuilder plan_;
  std::int32_t nextBoardRow_ = kFirstBoardRow;
};

RouteOutcome RouteReading::run() {
  static_assert(inEntryOrder(kGeneralHandlers, kRouteGeneralEntries),
                "the general handlers run in the order of kRouteGeneralEntries");
  static_assert(inEntryOrder(kFeatureHandlers, kRouteFeatureEntries),
                "the feature handlers run in the order of kRouteFeatureEntries");
  if (!walk_.findStart()) {
    follow({kErrNoGeneralSection, std::nullopt});
    return {false, nextBoardRow_};
  }
  if (readGeneralPart() == ReadOn::kAbandon) return {false, nextBoardRow_};
  // Every feature is placed on the cells, so the general part must have sized them.
  if (!model_.hasCells()) throw RuntimeFailure("the general part ends without a route length");
  model_.createTrack();

  progressive_ordina(model_);
  model_.mountainCount = 0;
  if (model_.buildPlan != 0) plan_.start(model_);

  if (readFeaturePart() == ReadOn::kAbandon) return {false, nextBoardRow_};
  finish();
  return {true, nextBoardRow_};
}

ReadOn RouteReading::readGeneralPart() {
  while (walk_.part() == SourcePart::kGeneral) {
    std::optional<KeyField> key = walk_.nextKey();
    if (!key) break;
    if (follow(handleKey(*this, walk_.reader(), kGeneralHandlers, key->text)) == ReadOn::kAbandon) {
      return ReadOn::kAbandon;
    }
    walk_.entryHandled(*key);
  }
  return ReadOn::kNextKey;
}

ReadOn RouteReading::readFeaturePart() {
  while (std::optional<KeyField> key = walk_.nextKey()) {
    if (ReadOn next = follow(handleKey(*this, walk_.reader(), kFeatureHandlers, key->text)); next != ReadOn::kNextKey) {
      return next;
    }
  }
  return ReadOn::kNextKey;
}

void RouteReading::finish() {
  ctx_.deleteSource(ctx_.sources.routePath);
  gradients_.complete(model_);
  if (model_.buildPlan != 0) plan_.complete(model_);
}

EntryOutcome RouteReading::routeLength(EntryValues& in) {
  std::int32_t length = in.int32();
  model_.scenarioTable[kRowTrain].numberB = length;
  if (length > kMaxRouteLength) return {kErrRouteTooLong, std::nullopt};
  model_.sizeTrack(length);
  return EntryOutcome::goOn();
}

// Each value is stored as soon as it is read.
EntryOutcome RouteReading::kilometrePost(EntryValues& in, int row) {
  ScenarioRecord& post = model_.scenarioTable[row];
  post.numberA = in.int32();
  post.numberB = in.int32();
  post.numberC = in.int32();
  return EntryOutcome::goOn();
}

EntryOutcome RouteReading::background(EntryValues& in, std::int32_t ScenarioRecord::*field) {
  model_.scenarioTable[kRowScenario].*field = in.int32();
  return EntryOutcome::goOn();
}

EntryOutcome RouteReading::signalRepetition(EntryValues& in) {
  ScenarioRecord& repetition = model_.scenarioTable[kRowRun];
  repetition.numberA = in.int32();
  repetition.numberB = in.int32();
  if (repetition.numberA % kCellLength != 0) return {kErrRepetitionFirst, std::nullopt};
  if (repetition.numberB % kCellLength != 0) return {kErrRepetitionSecond, std::nullopt};
  std::optional<std::int32_t> codes = repetitionCodeCount(in.key());
  if (!codes) return {kErrRepetitionCodes, std::nullopt};
  repetition.numberC = repetition.numberB == 0 ? 0 : *codes;
  return EntryOutcome::goOn();
}

EntryOutcome RouteReading::gradient(EntryValues& in) {
  std::int32_t position = in.int32();
  std::int32_t gradient = in.int32();
  if (EntryOutcome outside = checkFeaturePosition(model_, position)) return outside;
  gradients_.record(model_, position, gradient);
  return EntryOutcome::goOn();
}

EntryOutcome RouteReading::curve(EntryValues& in) {
  // Curves only shape the plan: without it their key is not recognised.
  if (model_.buildPlan == 0) return EntryOutcome::goOn();
  std::int32_t start = in.int32();
  std::int32_t length = in.int32();
  if (EntryOutcome outside = checkFeaturePosition(model_, start)) return outside;
  std::optional<int> curveClass = codec::curveClassOfKey(in.key());
  if (!curveClass) return {kErrCurve, std::nullopt};
  const double curvature = codec::classCurvature(*curveClass);
  double turn = curveTurnsLeft(in.key()) ? curvature * -1 : curvature;
  // The curve must end on the plan; the sum is exact, so a length near the 32-bit top is refused too.
  if (std::int64_t{start} + length > model_.extendedLength) return EntryOutcome::beyondTrack(start);
  if (!plan_.addCurve(model_, start, length, turn)) return {kErrCurve, std::nullopt};
  return EntryOutcome::goOn();
}

EntryOutcome RouteReading::mountain(EntryValues& in) {
  std::int32_t inizio = in.int32();
  std::int32_t fine = in.int32();
  std::int32_t tipo = in.int32();
  if (EntryOutcome outside = checkFeaturePosition(model_, inizio)) return outside;
  if (cellBefore(fine) > model_.cellCount || model_.mountainCount >= kMaxMountains) {
    return EntryOutcome::beyondTrack(inizio);
  }
  memo_montagna(model_, inizio, fine, tipo);
  return EntryOutcome::goOn();
}

EntryOutcome RouteReading::speedBoard(EntryValues& in) {
  // Braced initialisers are evaluated in order, so the values are read left to right.
  const SpeedBoardLine line{in.int32(), in.int32(), in.int32(), in.int32(), in.int32(),
                            in.int32(), in.int32(), in.int32(), in.int32()};
  if (EntryOutcome outside = checkFeaturePosition(model_, line.posizione)) return outside;
  return memo_indicatori_v_max(model_, line);
}

EntryOutcome RouteReading::textBoard(EntryValues& in) {
  std::int32_t position = in.int32();
  model_.currentField = in.text();
  if (EntryOutcome outside = checkFeaturePosition(model_, position)) return outside;
  // Rows 80 down to 1 are the boards'; row 0 is never filled.
  if (nextBoardRow_ < 1) return EntryOutcome::beyondTrack(position);
  if (EntryOutcome refused = placeTextBoard(model_, position, model_.currentField, nextBoardRow_)) return refused;
  --nextBoardRow_;
  return EntryOutcome::goOn();
}

}  // namespace

RouteOutcome readRouteSource(ReaderContext& ctx) {
  ctx.enter(SourceKind::kRoute);
  const std::string& path = ctx.sources.routePath;
  if (!ctx.sources.fs.exists(path)) {
    ctx.recordError(kErrNoRouteSource);
    return {false, kFirstBoardRow};
  }
  std::string source = ctx.sources.fs.read(path);
  RouteReading reading(ctx, source);
  return reading.run();
}

}  // namespace pack
