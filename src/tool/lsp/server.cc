#include "tool/lsp/server.h"

#include <istream>

#include "formats/cp1252.h"
#include "tool/lsp/message_reader.h"
#include "tool/lsp/uri.h"

namespace pack::lsp {
namespace {

constexpr int kFullSync = 1;
constexpr std::string_view kSourceName = "scenario-tool";

// A request the server cannot answer as asked: its error code and message.
struct RequestFailure {
  int code;
  std::string message;
};

PositionEncoding chooseEncoding(const json& params) {
  const json* offered = nullptr;
  if (params.contains("capabilities") && params["capabilities"].contains("general")) {
    const json& general = params["capabilities"]["general"];
    if (general.contains("positionEncodings")) offered = &general["positionEncodings"];
  }
  if (offered == nullptr || !offered->is_array()) return PositionEncoding::kUtf16;
  for (const json& name : *offered) {
    if (name == "utf-8") return PositionEncoding::kUtf8;
    if (name == "utf-16") return PositionEncoding::kUtf16;
    if (name == "utf-32") return PositionEncoding::kUtf32;
  }
  return PositionEncoding::kUtf16;
}

Position positionOf(const json& params) {
  const json& p = params.at("position");
  return {p.at("line").get<std::size_t>(), p.at("character").get<std::size_t>()};
}

// The end of the field that begins at `begin` on a line of the outline, or of the line's text up to a comma.
std::size_t fieldEnd(const SourceLine* line, std::string_view text, std::size_t begin) {
  if (line != nullptr) {
    if (line->key.begin == begin) return line->key.end;
    for (const FieldSpan& v : line->values) {
      if (v.begin == begin) return v.end;
    }
  }
  std::size_t comma = text.find(',', begin);
  return comma == std::string_view::npos ? text.size() : comma;
}

// The columns a finding covers: its field, or the whole entry of its line.
std::pair<std::size_t, std::size_t> findingColumns(const VerdictFinding& f, const SourceLine* line,
                                                   std::string_view text) {
  if (f.column > 0) {
    std::size_t begin = std::min(f.column - 1, text.size());
    std::size_t end = f.endColumn > 0 ? f.endColumn - 1 : fieldEnd(line, text, begin);
    return {begin, std::max(begin, end)};
  }
  if (line == nullptr || line->key.begin == line->key.end) return {0, text.size()};
  std::size_t end = line->values.empty() ? line->key.end : line->values.back().end;
  return {line->key.begin, end};
}

// A fix as a diagnostic carries it, for the code action that applies it.
json fixData(const LintFix& fix, const SourceView& view, std::size_t line, const json& findingRange) {
  json range = fix.column == 0 ? findingRange : rangeOf(view, line, fix.column - 1, fix.endColumn - 1);
  return {{"title", fix.title}, {"newText", fix.text}, {"range", range}};
}

// The protocol's severities: 1 error, 2 warning, 3 information.
int severityOf(VerdictSeverity s) {
  switch (s) {
    case VerdictSeverity::kError: return 1;
    case VerdictSeverity::kWarning: return 2;
    case VerdictSeverity::kInformation: return 3;
  }
  return 2;
}

json diagnosticJson(const VerdictFinding& f, const SourceView& view, std::string_view lineText) {
  std::size_t line = f.line > 0 ? f.line - 1 : 0;
  const SourceLine* outlined = line < view.outline.size() ? &view.outline[line] : nullptr;
  auto [begin, end] = findingColumns(f, outlined, lineText);
  json d = {{"range", rangeOf(view, line, begin, end)},
            {"severity", severityOf(f.severity)},
            {"source", kSourceName},
            {"message", f.message}};
  if (!f.id.empty()) d["code"] = f.id;
  if (f.fix) d["data"] = fixData(*f.fix, view, line, d["range"]);
  return d;
}

// Whether the editor's text, as the compiler would read it (code page 1252, CR LF), is the saved file read
// by the editor: the same bytes whatever the saved file's line ends.
bool isTextOf(std::string_view saved, std::string_view text) {
  std::size_t t = 0;
  for (std::size_t s = 0; s < saved.size(); ++s) {
    const bool lineEnd = saved[s] == '\n' || saved[s] == '\r';
    if (lineEnd && saved[s] == '\r' && s + 1 < saved.size() && saved[s + 1] == '\n') ++s;
    std::string_view expected = lineEnd ? std::string_view("\r\n") : saved.substr(s, 1);
    if (text.substr(t, expected.size()) != expected) return false;
    t += expected.size();
  }
  return t == text.size();
}

// What the editor holds that the saved file would not: the characters code page 1252 cannot hold.
std::vector<UnsavableCharacter> unsavableOf(const Document* open) {
  std::vector<UnsavableCharacter> all;
  if (open == nullptr) return all;
  for (const Unencodable& u : open->compiled.unencodable) all.push_back({{}, u.line + 1, u.column + 1, u.codePoint});
  return all;
}

}  // namespace

std::vector<json> LanguageServer::handleBody(std::string_view body) {
  json message = json::parse(body, nullptr, false);
  if (message.is_discarded()) return {errorTo(nullptr, kParseError, "the message is not JSON")};
  return handle(message);
}

std::vector<json> LanguageServer::handle(const json& message) {
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
    // A response from the client (the server sends no requests) needs no answer; anything else is malformed.
    if (message.is_object() && message.contains("id") && (message.contains("result") || message.contains("error"))) {
      return {};
    }
    json id = message.is_object() && message.contains("id") ? message["id"] : json(nullptr);
    return {errorTo(id, kInvalidRequest, "a request needs a method name")};
  }
  const std::string method = message["method"];
  const json params = message.contains("params") ? message["params"] : json::object();
  std::vector<json> out;
  if (!message.contains("id")) {
    notify(method, params, out);
    return out;
  }
  const json& id = message["id"];
  try {
    out.push_back(responseTo(id, request(method, params)));
  } catch (const RequestFailure& f) {
    out.push_back(errorTo(id, f.code, f.message));
  } catch (const json::exception& e) {
    out.push_back(errorTo(id, kInvalidParams, std::string("the parameters do not fit the method: ") + e.what()));
  } catch (const std::exception& e) {
    out.push_back(errorTo(id, kInternalError, e.what()));
  }
  return out;
}

