#include "tool/commands/tool_app.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <ostream>

#include "platform/io_error.h"
#include "tool/commands/escaping_stream.h"
#include "tool/commands/tool_command.h"

namespace pack {
namespace {

// Every command of the tool, in the order its help lists them.
std::vector<std::unique_ptr<ToolCommand>> makeCommands() {
  std::vector<std::unique_ptr<ToolCommand>> commands;
  commands.push_back(makeExportCommand());
  commands.push_back(makeNewCommand());
  commands.push_back(makeCompileCommand());
  commands.push_back(makeCheckCommand());
  commands.push_back(makeNormalizeCommand());
  commands.push_back(makeFormatsCommand());
  commands.push_back(makeInspectCommand());
  commands.push_back(makePlotCommand());
  commands.push_back(makeDecompileCommand());
  commands.push_back(makeTimetableCommand());
  commands.push_back(makeRuntimeCommand());
  commands.push_back(makePackCommand());
  commands.push_back(makeLspCommand());
  commands.push_back(makeServeCommand());
  return commands;
}

constexpr const char* kDescription =
    "scenario-tool: works with the scenario that scenario-pack carries (the line Borgorosso - Montegrano C.\n"
    "and train 517), for the people who make and check scenarios.";

constexpr const char* kFooter =
    "Exit status: 0 done, 64 unknown command or bad argument, 74 a file or folder could not be written.\n"
    "Run 'scenario-tool COMMAND --help' for the arguments of one command.\n"
    "More in README.md.";

// Usage errors are one line, whatever the parser's message looked like.
int usageError(std::ostream& err, std::string message) {
  std::replace(message.begin(), message.end(), '\n', ' ');
  err << "scenario-tool: " << message << " (see scenario-tool --help)\n";
  return kExitUsage;
}

}  // namespace

int runTool(const std::vector<std::string>& args, std::ostream& rawOut, std::ostream& rawErr) {
  EscapingStream out(rawOut);
  EscapingStream err(rawErr);
  CommandLine tool(kDescription, "scenario-tool", kFooter);
  std::vector<std::unique_ptr<ToolCommand>> commands = makeCommands();
  std::vector<CommandLine> lines;
  for (auto& command : commands) lines.push_back(command->define(tool));

  // The parser would call an unknown word a missing command; name it instead.
  if (!args.empty() && !args[0].empty() && args[0][0] != '-' && !tool.isCommand(args[0])) {
    return usageError(err, "unknown command \"" + args[0] + "\"");
  }
  int status = kExitOk;
  std::string problem;
  if (!tool.read(args, out, err, status, problem)) {
    return status == kExitUsage ? usageError(err, problem) : status;
  }

  for (std::size_t i = 0; i < commands.size(); ++i) {
    if (!lines[i].parsed()) continue;
    try {
      return commands[i]->run(out, err);
    } catch (const FolderBusy& e) {
      // Every writer of file sets ends alike, whichever command it is.
      return CommandVoice(commands[i]->name(), err).fail(kExitBusy, e.what());
    } catch (const std::exception& e) {
      return CommandVoice(commands[i]->name(), err).fail(kExitSoftware, std::string("internal error: ") + e.what());
    }
  }
  return usageError(err, "a command is required");
}

}  // namespace pack
