// scenario-tool: export, compile, inspect and plot scenarios.
#include <iostream>

#include "tool/tool_app.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return pack::runTool(args, std::cout, std::cerr);
}