json LanguageServer::request(const std::string& method, const json& params) {
  if (method == "initialize") return initialize(params);
  if (!initialized_) throw RequestFailure{kServerNotInitialized, "the server has not been initialized"};
  if (shutdown_) throw RequestFailure{kInvalidRequest, "the server is shutting down"};
  if (method == "shutdown") {
    shutdown_ = true;
    return nullptr;
  }
  if (method == "textDocument/hover") return hover(viewOf(documentOf(params)), positionOf(params));
  if (method == "textDocument/completion") return completion(viewOf(documentOf(params)), positionOf(params));
  if (method == "textDocument/signatureHelp") return signatureHelp(viewOf(documentOf(params)), positionOf(params));
  if (method == "textDocument/documentSymbol") return documentSymbols(viewOf(documentOf(params)));
  if (method == "textDocument/inlayHint") {
    if (!settings_.inlayHints) return json::array();
    const json& range = params.at("range");
    return inlayHints(viewOf(documentOf(params)), range.at("start").at("line").get<std::size_t>(),
                      range.at("end").at("line").get<std::size_t>());
  }
  if (method == "textDocument/codeAction") return codeActions(params);
  throw RequestFailure{kMethodNotFound, "the server does not know the method " + method};
}

void LanguageServer::notify(const std::string& method, const json& params, std::vector<json>& out) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_ || shutdown_) return;  // the protocol drops notifications before initialize
  try {
    if (method == "textDocument/didOpen") opened(params, out);
    else if (method == "textDocument/didChange") changed(params, out);
    else if (method == "textDocument/didSave") saved(params, out);
    else if (method == "textDocument/didClose") closed(params, out);
  } catch (const std::exception& e) {
    out.push_back(logMessage("scenario-tool lsp: " + method + " could not be handled: " + e.what(), 1));
  }
}

