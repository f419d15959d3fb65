#include "compiler/compile.h"

#include "compiler/error_codes.h"
#include "compiler/scenario_codes.h"
#include "compiler/signal_completion.h"
#include "compiler/source_reader.h"
#include "formats/file_names.h"

namespace pack {

namespace {

// The code of the fatal stop, or 0 when the model is complete and may be written.
std::int32_t buildModel(Model& model, SourceAccess& sources) {
  model.errorCode = 0;
  model.clearTable();
  memorizza_dati(model, sources);
  // Without cells there is nothing to complete or write: stop with the reader's code.
  if (!model.hasCells()) return model.errorCode != 0 ? model.errorCode : kErrRunTime;

  // What the completion places belongs to no entry of the sources.
  if (model.placementObserver != nullptr) model.placementObserver->entryRead(SourceKind::kNone, 0);
  completeSignalCodes(model);
  if (std::int32_t failed = checkReservedSlots(model); failed != 0) return failed;

  model.scenarioTable[kRowScenario].numberD = codice_gara_st(model);
  model.trackCells[1].value2 = static_cast<std::int16_t>(codice_gara_og(model));
  return 0;
}

RecordedError recordedError(const Model& model, const SourceAccess& sources) {
  RecordedError error;
  error.code = model.errorCode;
  error.position = model.errorPosition;
  if (model.errorCode == kErrRunTime) error.failure = sources.failure;
  const ErrorInfo* info = findError(model.errorCode);
  if (info != nullptr && info->origin == ErrorOrigin::kEntry && sources.errorSource != SourceKind::kNone) {
    error.source = sources.errorSource == SourceKind::kRoute ? sources.routePath : sources.trainRunPath;
    error.line = sources.errorLine;
  } else if (info != nullptr && info->origin == ErrorOrigin::kRouteSource) {
    error.source = sources.routePath;
  }
  return error;
}

}  // namespace

CompileReport compileScenario(FileSystem& files, const CompileRequest& request, Model& model) {
  model.scenarioName = request.scenarioName;
  model.trainNumber = request.trainNumber;
  model.buildPlan = request.buildPlan ? 1 : 0;
  const ScenarioNames names{model.scenarioName, model.trainNumber};
  SourceAccess sources{files, files.join(request.sourceFolder, routeSourceName(names)),
                       files.join(request.sourceFolder, trainRunSourceName(names)), request.deleteSources};
  CompileReport report;
  report.fatal = buildModel(model, sources);
  report.error = recordedError(model, sources);
  return report;
}

}  // namespace pack
