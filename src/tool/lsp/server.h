// The language server: one object that takes the editor's messages one at a time and answers with the
// messages to send back. Both sources of a scenario are one unit: opening or changing either compiles the
// pair in memory (the editor's texts where they are open, the disk's otherwise) and publishes the
// findings for both files.
#pragma once

#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "tool/lsp/document_store.h"
#include "tool/lsp/protocol.h"
#include "tool/lsp/scenario_check.h"
#include "tool/lsp/source_help.h"

namespace pack::lsp {

struct ServerSettings {
  bool inlayHints = false;  // kilometre posts after each position; off unless the editor asks
  bool buildPlan = true;    // compile with the plan of the line, so that curves are read as the pack reads them
};

class LanguageServer {
 public:
  explicit LanguageServer(FileSystem& disk) : disk_(disk) {}

  // One message body as it arrived; the messages to send, in order.
  std::vector<json> handleBody(std::string_view body);
  std::vector<json> handle(const json& message);

  bool finished() const { return exited_; }
  // 0 after "shutdown" then "exit", 1 after an "exit" without "shutdown" (as the protocol asks).
  int exitStatus() const { return shutdown_ ? 0 : 1; }

 private:
  json request(const std::string& method, const json& params);
  void notify(const std::string& method, const json& params, std::vector<json>& out);
  json initialize(const json& params);

  void opened(const json& params, std::vector<json>& out);
  void changed(const json& params, std::vector<json>& out);
  void closed(const json& params, std::vector<json>& out);
  void saved(const json& params, std::vector<json>& out);
  void readSaved(const Document& document, std::vector<json>& out);
  void checkAndPublish(const Document& document, std::vector<json>& out);
  std::optional<std::string> textOf(const std::string& path, std::vector<json>& out);
  json diagnosticsFor(const std::string& path, SourceRole role, const std::string& bytes,
                      const Verdict& verdict);

  Document& documentOf(const json& params);
  SourceView viewOf(Document& document);
  json codeActions(const json& params);
  json fixOf(Document& document, const json& diagnostic);

  FileSystem& disk_;
  DocumentStore store_;
  ServerSettings settings_;
  PositionEncoding encoding_ = PositionEncoding::kUtf16;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
  // The last verdict of each unit, by its route path: the compiled model that hover and hints read.
  std::map<std::string, std::shared_ptr<const UnitVerdict>> verdicts_;
  // The saved file of each open source, read on open and after every save: its form is told, and while
  // the editor's text is that file's, the file is what is checked, as check reads it.
  std::map<std::string, std::string> saved_;
};

// Serves one session on the two streams until "exit" or the end of the input; returns the exit status.
int runLanguageServer(std::istream& in, std::ostream& out, FileSystem& disk);

}  // namespace pack::lsp
