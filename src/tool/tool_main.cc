// scenario-tool: export, compile, inspect and plot scenarios.
#include <iostream>

#include "platform/platform.h"
#include "tool/commands/tool_app.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = pack::consoleArguments(argc, argv);
  return pack::runTool(args, std::cout, std::cerr);
}
