#include "tool/commands/tool_command.h"

#include <ostream>

namespace pack {

CommandVoice::CommandVoice(std::string_view command, std::ostream& err)
    : prefix_("scenario-tool " + std::string(command) + ": "), err_(err) {}

std::ostream& CommandVoice::line() const { return err_ << prefix_; }

int CommandVoice::fail(int status, std::string_view message) const {
  line() << message << '\n';
  return status;
}

}  // namespace pack
