// What the route and train run halves of the source reader share while one call of memorizza_dati runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "compiler/entry_outcome.h"
#include "compiler/model.h"
#include "compiler/source_reader.h"
#include "compiler/source_walk.h"

namespace pack {

// Where a reader goes after an entry.
enum class ReadOn {
  kNextKey,  // the entry went on
  kEndPart,  // the part being read ends; what was read stays, and the reading goes on after the part
  kAbandon,  // the source is abandoned
};

// Told of every field the walk reads in the place of a key, so that a failure names the line of the last
// one even within a run of comments.
struct ReaderContext : KeyPlaceListener {
  ReaderContext(Model& m, SourceAccess& s) : model(m), sources(s) {}

  Model& model;
  SourceAccess& sources;
  // The source being read and the line (from 1) of the key field of the entry being handled, 0 when no
  // entry is, so that an error, a run-time failure too, names the line of its entry's key even when the
  // values continue on the lines after it.
  SourceKind activeSource = SourceKind::kNone;
  std::size_t entryLine = 0;

  // Makes `source` the active one, with no entry handled yet.
  void enter(SourceKind source) {
    activeSource = source;
    entryLine = 0;
  }

  // The entry whose key field is on `line` is being handled from now on.
  void atEntry(std::size_t line) {
    entryLine = line;
    if (model.placementObserver != nullptr) model.placementObserver->entryRead(activeSource, line);
  }

  void keyPlaceField(const KeyField& field, KeyPlaceRole) override {
    model.currentField = field.text;
    atEntry(field.line);
  }

  // Records an error code, with the active source and its entry's line.
  void recordError(std::int32_t code);
  // Records an error code and the position it refers to.
  void recordError(std::int32_t code, std::int32_t position);

  // Records an entry's outcome: nothing when it goes on; code 15 and its position when it ends the part;
  // otherwise the source at `path` is deleted and the code recorded, with its position when it has one
  // (errorPosition stays as it was when it has none).
  ReadOn follow(const EntryOutcome& outcome, const std::string& path);

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
