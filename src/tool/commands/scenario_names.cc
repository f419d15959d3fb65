#include "tool/commands/scenario_names.h"

#include "formats/cp1252.h"

namespace pack {

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
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
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
  // The five bytes the code page leaves undefined are control characters too.
  for (char c : *bytes) {
    auto b = static_cast<unsigned char>(c);
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
      problem = std::string(what) + " contains a control character";
      return std::nullopt;
    }
  }
  return bytes;
}

}  // namespace pack