json LanguageServer::initialize(const json& params) {
  if (initialized_) throw RequestFailure{kInvalidRequest, "the server is initialized already"};
  encoding_ = chooseEncoding(params);
  if (params.contains("initializationOptions") && params["initializationOptions"].is_object()) {
    const json& options = params["initializationOptions"];
    settings_.inlayHints = options.value("inlayHints", settings_.inlayHints);
    settings_.buildPlan = options.value("plan", settings_.buildPlan);
  }
  initialized_ = true;
  json capabilities = {
      {"positionEncoding", encodingName(encoding_)},
      {"textDocumentSync", {{"openClose", true}, {"change", kFullSync}, {"save", true}}},
      {"hoverProvider", true},
      {"completionProvider", {{"triggerCharacters", json::array()}}},
      {"signatureHelpProvider", {{"triggerCharacters", {","}}, {"retriggerCharacters", {" "}}}},
      {"documentSymbolProvider", true},
      {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
  };
  if (settings_.inlayHints) capabilities["inlayHintProvider"] = true;
  return {{"capabilities", capabilities}, {"serverInfo", {{"name", "scenario-tool"}}}};
}

Document& LanguageServer::documentOf(const json& params) {
  std::string uri = params.at("textDocument").at("uri").get<std::string>();
  Document* document = store_.find(uri);
  if (document == nullptr) throw RequestFailure{kInvalidParams, "the document " + uri + " is not open"};
  return *document;
}

SourceView LanguageServer::viewOf(Document& document) {
  SourceRole role = document.name ? document.name->role : SourceRole::kRoute;
  SourceView view{role, document.lines, document.outline, encoding_, nullptr};
  if (std::optional<ScenarioUnit> unit = store_.unitOf(document, disk_)) {
    auto found = verdicts_.find(unit->routePath);
    if (found != verdicts_.end() && found->second->model.hasCells()) view.model = &found->second->model;
  }
  return view;
}

void LanguageServer::opened(const json& params, std::vector<json>& out) {
  const json& item = params.at("textDocument");
  Document& document = store_.open(item.at("uri").get<std::string>(), item.at("text").get<std::string>(),
                                   item.value("version", std::int64_t{0}));
  readSaved(document, out);
  checkAndPublish(document, out);
}

// The saved file as it is on disk, for what only it shows (its form), and as the text compiled while the
// editor's text is the file's: the editor may show it otherwise than the compiler reads it.
void LanguageServer::readSaved(const Document& document, std::vector<json>& out) {
  if (!document.path) return;
  saved_.erase(*document.path);
  try {
    if (document.name && disk_.exists(*document.path)) saved_[*document.path] = disk_.read(*document.path);
  } catch (const IoError& e) {
    out.push_back(logMessage(std::string("scenario-tool lsp: ") + e.what(), 1));
  }
}

void LanguageServer::saved(const json& params, std::vector<json>& out) {
  Document* document = store_.find(params.at("textDocument").at("uri").get<std::string>());
  if (document == nullptr) return;
  readSaved(*document, out);
  checkAndPublish(*document, out);
}

void LanguageServer::changed(const json& params, std::vector<json>& out) {
  const json& changes = params.at("contentChanges");
  if (!changes.is_array() || changes.empty()) return;
  const json& last = changes.back();
  if (last.contains("range")) {
    out.push_back(logMessage("scenario-tool lsp: a change by range was ignored; the server takes whole texts", 1));
    return;
  }
  const json& item = params.at("textDocument");
  Document* document = store_.change(item.at("uri").get<std::string>(), last.at("text").get<std::string>(),
                                     item.value("version", std::int64_t{0}));
  if (document != nullptr) checkAndPublish(*document, out);
}

void LanguageServer::closed(const json& params, std::vector<json>& out) {
  std::string uri = params.at("textDocument").at("uri").get<std::string>();
  Document* document = store_.find(uri);
  if (document == nullptr) return;
  std::optional<ScenarioUnit> unit = store_.unitOf(*document, disk_);
  if (document->path) saved_.erase(*document->path);
  store_.close(uri);
  out.push_back(notification("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", json::array()}}));
  if (!unit) return;
  // The other source, when it is still open, is checked again against the saved text of this one.
  for (const std::string& path : {unit->routePath, unit->runPath}) {
    if (Document* other = path.empty() ? nullptr : store_.atPath(path)) return checkAndPublish(*other, out);
  }
  verdicts_.erase(unit->routePath);
}

std::optional<std::string> LanguageServer::textOf(const std::string& path, std::vector<json>& out) {
  if (const Document* open = store_.atPath(path)) {
    auto file = saved_.find(path);
    return file != saved_.end() && isTextOf(file->second, open->compiled.bytes) ? file->second : open->compiled.bytes;
  }
  try {
    if (disk_.exists(path)) return disk_.read(path);
  } catch (const IoError& e) {
    out.push_back(logMessage(std::string("scenario-tool lsp: ") + e.what(), 1));
  }
  return std::nullopt;
}

