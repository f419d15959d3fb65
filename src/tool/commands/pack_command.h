// `scenario-tool pack`: a copy of the pack program that carries another scenario.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/platform.h"
#include "writers/embedded_tables.h"

namespace pack {

struct PackOptions {
  std::string dir;                 // where the sources and crew documents are (UTF-8)
  std::string scenario{kScenarioName};
  std::string train{kTrainNumber};
  std::string output;              // the program to write
  std::string templatePath;        // default: scenario-pack.exe beside the tool
  bool allowErrors = false;        // pack a scenario whose check found an error
};

int runPackCommand(const PackOptions& options, Platform& platform, std::ostream& out, std::ostream& err);

}  // namespace pack
