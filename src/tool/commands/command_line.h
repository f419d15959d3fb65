// The tool's command line: its commands, their options and arguments, and the reading of what the author
// typed. The parser itself is a large header-only library; it is included by command_line.cc alone, so
// that the commands compile without it.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace pack {

// One option or argument of a command, as defined. The setters chain:
// `line.option("DIR", dir_, "Folder").required().notEmpty();`
class Argument {
 public:
  explicit Argument(CLI::Option* option) : option_(option) {}

  Argument& required();
  // An empty value is refused ("must not be empty"): an empty folder or file name would mean the current
  // folder or, joined to a name, the root, never what was meant.
  Argument& notEmpty();
  Argument& range(int lowest, int highest);
  Argument& range(double lowest, double highest);
  Argument& oneOf(const std::vector<std::string>& values);
  // The word the help shows for the value; empty shows none.
  Argument& typeName(const std::string& name);

  // Whether the command line gave it, even as an empty word.
  bool given() const;

 private:
  CLI::Option* option_;
};

// The arguments of the tool, or of one of its commands.
class CommandLine {
 public:
  // The tool's own command line: what its help says above and below the list of commands.
  CommandLine(const std::string& description, const std::string& program, const std::string& footer);
  ~CommandLine();
  CommandLine(CommandLine&&) noexcept;
  CommandLine& operator=(CommandLine&&) noexcept;

  // Adds a command, which the author names as the first word.
  CommandLine command(const std::string& name, const std::string& description);
  void footer(const std::string& text);

  // `names` is "-o,--output" for an option, or one upper-case word for an argument given by place.
  Argument flag(const std::string& names, bool& value, const std::string& help);
  Argument option(const std::string& names, std::string& value, const std::string& help);
  Argument option(const std::string& names, std::vector<std::string>& values, const std::string& help);
  Argument option(const std::string& names, int& value, const std::string& help);
  Argument option(const std::string& names, double& value, const std::string& help);

  // Whether `word` names one of the commands.
  bool isCommand(const std::string& word) const;
  // Whether this command was the one named, once the command line is read.
  bool parsed() const;

  // Reads `args` (the words after the program's name). True when they were read; otherwise `status` is
  // the exit status: 0 after the help asked for was printed on `out`, or kExitUsage with the parser's
  // reason in `problem`.
  bool read(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, int& status,
            std::string& problem);

 private:
  explicit CommandLine(CLI::App* app);

  std::unique_ptr<CLI::App> owned_;  // the tool's own; a command's is owned by the tool's
  CLI::App* app_ = nullptr;
};

}  // namespace pack
