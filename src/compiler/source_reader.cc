#include "compiler/source_reader.h"

namespace pack {

void memorizza_dati(Model& model, SourceAccess& sources) {
  model.scenarioTable[kRowScenario].text = model.scenarioName;
  model.scenarioTable[kRowRun].text = model.trainNumber;
  (void)sources;
}

}  // namespace pack
