// `scenario-tool pack`: a copy of the pack program that carries another scenario.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/platform.h"
#include "tool/commands/scenario_command.h"

namespace pack {

struct PackOptions {
  std::string output;              // the program to write
  std::string templatePath;        // default: scenario-pack.exe beside the tool
  bool allowErrors = false;        // pack a scenario whose check found an error
  bool allowWarnings = false;      // pack a source not in the pack's form (UTF-8, LF line ends)
  bool strict = false;             // refuse a scenario with any warning
};

// `chosen` names the sources and crew documents.
int runPackCommand(const PackOptions& options, Platform& platform, const ChosenScenario& chosen, std::ostream& out,
                   std::ostream& err);

}  // namespace pack
