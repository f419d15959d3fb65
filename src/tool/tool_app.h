// scenario-tool's commands, as a library so that tests can run them in-process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pack {

// Runs scenario-tool with its arguments (without the program name) and returns the exit status.
int runTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pack
