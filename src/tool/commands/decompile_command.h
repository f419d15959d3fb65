// `scenario-tool decompile`: the compiled files of a scenario back into its two sources, proven by
// compiling them again in memory.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/platform.h"
#include "tool/commands/scenario_command.h"

namespace pack {

struct DecompileOptions {
  std::string outDir;  // default: the compiled files' folder
  bool force = false;  // replace sources that already exist
};

// Exit status besides those every command shares: the sources were written, but compiling them does not
// give the same bytes.
inline constexpr int kExitNotExplained = 1;

int runDecompile(const DecompileOptions& options, FileSystem& fs, const ChosenScenario& chosen, std::ostream& out,
                 std::ostream& err);

}  // namespace pack
