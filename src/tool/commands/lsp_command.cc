// scenario-tool lsp: the language server for editors, over standard input and output.
#include <iostream>

#include "tool/lsp/server.h"
#include "tool/commands/tool_command.h"

namespace pack {
namespace {

class LspCommand : public ToolCommand {
 public:
  LspCommand() : ToolCommand("lsp") {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("lsp", "Serve an editor as a language server on standard input and output");
    sub.footer(
        "Speaks the Language Server Protocol (JSON-RPC with Content-Length headers) on standard input and\n"
        "output, for editors: while the author types, both sources of a scenario are compiled in memory\n"
        "and the editor shows the compiler's error, the warnings and the fields it could not read at their\n"
        "lines, the meaning of keys and values on hover, completion of keys, signature help, symbols and\n"
        "fixes. docs/editors.md says how to connect Neovim, VS Code, Emacs, Helix and Kate.\n"
        "Exit status: 0 after the editor's shutdown and exit, 1 when the input ended otherwise.\n"
        "More in docs/editors.md.");
    return sub;
  }

  // The streams are the process's own: the protocol needs the bytes as they are, not the caller's.
  int run(std::ostream&, std::ostream&) override {
    useBinaryStandardStreams();
    std::unique_ptr<Platform> platform = makeNativePlatform();
    return lsp::runLanguageServer(std::cin, std::cout, *platform);
  }
};

}  // namespace

std::unique_ptr<ToolCommand> makeLspCommand() { return std::make_unique<LspCommand>(); }

}  // namespace pack
