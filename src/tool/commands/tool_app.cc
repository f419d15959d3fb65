#include "tool/commands/tool_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <memory>
#include <ostream>

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

bool isCommandName(const CLI::App& app, const std::string& word) {
  for (const CLI::App* sub : app.get_subcommands({})) {
    if (sub->get_name() == word) return true;
  }
  return false;
}

}  // namespace

int runTool(const std::vector<std::string>& args, std::ostream& rawOut, std::ostream& rawErr) {
  EscapingStream out(rawOut);
  EscapingStream err(rawErr);
  CLI::App app{kDescription, "scenario-tool"};
  app.footer(kFooter);
  app.require_subcommand(0, 1);
  std::vector<std::unique_ptr<ToolCommand>> commands = makeCommands();
  std::vector<CLI::App*> subcommands;
  for (auto& command : commands) subcommands.push_back(command->define(app));

  // The parser would call an unknown word a missing command; name it instead.
  if (!args.empty() && !args[0].empty() && args[0][0] != '-' && !isCommandName(app, args[0])) {
    return usageError(err, "unknown command \"" + args[0] + "\"");
  }
  try {
    app.parse(std::vector<std::string>(args.rbegin(), args.rend()));  // the parser takes them reversed
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    return usageError(err, e.what());
  }

  for (std::size_t i = 0; i < commands.size(); ++i) {
    if (!subcommands[i]->parsed()) continue;
    try {
      return commands[i]->run(out, err);
    } catch (const std::exception& e) {
      return CommandVoice(commands[i]->name(), err).fail(kExitSoftware, std::string("internal error: ") + e.what());
    }
  }
  return usageError(err, "a command is required");
}

}  // namespace pack
