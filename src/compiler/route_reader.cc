// The route half of the source reader: finds the general part, reads its entries, orders the
// kilometre posts, then reads the features and lays them onto the track model and the plan.
#include <string>
#include <string_view>

#include "compiler/checked_math.h"
#include "compiler/error_codes.h"
#include "compiler/field_reader.h"
#include "compiler/gradient_fill.h"
#include "compiler/kilometre_posts.h"
#include "compiler/mountains_and_boards.h"
#include "compiler/plan_builder.h"
#include "compiler/reader_context.h"
#include "compiler/runtime_failure.h"
#include "formats/compiled_format.h"
#include "formats/cp1252.h"
#include "formats/route_format.h"

namespace pack {
namespace {

// Where handling an entry leaves the reading.
enum class Next {
  kGoOn,
  kEndFeatures,  // a position beyond the track model: the rest of the source is ignored, the reading goes on
  kRefused,      // the source is abandoned and the train run is not read
};

class RouteReading {
 public:
  RouteReading(ReaderContext& ctx, std::string_view source)
      : ctx_(ctx), model_(ctx.model), reader_(source) {}

  RouteOutcome run();

 private:
  std::string readKey();
  bool findGeneralPart();
  Next readGeneralPart();
  Next readFeaturePart();
  Next handleGeneralEntry(const EntryDefinition& entry, const std::string& key);
  Next handleFeatureEntry(const EntryDefinition& entry, const std::string& key);
  void finish();

  Next readRouteLength();
  void readKilometrePost(int row);
  Next readSignalRepetition(const std::string& key);
  Next readGradient();
  Next readCurve(const std::string& key);
  Next readMountain();
  Next readSpeedBoard();
  Next readTextBoard();

  bool outsideTrack(std::int32_t position) const;
  Next endFeatures(std::int32_t position);
  Next refuse(std::int32_t code);
  Next refuse(std::int32_t code, std::int32_t position);

