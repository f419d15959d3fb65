// One scenario-tool command. Each command lives in its own file and is listed once, in tool_app.cc;
// adding a command means writing a class like ExportCommand and adding its maker to that list.
#pragma once

#include <iosfwd>
#include <memory>

namespace CLI {
class App;
}

namespace pack {

// Exit statuses shared by every command (the usual values for these cases on POSIX systems).
constexpr int kExitOk = 0;
constexpr int kExitUsage = 64;     // unknown command, bad or missing argument
constexpr int kExitData = 65;      // an input file's content cannot be used as asked
constexpr int kExitCannotCreate = 73;  // a file would be replaced that the author has changed
constexpr int kExitSoftware = 70;  // a fault inside the tool itself
constexpr int kExitIo = 74;        // a file or folder could not be read, written or created

class ToolCommand {
 public:
  virtual ~ToolCommand() = default;

  // Adds the command to `app` as a subcommand with its arguments and help texts, and returns that
  // subcommand. The parsed values land in the command's own members.
  virtual CLI::App* define(CLI::App& app) = 0;

  // Runs the command after its arguments parsed; returns the exit status. Failures are reported as one
  // line on `err`.
  virtual int run(std::ostream& out, std::ostream& err) = 0;
};

std::unique_ptr<ToolCommand> makeExportCommand();
std::unique_ptr<ToolCommand> makeNewCommand();
std::unique_ptr<ToolCommand> makeCompileCommand();
std::unique_ptr<ToolCommand> makeInspectCommand();
std::unique_ptr<ToolCommand> makePlotCommand();
std::unique_ptr<ToolCommand> makeNormalizeCommand();
std::unique_ptr<ToolCommand> makeCheckCommand();
std::unique_ptr<ToolCommand> makeDecompileCommand();
std::unique_ptr<ToolCommand> makeFormatsCommand();
std::unique_ptr<ToolCommand> makePackCommand();
std::unique_ptr<ToolCommand> makeLspCommand();
std::unique_ptr<ToolCommand> makeServeCommand();

}  // namespace pack
