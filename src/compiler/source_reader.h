// The source reader: reads the route description and then the train run description into the model,
// deleting each source once it has been read. The outcome is in model.errorCode and errorPosition.
#pragma once

#include <cstddef>
#include <string>

#include "compiler/model.h"
#include "platform/platform.h"

namespace pack {

enum class SourceKind { kNone, kRoute, kTrainRun };

struct SourceAccess {
  FileSystem& fs;
  std::string routePath;
  std::string trainRunPath;
  // The program always deletes its sources after reading; an authoring tool may keep them.
  bool deleteSources = true;

  // Where the last recorded error came from: which source and the line (from 1) of the entry being
  // handled. Diagnostics only; nothing of it reaches the compiled files.
  SourceKind errorSource = SourceKind::kNone;
  std::size_t errorLine = 0;
  std::string failure = {};  // what stopped the reading with code 25, in the reader's words
};

// Clears nothing itself: the caller has cleared the table and errorCode, and set buildPlan.
void memorizza_dati(Model& model, SourceAccess& sources);

}  // namespace pack
