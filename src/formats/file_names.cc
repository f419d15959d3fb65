#include "formats/file_names.h"

#include <array>

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
std::string plotPageName(ScenarioNames n) { return utf8(stem(n) + ".html"); }

namespace {

std::string asciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool isAsciiControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// The five bytes code page 1252 leaves undefined read back as control characters too.
bool isControl(unsigned char byte) {
  return isAsciiControl(byte) || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

}  // namespace

bool isReservedDeviceName(std::string_view fileName) {
  std::string_view base = fileName.substr(0, fileName.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  const std::string lower = asciiLower(base);
  static constexpr std::array<std::string_view, 6> kPlain = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  for (std::string_view device : kPlain) {
    if (lower == device) return true;
  }
  if (lower.size() < 4 || (!lower.starts_with("com") && !lower.starts_with("lpt"))) return false;
  std::string_view number = std::string_view(lower).substr(3);
  bool digit = number.size() == 1 && number[0] >= '0' && number[0] <= '9';
  bool superscript = number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
  return digit || superscript;
}

std::optional<std::string> checkNamePart(std::string_view utf8, std::string_view what, std::string& problem) {
  std::string label = std::string(what) + " \"" + std::string(utf8) + "\"";
  if (utf8.empty()) {
    problem = std::string(what) + " is empty";
    return std::nullopt;
  }
  if (utf8.find_first_of("/\\") != std::string_view::npos) {
    problem = label + " contains a path separator";
    return std::nullopt;
  }
  if (utf8.find("..") != std::string_view::npos) {
    problem = label + " contains \"..\"";
    return std::nullopt;
  }
  for (char c : utf8) {
    if (isAsciiControl(static_cast<unsigned char>(c))) {
      problem = std::string(what) + " contains a control character";
      return std::nullopt;
    }
  }
  // Characters Windows refuses in file names.
  if (utf8.find_first_of(":*?\"<>|") != std::string_view::npos) {
    problem = label + " contains a character that cannot stand in a file name";
    return std::nullopt;
  }
  std::optional<std::string> bytes = utf8ToCp1252Exact(utf8);
  if (!bytes) {
    problem = label + " contains a character that code page 1252 cannot hold";
    return std::nullopt;
  }
  for (char c : *bytes) {
    if (isControl(static_cast<unsigned char>(c))) {
      problem = std::string(what) + " contains a control character";
      return std::nullopt;
    }
  }
  return bytes;
}

std::optional<OwnedScenarioNames> checkScenarioNames(std::string_view scenarioUtf8, std::string_view trainUtf8,
                                                     std::string& problem) {
  std::optional<std::string> scenario = checkNamePart(scenarioUtf8, "scenario name", problem);
  if (!scenario) return std::nullopt;
  std::optional<std::string> train = checkNamePart(trainUtf8, "train number", problem);
  if (!train) return std::nullopt;
  const ScenarioNames names{*scenario, *train};
  for (const std::string& file : {routeSourceName(names), trainRunSourceName(names), timetableName(names),
                                  slowDownOrderName(names), notesName(names), planFileName(names),
                                  scenarioTableFileName(names), trackCellFileName(names), plotName(names),
                                  plotPageName(names)}) {
    if (isReservedDeviceName(file)) {
      problem = "scenario name \"" + std::string(scenarioUtf8) + "\" gives the file name \"" + file +
                "\", which Windows keeps for a device";
      return std::nullopt;
    }
  }
  return OwnedScenarioNames{std::move(*scenario), std::move(*train)};
}

}  // namespace pack
