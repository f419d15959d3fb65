// What the route and train run halves of the source reader share while one call of memorizza_dati runs.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/field_reader.h"
#include "compiler/model.h"
#include "compiler/source_reader.h"

namespace pack {

struct ReaderContext {
  Model& model;
  SourceAccess& sources;
  // The source being read and its reader, so that a run-time failure can say where it happened.
  SourceKind activeSource = SourceKind::kNone;
  const FieldReader* activeReader = nullptr;

  // Records an error code, with the line of the field last read from the active source.
  void recordError(std::int32_t code);
  // Records an error code and the position it refers to.
  void recordError(std::int32_t code, std::int32_t position);

  // Deletes a source after its reading (unless the caller keeps sources). Fails as the platform does.
  void deleteSource(const std::string& path);
  // The same, only when the file still exists (the run-time failure handler).
  void deleteSourceIfPresent(const std::string& path);
};

// How the route half ended: whether the train run source is read next, and the table row the next text
// board would have taken (the limit for the stations).
struct RouteOutcome {
  bool readTrainRun = false;
  std::int32_t nextBoardRow = kFirstBoardRow;
};

// The route half: opens, reads and deletes the route source, completing the gradients and the plan.
// Refusals are recorded in the model; run-time failures are thrown as RuntimeFailure.
RouteOutcome readRouteSource(ReaderContext& ctx);

// The train run half: opens, reads and deletes the train run source, completing the profiles.
void readTrainRunSource(ReaderContext& ctx, std::int32_t nextBoardRow);

}  // namespace pack
