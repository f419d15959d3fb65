#include "compiler/source_reader.h"

#include "compiler/reader_context.h"
#include "compiler/runtime_failure.h"

namespace pack {

void ReaderContext::recordError(std::int32_t code) {
  model.errorCode = code;
  sources.errorSource = activeSource;
  sources.errorLine = entryLine;
}

void ReaderContext::recordError(std::int32_t code, std::int32_t position) {
  recordError(code);
  model.errorPosition = position;
}

ReadOn ReaderContext::follow(const EntryOutcome& outcome, const std::string& path) {
  if (outcome.goesOn()) return ReadOn::kNextKey;
  if (outcome.endsPart()) {
    recordError(outcome.code, outcome.position.value_or(model.errorPosition));
    return ReadOn::kEndPart;
  }
  deleteSource(path);
  if (outcome.position) {
    recordError(outcome.code, *outcome.position);
  } else {
    recordError(outcome.code);
  }
  return ReadOn::kAbandon;
}

void ReaderContext::deleteSource(const std::string& path) {
  if (sources.deleteSources) sources.fs.remove(path);
}

void ReaderContext::deleteSourceIfPresent(const std::string& path) {
  if (sources.fs.exists(path)) deleteSource(path);
}

void memorizza_dati(Model& model, SourceAccess& sources) {
  model.scenarioTable[kRowScenario].text = model.scenarioName;
  model.scenarioTable[kRowRun].text = model.trainNumber;

  ReaderContext ctx{model, sources};
  try {
    RouteOutcome route = readRouteSource(ctx);
    // A refusal in the general part may leave the track sized but not yet created.
    model.createTrack();
    if (route.readTrainRun) readTrainRunSource(ctx, route.nextBoardRow);
  } catch (const RuntimeFailure& failure) {
    model.createTrack();
    // The one handler for unexpected failures: both sources go, errorPosition stays as it was.
    ctx.recordError(25);
    sources.failure = failure.what();
    ctx.deleteSourceIfPresent(sources.routePath);
    ctx.deleteSourceIfPresent(sources.trainRunPath);
  }
}

}  // namespace pack