void LanguageServer::checkAndPublish(const Document& document, std::vector<json>& out) {
  std::optional<ScenarioUnit> unit = store_.unitOf(document, disk_);
  if (!unit) {
    out.push_back(notification("textDocument/publishDiagnostics", {{"uri", document.uri}, {"diagnostics", json::array()}}));
    return;
  }
  UnitTexts texts{textOf(unit->routePath, out), unit->runPath.empty() ? std::nullopt : textOf(unit->runPath, out)};
  auto savedBytes = [&](const std::string& path) {
    auto file = saved_.find(path);
    return file == saved_.end() ? std::nullopt : std::optional<std::string>(file->second);
  };
  SavedForm form{savedBytes(unit->routePath), savedBytes(unit->runPath), unsavableOf(store_.atPath(unit->routePath)),
                 unit->runPath.empty() ? std::vector<UnsavableCharacter>() : unsavableOf(store_.atPath(unit->runPath))};
  auto verdict = std::make_shared<UnitVerdict>(checkUnit(*unit, texts, form, settings_.buildPlan));
  verdicts_[unit->routePath] = verdict;
  for (SourceRole role : {SourceRole::kRoute, SourceRole::kTrainRun}) {
    const std::string& path = role == SourceRole::kRoute ? unit->routePath : unit->runPath;
    const std::optional<std::string>& bytes = role == SourceRole::kRoute ? texts.route : texts.run;
    if (path.empty() || !bytes) continue;
    const Document* open = store_.atPath(path);
    json params = {{"uri", open != nullptr ? open->uri : pathToUri(path)},
                   {"diagnostics", diagnosticsFor(path, role, *bytes, verdict->verdict)}};
    if (open != nullptr) params["version"] = open->version;
    out.push_back(notification("textDocument/publishDiagnostics", std::move(params)));
  }
}

json LanguageServer::diagnosticsFor(const std::string& path, SourceRole role, const std::string& bytes,
                                    const Verdict& verdict) {
  const Document* open = store_.atPath(path);
  // A source that is not open is shown as the editor would show the file: its bytes as code page 1252.
  std::string utf8 = open != nullptr ? std::string() : cp1252ToUtf8(bytes);
  LineIndex closedLines(utf8);
  std::vector<SourceLine> closedOutline = open != nullptr ? std::vector<SourceLine>() : outlineSource(bytes, role);
  SourceView view{role, open != nullptr ? open->lines : closedLines, open != nullptr ? open->outline : closedOutline,
                  encoding_, nullptr};
  LineIndex compilerLines(bytes);
  json list = json::array();
  for (const VerdictFinding& f : verdict.findings) {
    if (f.file == path) list.push_back(diagnosticJson(f, view, compilerLines.line(f.line > 0 ? f.line - 1 : 0)));
  }
  return list;
}

json LanguageServer::codeActions(const json& params) {
  Document& document = documentOf(params);
  json actions = json::array();
  const json& context = params.at("context");
  if (!context.contains("diagnostics")) return actions;
  for (const json& d : context["diagnostics"]) {
    json fix = d.contains("data") && d["data"].is_object() ? d["data"] : fixOf(document, d);
    if (!fix.is_object() || !fix.contains("newText")) continue;
    json edit = {{"range", fix.at("range")}, {"newText", fix.at("newText")}};
    actions.push_back({{"title", fix.value("title", "Fix")},
                       {"kind", "quickfix"},
                       {"diagnostics", json::array({d})},
                       {"isPreferred", true},
                       {"edit", {{"changes", {{document.uri, json::array({edit})}}}}}});
  }
  return actions;
}

// A fix that costs compiles is found only when the editor asks: a signal refused on a taken cell.
json LanguageServer::fixOf(Document& document, const json& diagnostic) {
  std::optional<ScenarioUnit> unit = store_.unitOf(document, disk_);
  if (diagnostic.value("code", "") != "E16" || !unit || !document.name ||
      document.name->role != SourceRole::kTrainRun) {
    return nullptr;
  }
  auto verdict = verdicts_.find(unit->routePath);
  if (verdict == verdicts_.end() || !verdict->second->model.hasCells()) return nullptr;
  std::vector<json> ignored;
  UnitTexts texts{textOf(unit->routePath, ignored), textOf(unit->runPath, ignored)};
  std::size_t line = diagnostic.at("range").at("start").at("line").get<std::size_t>();
  std::optional<LintFix> fix = freeSignalPosition(*unit, texts, verdict->second->model, line + 1);
  if (!fix) return nullptr;
  return fixData(*fix, viewOf(document), line, nullptr);
}

int runLanguageServer(std::istream& in, std::ostream& out, FileSystem& disk) {
  LanguageServer server(disk);
  MessageReader reader(in);
  while (std::optional<Frame> frame = reader.next()) {
    if (!frame->body) {
      writeMessage(out, logMessage("scenario-tool lsp: " + frame->problem, 1));
      continue;
    }
    for (const json& message : server.handleBody(*frame->body)) writeMessage(out, message);
    if (server.finished()) break;
  }
  return server.exitStatus();
}

}  // namespace pack::lsp
