// One scenario-tool command. Each command lives in its own file and is listed once, in tool_app.cc;
// adding a command means writing a class like ExportCommand and adding its maker to that list.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "tool/commands/command_line.h"

namespace pack {

// Exit statuses shared by every command (the usual values for these cases on POSIX systems).
constexpr int kExitOk = 0;
constexpr int kExitUsage = 64;     // unknown command, bad or missing argument
constexpr int kExitData = 65;      // an input file's content cannot be used as asked
constexpr int kExitCannotCreate = 73;  // a file would be replaced that the author has changed
constexpr int kExitSoftware = 70;  // a fault inside the tool itself
constexpr int kExitIo = 74;        // a file or folder could not be read, written or created
constexpr int kExitBusy = 75;      // another writer held the folder's lock too long: nothing was written

// A command's own lines on standard error start with "scenario-tool NAME: ", so that an author who runs
// several commands in a script sees which one spoke.
class CommandVoice {
 public:
  CommandVoice(std::string_view command, std::ostream& err);
  // Writes the prefix and returns the stream, for a line that the caller completes with '\n'.
  std::ostream& line() const;
  // One whole line; returns `status`, so that a failure reads `return say.fail(kExitIo, e.what());`.
  int fail(int status, std::string_view message) const;

 private:
  std::string prefix_;
  std::ostream& err_;
};

class ToolCommand {
 public:
  explicit ToolCommand(std::string_view name) : name_(name) {}
  virtual ~ToolCommand() = default;

  // The word that runs the command: "check", "plot"...
  const std::string& name() const { return name_; }

  // Adds the command to `tool` with its arguments and help texts, and returns it. The parsed values
  // land in the command's own members.
  virtual CommandLine define(CommandLine& tool) = 0;

  // Runs the command after its arguments parsed; returns the exit status. Failures are reported as one
  // line on `err`.
  virtual int run(std::ostream& out, std::ostream& err) = 0;

 protected:
  CommandVoice voice(std::ostream& err) const { return CommandVoice(name_, err); }

 private:
  std::string name_;
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
std::unique_ptr<ToolCommand> makeRuntimeCommand();
std::unique_ptr<ToolCommand> makeTimetableCommand();

}  // namespace pack
