// scenario-tool formats [route|run] [KEY]: the reference for authors, from the entry tables of
// src/formats, as text or (--markdown) as the Markdown of docs/formats.md.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "formats/cp1252.h"
#include "tool/commands/tool_command.h"
#include "tool/describe/formats_reference.h"

namespace pack {

namespace {

class FormatsCommand : public ToolCommand {
 public:
  FormatsCommand() : ToolCommand("formats") {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("formats", "Describe every entry of the two sources, for authors");
    sub.footer(
        "With no argument, prints the index: the parts of the reference and each source's sections and\n"
        "keys. WORD shows one of them: a part (rules, placement, kilometre), a section (generale,\n"
        "montagne, segnali) or the entries a key is read as, by any part of it (pendenza, curvas3,\n"
        "cartello); 'all' shows everything. route or run first keeps to that source; a word of the other\n"
        "source is shown with where it lives. --markdown prints Markdown: docs/formats.md is made with\n"
        "'formats --markdown'.\n"
        "Exit status: 0 done, 64 bad argument or a WORD that nothing matches.\n"
        "More in docs/formats.md.");
    sub.flag("--markdown", markdown_, "Print Markdown instead of text");
    // Up to two words, counted in run(): a bound here would show in the usage line as "(0x)".
    sub.option("WHAT", what_, "route or run, then WORD; or WORD alone").typeName("");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    bool route = true, run = true;
    std::size_t next = 0;
    if (what_.size() > 2) return voice(err).fail(kExitUsage, "at most two words: route or run, then WORD");
    if (!what_.empty() && (what_[0] == "route" || what_[0] == "run")) {
      route = what_[0] == "route";
      run = !route;
      next = 1;
    }
    if (next + 1 < what_.size()) {
      return voice(err).fail(kExitUsage, "the first of two arguments must be route or run, not \"" + what_[0] + "\"");
    }
    std::optional<std::string> text;
    if (markdown_) {
      FormatsQuery query{route, run, std::nullopt};
      if (next < what_.size()) query.key = utf8ToCp1252(what_[next]);
      text = formatsReference(query, true);
    } else if (next < what_.size()) {
      text = formatsLookup(utf8ToCp1252(what_[next]), route, run);
      if (text) text = cp1252ToUtf8(*text);
    } else {
      text = what_.empty() ? formatsIndex() : *formatsReference(FormatsQuery{route, run, std::nullopt}, false);
    }
    if (!text) {
      return voice(err).fail(kExitUsage, "nothing in the reference matches \"" + what_[next] +
                                             "\"; run 'scenario-tool formats' for the index");
    }
    out << *text;
    return kExitOk;
  }

 private:
  bool markdown_ = false;
  std::vector<std::string> what_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeFormatsCommand() { return std::make_unique<FormatsCommand>(); }

}  // namespace pack
