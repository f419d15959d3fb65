// Every file of a scenario is named from its scenario name and train number (code page 1252 texts);
// the names returned are UTF-8, ready to be joined to a folder.
#pragma once

#include <optional>
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
std::string plotPageName(ScenarioNames n);           // Borgorosso_MontegranoC_517.html (plot --html)

// The rule for the names an author gives (on the command line, or carried by a pack), checked before
// anything is read or written because every file name is built from them.

// One name in code page 1252, or nothing with `problem` set (naming it as `what`): empty, a path
// separator, "..", a control character, a character Windows refuses in file names, or one code page 1252
// cannot hold.
std::optional<std::string> checkNamePart(std::string_view utf8, std::string_view what, std::string& problem);

struct OwnedScenarioNames {
  std::string scenarioName;  // code page 1252
  std::string trainNumber;
};

// Both names (UTF-8) in code page 1252, or nothing with `problem` set: each as checkNamePart, and no file
// of the scenario may be named like a device that Windows keeps for itself ("CON.x" would give
// "CON.x_linea.txt", which Windows opens as the console).
std::optional<OwnedScenarioNames> checkScenarioNames(std::string_view scenarioUtf8, std::string_view trainUtf8,
                                                     std::string& problem);

// Whether Windows takes a file of this name (UTF-8) for a device: CON, PRN, AUX, NUL, COM0-9, LPT0-9
// (with the superscript digits too), CONIN$ and CONOUT$, in any letter case, before the first dot,
// trailing spaces aside.
bool isReservedDeviceName(std::string_view fileName);

}  // namespace pack
