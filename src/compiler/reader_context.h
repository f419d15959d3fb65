// What the route and train run halves of the source reader share while one call of memorizza_dati runs.
#pragma once

#include <cstddef>
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
  // The line of the last field read once its reader has gone (a reader lives only while its half runs).
  std::size_t lastFieldLine = 0;

  // Records an error code, with the line of the field last read from the active source.
  void recordError(std::int32_t code);
  // Records an error code and the position it refers to.
  void recordError(std::int32_t code, std::int32_t position);

  // Deletes a source after its reading (unless the caller keeps sources). Fails as the platform does.
  void deleteSource(const std::string& path);
  // The same, only when the file still exists (the run-time failure handler).
  void deleteSourceIfPresent(const std::string& path);
};

// Makes a half's reader the active one while the half runs. On leaving, also by a run-time failure, the
// reader's last line is kept and the pointer cleared, so the failure handler never reads a reader that is
// gone.
class ActiveSourceScope {
 public:
  ActiveSourceScope(ReaderContext& ctx, SourceKind source, const FieldReader& reader) : ctx_(ctx) {
    ctx_.activeSource = source;
    ctx_.activeReader = &reader;
  }
  ~ActiveSourceScope() {
    if (ctx_.activeReader != nullptr) ctx_.lastFieldLine = ctx_.activeReader->fieldLine();
    ctx_.activeReader = nullptr;
  }
  ActiveSourceScope(const ActiveSourceScope&) = delete;
  ActiveSourceScope& operator=(const ActiveSourceScope&) = delete;

 private:
  ReaderContext& ctx_;
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
