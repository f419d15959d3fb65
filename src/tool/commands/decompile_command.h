// `scenario-tool decompile`: the compiled files of a scenario back into its two sources, proven by
// compiling them again in memory.
#pragma once

#include <iosfwd>
#include <string>

#include "writers/embedded_tables.h"
#include "platform/platform.h"

namespace pack {

struct DecompileOptions {
  std::string dir;  // where the compiled files are (UTF-8)
  std::string scenario{kScenarioName};
  std::string train{kTrainNumber};
  std::string outDir;  // default: dir
  bool force = false;  // replace sources that already exist
};

// Exit status besides those every command shares: the sources were written, but compiling them does not
// give the same bytes (or a compiled file could not be decoded, and nothing was written).
inline constexpr int kExitNotExplained = 1;

int runDecompile(const DecompileOptions& options, FileSystem& fs, std::ostream& out, std::ostream& err);

}  // namespace pack
