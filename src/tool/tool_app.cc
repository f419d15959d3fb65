#include "tool/tool_app.h"

#include <ostream>

namespace pack {

int runTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  (void)args;
  (void)out;
  err << "scenario-tool: no command yet\n";
  return 64;
}

}  // namespace pack
