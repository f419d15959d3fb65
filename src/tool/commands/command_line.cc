#include "tool/commands/command_line.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "tool/commands/tool_command.h"

namespace pack {

Argument& Argument::required() {
  option_->required();
  return *this;
}

Argument& Argument::notEmpty() {
  option_->check(CLI::Validator(
      [](const std::string& value) { return value.empty() ? std::string("must not be empty") : std::string(); },
      "NOT EMPTY", "not empty"));
  return *this;
}

Argument& Argument::range(int lowest, int highest) {
  option_->check(CLI::Range(lowest, highest));
  return *this;
}

Argument& Argument::range(double lowest, double highest) {
  option_->check(CLI::Range(lowest, highest));
  return *this;
}

Argument& Argument::oneOf(const std::vector<std::string>& values) {
  option_->check(CLI::IsMember(values));
  return *this;
}

Argument& Argument::typeName(const std::string& name) {
  option_->type_name(name);
  return *this;
}

bool Argument::given() const { return option_->count() > 0; }

CommandLine::CommandLine(const std::string& description, const std::string& program, const std::string& footer)
    : owned_(std::make_unique<CLI::App>(description, program)), app_(owned_.get()) {
  app_->footer(footer);
  app_->require_subcommand(0, 1);
}

CommandLine::CommandLine(CLI::App* app) : app_(app) {}
CommandLine::~CommandLine() = default;
CommandLine::CommandLine(CommandLine&&) noexcept = default;
CommandLine& CommandLine::operator=(CommandLine&&) noexcept = default;

CommandLine CommandLine::command(const std::string& name, const std::string& description) {
  return CommandLine(app_->add_subcommand(name, description));
}

void CommandLine::footer(const std::string& text) { app_->footer(text); }

Argument CommandLine::flag(const std::string& names, bool& value, const std::string& help) {
  return Argument(app_->add_flag(names, value, help));
}

Argument CommandLine::option(const std::string& names, std::string& value, const std::string& help) {
  return Argument(app_->add_option(names, value, help));
}

Argument CommandLine::option(const std::string& names, std::vector<std::string>& values, const std::string& help) {
  return Argument(app_->add_option(names, values, help));
}

Argument CommandLine::option(const std::string& names, int& value, const std::string& help) {
  return Argument(app_->add_option(names, value, help));
}

Argument CommandLine::option(const std::string& names, double& value, const std::string& help) {
  return Argument(app_->add_option(names, value, help));
}

bool CommandLine::isCommand(const std::string& word) const {
  for (const CLI::App* sub : app_->get_subcommands({})) {
    if (sub->get_name() == word) return true;
  }
  return false;
}

bool CommandLine::parsed() const { return app_->parsed(); }

bool CommandLine::read(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, int& status,
                       std::string& problem) {
  try {
    app_->parse(std::vector<std::string>(args.rbegin(), args.rend()));  // the parser takes them reversed
    return true;
  } catch (const CLI::CallForHelp& e) {
    status = app_->exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    status = kExitUsage;
    problem = e.what();
  }
  return false;
}

}  // namespace pack