  ReaderContext& ctx_;
  Model& model_;
  FieldReader reader_;
  GradientFill gradients_;
  PlanBuilder plan_;
  std::int32_t nextBoardRow_ = kFirstBoardRow;
};

RouteOutcome RouteReading::run() {
  if (!findGeneralPart()) return {false, nextBoardRow_};
  if (readGeneralPart() == Next::kRefused) return {false, nextBoardRow_};
  // Every feature is placed on the cells, so the general part must have sized them.
  if (!model_.hasCells()) throw RuntimeFailure("the general part ends without a route length");
  model_.createTrack();

  progressive_ordina(model_);
  model_.mountainCount = 0;
  if (model_.buildPlan != 0) plan_.start(model_);

  if (readFeaturePart() == Next::kRefused) return {false, nextBoardRow_};
  finish();
  return {true, nextBoardRow_};
}

// Every field read in the place of a key may be one: its line is the entry's until the next key.
std::string RouteReading::readKey() {
  model_.currentField = reader_.readText();
  ctx_.entryLine = reader_.fieldLine();
  return model_.currentField;
}

bool RouteReading::findGeneralPart() {
  while (true) {
    std::string field = readKey();
    // A header that is the last field of the file opens nothing.
    if (reader_.atEnd()) {
      refuse(kErrNoGeneralSection);
      return false;
    }
    if (containsIgnoreCase(field, kRouteGeneralHeader)) return true;
  }
}

// Comment runs here are read without looking for the end of the file: a run that reaches it is a read
// past the end.
Next RouteReading::readGeneralPart() {
  while (!reader_.atEnd()) {
    std::string key = readKey();
    if (reader_.atEnd()) break;  // the last field is never interpreted
    for (int i = 0; i < kGeneralCommentRun && isCommentField(key); ++i) key = readKey();

    for (const EntryDefinition* entry : routeGeneralEntries()) {
      if (entry->matches(key) && handleGeneralEntry(*entry, key) == Next::kRefused) return Next::kRefused;
    }
    if (endsGeneralPart(key)) break;
  }
  return Next::kGoOn;
}

Next RouteReading::readFeaturePart() {
  while (!reader_.atEnd()) {
    std::string key = readKey();
    if (reader_.atEnd()) return Next::kGoOn;
    for (int i = 0; i < kFeatureCommentRun && isCommentField(key); ++i) {
      key = readKey();
      if (reader_.atEnd()) return Next::kGoOn;
    }

    for (const EntryDefinition* entry : routeFeatureEntries()) {
      if (!entry->matches(key)) continue;
      Next next = handleFeatureEntry(*entry, key);
      if (next != Next::kGoOn) return next;
    }
  }
  return Next::kGoOn;
}

Next RouteReading::handleGeneralEntry(const EntryDefinition& entry, const std::string& key) {
  ScenarioRecord& backgrounds = model_.scenarioTable[kRowScenario];
  if (&entry == &kRouteLengthEntry) return readRouteLength();
  if (&entry == &kKilometreTreEntry) readKilometrePost(kRowKilometreTre);
  if (&entry == &kKilometreDueEntry) readKilometrePost(kRowKilometreDue);
  if (&entry == &kKilometreUnoEntry) readKilometrePost(kRowKilometreUno);
  // The compiled table keeps the backgrounds in the order uno, tre, due.
  if (&entry == &kBackgroundUnoEntry) backgrounds.numberA = reader_.readInt32();
  if (&entry == &kBackgroundDueEntry) backgrounds.numberC = reader_.readInt32();
  if (&entry == &kBackgroundTreEntry) backgrounds.numberB = reader_.readInt32();
  if (&entry == &kSignalRepetitionEntry) return readSignalRepetition(key);
  return Next::kGoOn;
}

Next RouteReading::handleFeatureEntry(const EntryDefinition& entry, const std::string& key) {
  if (&entry == &kGradientEntry) return readGradient();
  // Curves only shape the plan: without it their key is not recognised.
  if (&entry == &kCurveEntry) return model_.buildPlan != 0 ? readCurve(key) : Next::kGoOn;
  if (&entry == &kMountainEntry) return readMountain();
  if (&entry == &kSpeedBoardEntry) return readSpeedBoard();
  if (&entry == &kTextBoardEntry) return readTextBoard();
  return Next::kGoOn;
}

void RouteReading::finish() {
  ctx_.deleteSource(ctx_.sources.routePath);
  gradients_.complete(model_);
  if (model_.buildPlan != 0) plan_.complete(model_);
}

Next RouteReading::readRouteLength() {
  std::int32_t length = reader_.readInt32();
  model_.scenarioTable[kRowTrain].numberB = length;
  if (length > kMaxRouteLength) return refuse(kErrRouteTooLong);
  model_.sizeTrack(length);
  return Next::kGoOn;
}

// Each value is stored as soon as it is read.
void RouteReading::readKilometrePost(int row) {
  ScenarioRecord& post = model_.scenarioTable[row];
  post.numberA = reader_.readInt32();
  post.numberB = reader_.readInt32();
  post.numberC = reader_.readInt32();
}

Next RouteReading::readSignalRepetition(const std::string& key) {
  ScenarioRecord& repetition = model_.scenarioTable[kRowRun];
  repetition.numberA = reader_.readInt32();
  repetition.numberB = reader_.readInt32();
  if (repetition.numberA % kCellLength != 0) return refuse(kErrRepetitionFirst);
  if (repetition.numberB % kCellLength != 0) return refuse(kErrRepetitionSecond);
  std::optional<std::int32_t> codes = repetitionCodeCount(key);
  if (!codes) return refuse(kErrRepetitionCodes);
  repetition.numberC = repetition.numberB == 0 ? 0 : *codes;
  return Next::kGoOn;
}

Next RouteReading::readGradient() {
  std::int32_t position = reader_.readInt32();
  std::int32_t gradient = reader_.readInt32();
  if (outsideTrack(position)) return endFeatures(position);
  gradients_.record(model_, position, gradient);
  return Next::kGoOn;
}

Next RouteReading::readCurve(const std::string& key) {
  std::int32_t start = reader_.readInt32();
  std::int32_t length = reader_.readInt32();
  if (outsideTrack(start)) return endFeatures(start);
  std::optional<double> curvature = curveCurvature(key);
  if (!curvature) return refuse(kErrCurve);
  double turn = curveTurnsLeft(key) ? *curvature * -1 : *curvature;
  // The curve must end on the plan; the sum is exact, so a length near the 32-bit top is refused too.
  if (std::int64_t{start} + length > model_.extendedLength) return endFeatures(start);
  if (!plan_.addCurve(model_, start, length, turn)) return refuse(kErrCurve);
  return Next::kGoOn;
}

Next RouteReading::readMountain() {
  std::int32_t inizio = reader_.readInt32();
  std::int32_t fine = reader_.readInt32();
  std::int32_t tipo = reader_.readInt32();
  if (outsideTrack(inizio)) return endFeatures(inizio);
  if (cellBefore(fine) > model_.cellCount || model_.mountainCount >= kMaxMountains) {
    return endFeatures(inizio);
  }
  memo_montagna(model_, inizio, fine, tipo);
  return Next::kGoOn;
}

Next RouteReading::readSpeedBoard() {
  std::int32_t posizione = reader_.readInt32();
  std::int32_t vas = reader_.readInt32();
  std::int32_t vbs = reader_.readInt32();
  std::int32_t vcs = reader_.readInt32();
  std::int32_t strisces = reader_.readInt32();
  std::int32_t vad = reader_.readInt32();
  std::int32_t vbd = reader_.readInt32();
  std::int32_t vcd = reader_.readInt32();
  std::int32_t strisced = reader_.readInt32();
  if (outsideTrack(posizione)) return endFeatures(posizione);
  memo_indicatori_v_max(model_, posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced);
  // The recorder reports an occupied cell through errorCode alone.
  if (model_.errorCode > 0) return refuse(model_.errorCode, posizione);
  return Next::kGoOn;
}

Next RouteReading::readTextBoard() {
  std::int32_t position = reader_.readInt32();
  model_.currentField = reader_.readText();
  // Rows 80 down to 1 are the boards'; row 0 is never filled.
  if (outsideTrack(position) || nextBoardRow_ < 1) return endFeatures(position);
  TrackCell& cell = model_.cellAt(cellAfter(position));
  if (!cell.isFree()) return refuse(kErrTextBoardOccupied, position);
  cell.kind = kTextBoard;
  cell.value1 = static_cast<std::int16_t>(nextBoardRow_);
  // The compiled table counts a text's bytes in 16 bits.
  if (model_.currentField.size() > kMaxTextBytes) throw RuntimeFailure("board text longer than 65535 bytes");
  model_.scenarioTable[static_cast<std::size_t>(nextBoardRow_)].text = model_.currentField;
  --nextBoardRow_;
  return Next::kGoOn;
}

// A feature must lie on the track model, with two cells ahead of it.
bool RouteReading::outsideTrack(std::int32_t position) const {
  return beyondTrack(model_.cellCount, position, kFeatureMargin) || position < 0;
}

Next RouteReading::endFeatures(std::int32_t position) {
  ctx_.recordError(kErrBeyondTrack, position);
  return Next::kEndFeatures;
}

Next RouteReading::refuse(std::int32_t code) {
  ctx_.deleteSource(ctx_.sources.routePath);
  ctx_.recordError(code);
  return Next::kRefused;
}

Next RouteReading::refuse(std::int32_t code, std::int32_t position) {
  ctx_.deleteSource(ctx_.sources.routePath);
  ctx_.recordError(code, position);
  return Next::kRefused;
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
