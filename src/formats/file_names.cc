#include "formats/file_names.h"

#include "formats/cp1252.h"

namespace pack {
namespace {

std::string stem(ScenarioNames n) {
  return std::string(n.scenarioName) + "_" + std::string(n.trainNumber);
}

std::string utf8(const std::string& cp1252) { return cp1252ToUtf8(cp1252); }

}  // namespace

std::string routeSourceName(ScenarioNames n) { return utf8(std::string(n.scenarioName) + "_linea.txt"); }
std::string trainRunSourceName(ScenarioNames n) { return utf8(stem(n) + "-.txt"); }
std::string timetableName(ScenarioNames n) { return utf8(stem(n) + "_scheda_treno.txt"); }
std::string slowDownOrderName(ScenarioNames n) { return utf8(stem(n) + "_rallentamenti.txt"); }
std::string notesName(ScenarioNames n) { return utf8(stem(n) + "_note.txt"); }
std::string planFileName(ScenarioNames n) { return utf8(std::string(n.scenarioName) + "_linea.dat"); }
std::string scenarioTableFileName(ScenarioNames n) { return utf8(stem(n) + ".sim"); }
std::string trackCellFileName(ScenarioNames n) { return utf8(stem(n) + ".dat"); }
std::string plotName(ScenarioNames n) { return utf8(stem(n) + ".svg"); }

}  // namespace pack
