// Every file of a scenario is named from its scenario name and train number (code page 1252 texts);
// the names returned are UTF-8, ready to be joined to a folder.
#pragma once

#include <string>
#include <string_view>

namespace pack {

struct ScenarioNames {
  std::string_view scenarioName;
  std::string_view trainNumber;
};

std::string routeSourceName(ScenarioNames n);     // Borgorosso_MontegranoC_linea.txt
std::string trainRunSourceName(ScenarioNames n);  // Borgorosso_MontegranoC_517-.txt
std::string timetableName(ScenarioNames n);       // Borgorosso_MontegranoC_517_scheda_treno.txt
std::string slowDownOrderName(ScenarioNames n);   // Borgorosso_MontegranoC_517_rallentamenti.txt
std::string notesName(ScenarioNames n);           // Borgorosso_MontegranoC_517_note.txt
std::string planFileName(ScenarioNames n);        // Borgorosso_MontegranoC_linea.dat
std::string scenarioTableFileName(ScenarioNames n);  // Borgorosso_MontegranoC_517.sim
std::string trackCellFileName(ScenarioNames n);      // Borgorosso_MontegranoC_517.dat
std::string plotName(ScenarioNames n);               // Borgorosso_MontegranoC_517.svg (scenario-tool plot)

}  // namespace pack
