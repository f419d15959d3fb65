// scenario-tool's commands, as a library so that tests can run them in-process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pack {

// Runs scenario-tool with its arguments (without the program name) and returns the exit status: 0 when
// the command succeeded or help was asked for, 64 for an unknown command or a bad argument (one line on
// `err`), 74 when a file or folder could not be written (one line on `err`).
int runTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pack
