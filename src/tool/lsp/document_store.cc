#include "tool/lsp/document_store.h"

#include "formats/cp1252.h"
#include "formats/file_names.h"
#include "tool/lsp/uri.h"

namespace pack::lsp {
namespace {

constexpr std::string_view kRouteSuffix = "_linea.txt";
constexpr std::string_view kRunSuffix = "-.txt";

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && cp1252ToLower(text.substr(text.size() - suffix.size())) == suffix;
}

}  // namespace

std::optional<SourceName> sourceNameOf(const std::string& path) {
  std::size_t cut = path.find_last_of("/\\");
  SourceName name;
  // A file right in the root folder keeps the root ("/x" is in "/", not in the working folder).
  name.folder = cut == std::string::npos ? "." : path.substr(0, cut == 0 ? 1 : cut);
  std::string_view file = std::string_view(path).substr(cut == std::string::npos ? 0 : cut + 1);
  if (endsWithIgnoringCase(file, kRouteSuffix) && file.size() > kRouteSuffix.size()) {
    name.scenario = file.substr(0, file.size() - kRouteSuffix.size());
    return name;
  }
  if (!endsWithIgnoringCase(file, kRunSuffix)) return std::nullopt;
  std::string_view stem = file.substr(0, file.size() - kRunSuffix.size());
  std::size_t underscore = stem.rfind('_');
  if (underscore == std::string_view::npos || underscore == 0 || underscore + 1 == stem.size()) return std::nullopt;
  name.role = SourceRole::kTrainRun;
  name.scenario = stem.substr(0, underscore);
  name.train = stem.substr(underscore + 1);
  return name;
}

Document::Document(std::string u, std::optional<std::string> p, std::string t, std::int64_t v)
    : uri(std::move(u)), path(std::move(p)), text(std::move(t)), version(v), lines(text) {
  if (path) name = sourceNameOf(*path);
  compiled = lines.compilerText();
  if (name) outline = outlineSource(compiled.bytes, name->role);
}

Document& DocumentStore::open(const std::string& uri, std::string text, std::int64_t version) {
  auto document = std::make_unique<Document>(uri, uriToPath(uri), std::move(text), version);
  Document& opened = *document;
  documents_[uri] = std::move(document);
  if (opened.name && opened.name->role == SourceRole::kTrainRun) {
    trains_[{opened.name->folder, opened.name->scenario}] = opened.name->train;
  }
  return opened;
}

Document* DocumentStore::change(const std::string& uri, std::string text, std::int64_t version) {
  if (!find(uri)) return nullptr;
  return &open(uri, std::move(text), version);
}

void DocumentStore::close(const std::string& uri) { documents_.erase(uri); }

Document* DocumentStore::find(const std::string& uri) {
  auto it = documents_.find(uri);
  return it == documents_.end() ? nullptr : it->second.get();
}

Document* DocumentStore::atPath(const std::string& path) {
  for (auto& [uri, document] : documents_) {
    if (document->path == path) return document.get();
  }
  return nullptr;
}

std::optional<ScenarioUnit> DocumentStore::unitOf(const Document& document, const FileSystem& disk) const {
  if (!document.name) return std::nullopt;
  const SourceName& name = *document.name;
  ScenarioUnit unit{name.folder, name.scenario, name.train, {}, {}};
  if (unit.train.empty()) {
    auto seen = trains_.find({name.folder, name.scenario});
    if (seen != trains_.end()) unit.train = seen->second;
  }
  // The file names are built from code page 1252 names, as the compiler builds them.
  std::string scenario = utf8ToCp1252(unit.scenario);
  std::string train = utf8ToCp1252(unit.train);
  ScenarioNames names{scenario, train};
  unit.routePath = disk.join(unit.folder, routeSourceName(names));
  if (!unit.train.empty()) unit.runPath = disk.join(unit.folder, trainRunSourceName(names));
  // The document's own path, as the editor spells it (a name in other letter case on Windows).
  (name.role == SourceRole::kRoute ? unit.routePath : unit.runPath) = *document.path;
  return unit;
}

}  // namespace pack::lsp
