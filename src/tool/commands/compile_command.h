// `scenario-tool compile`: runs the program's own compile on sources an author edited, and says where
// and why a source was refused.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/platform.h"
#include "tool/commands/scenario_command.h"

namespace pack {

struct CompileOptions {
  std::string outDir;              // default: the sources' folder
  bool noPlan = false;
  bool deleteSources = false;
  bool json = false;
  bool allowMissingRun = false;    // compile the route alone when the train run source is missing
};

// Exit statuses of a compile, besides those every command shares.
inline constexpr int kExitCompileError = 1;  // an error was recorded; the files were written as the pack would
inline constexpr int kExitFatal = 2;         // " Errore n. ": nothing was written

int runCompile(const CompileOptions& options, Platform& platform, const ChosenScenario& chosen, std::ostream& out,
               std::ostream& err);

}  // namespace pack
