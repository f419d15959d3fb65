#include "app/form1.h"

#include "app/fatal_error.h"
#include "compiler/error_codes.h"
#include "compiler/scenario_codes.h"
#include "compiler/signal_completion.h"
#include "formats/file_names.h"
#include "output/compiled_files.h"
#include "writers/embedded_tables.h"
#include "writers/line_table.h"

namespace pack {

Form1::Form1(FileSystem& fs, UserInterface& ui, const std::string& programFolder)
    : sourceFolder(programFolder), outputFolder(programFolder), fs_(fs), ui_(ui) {}

void Form1::Form_Load() {
  setEmbeddedNames();
  ui_.showWaitWindow(kWaitLabel);
  writeTexts();
  std::int32_t option = 1;
  memorizza_percorso(option);
}

void Form1::memorizza_percorso(std::int32_t& j) {
  model.buildPlan = j;
  SourceAccess sources = sourcesIn(sourceFolder);
  compileSources(sources);
}

CompileReport Form1::compile(const CompileRequest& request) {
  model.scenarioName = request.scenarioName;
  model.trainNumber = request.trainNumber;
  model.buildPlan = request.buildPlan ? 1 : 0;
  sourceFolder = request.sourceFolder;
  outputFolder = request.outputFolder;
  deleteSources = request.deleteSources;

  CompileReport report;
  SourceAccess sources = sourcesIn(sourceFolder);
  try {
    report.written = compileSources(sources);
  } catch (const FatalError& e) {
    report.fatal = e.code();
  }

  RecordedError& error = report.error;
  error.code = model.errorCode;
  error.position = model.errorPosition;
  const ErrorInfo* info = findError(model.errorCode);
  if (info != nullptr && info->origin == ErrorOrigin::kEntry && sources.errorSource != SourceKind::kNone) {
    error.source = sources.errorSource == SourceKind::kRoute ? sources.routePath : sources.trainRunPath;
    error.line = sources.errorLine;
  } else if (info != nullptr && info->origin == ErrorOrigin::kRouteSource) {
    error.source = sources.routePath;
  }
  return report;
}

SourceAccess Form1::sourcesIn(const std::string& folder) {
  ScenarioNames names{model.scenarioName, model.trainNumber};
  return {fs_, fs_.join(folder, routeSourceName(names)), fs_.join(folder, trainRunSourceName(names)),
          deleteSources};
}

std::vector<std::string> Form1::compileSources(SourceAccess& sources) {
  model.errorCode = 0;
  model.clearTable();
  memorizza_dati(model, sources);
  // Without cells there is nothing to complete or write: stop with the reader's code.
  if (!model.hasCells()) errore(std::to_string(model.errorCode != 0 ? model.errorCode : 25));

  completeSignalCodes(model);
  if (std::int32_t failed = checkReservedSlots(model); failed != 0) errore(std::to_string(failed));

  model.scenarioTable[kRowScenario].numberD = codice_gara_st(model);
  model.trackCells[1].value2 = static_cast<std::int16_t>(codice_gara_og(model));

  return writeCompiledFiles(model, fs_, outputFolder);
}

void Form1::setEmbeddedNames() {
  model.scenarioName = std::string(kScenarioName);
  model.trainNumber = std::string(kTrainNumber);
}

void Form1::writeTexts() {
  dati_linea();
  dati_treno();
  dati_note();
  dati_rallentamenti();
  dati_scheda();
}

void Form1::errore(const std::string& a) { throw FatalError(std::stoi(a), " Errore n. " + a); }

void Form1::writeDocument(const std::string& name, std::span<const std::string_view> lines) {
  writeLineTable(fs_, fs_.join(sourceFolder, name), lines);
}

void Form1::dati_linea() { writeDocument(routeSourceName({model.scenarioName, model.trainNumber}), routeLines()); }

void Form1::dati_treno() {
  writeDocument(trainRunSourceName({model.scenarioName, model.trainNumber}), trainRunLines());
}

void Form1::dati_note() { writeDocument(notesName({model.scenarioName, model.trainNumber}), notesLines()); }

void Form1::dati_rallentamenti() {
  writeDocument(slowDownOrderName({model.scenarioName, model.trainNumber}), slowDownOrderLines());
}

void Form1::dati_scheda() {
  writeDocument(timetableName({model.scenarioName, model.trainNumber}), timetableLines());
}

int runPack(Platform& platform) {
  try {
    Form1 form(platform, platform, platform.programFolder());
    form.Form_Load();
    return 0;
  } catch (const FatalError& e) {
    platform.showMessage(e.what());
    return 1;
  } catch (const IoError& e) {
    platform.showMessage(e.what());
    return 2;
  }
}

}  // namespace pack
