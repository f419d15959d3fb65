// The sources the editor has open, and the scenario each belongs to. A scenario's two sources are one
// unit: the route "SCENARIO_linea.txt" and the train run "SCENARIO_TRAIN-.txt" in the same folder. The
// text of an open source is the editor's (unsaved changes included); a source that is not open is read
// from the disk.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tool/lsp/source_outline.h"
#include "tool/lsp/text_positions.h"

namespace pack::lsp {

// What a source's file name says: its role, folder and the scenario's names (UTF-8, as in the path).
struct SourceName {
  SourceRole role = SourceRole::kRoute;
  std::string folder;
  std::string scenario;
  std::string train;  // empty for a route source
};

// Nothing when the file name is neither a route nor a train run source's.
std::optional<SourceName> sourceNameOf(const std::string& path);

// An open source. Kept in place (its line index points into its text).
struct Document {
  Document(std::string uri, std::optional<std::string> path, std::string text, std::int64_t version);
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  std::string uri;
  std::optional<std::string> path;   // nothing for a URI that names no file
  std::optional<SourceName> name;    // nothing for a file that is no scenario source
  std::string text;                  // UTF-8, as the editor holds it
  std::int64_t version = 0;
  LineIndex lines;
  CompilerText compiled;            // the text as the compiler reads the saved file
  std::vector<SourceLine> outline;  // of `compiled`; empty for a file that is no scenario source
};

// A scenario's two sources, by their paths on disk. The train run's path is empty when no train run
// source is known for a route (none is open and none was seen in its folder).
struct ScenarioUnit {
  std::string folder;
  std::string scenario;  // UTF-8
  std::string train;     // UTF-8; empty when unknown
  std::string routePath;
  std::string runPath;
};

class DocumentStore {
 public:
  Document& open(const std::string& uri, std::string text, std::int64_t version);
  // Replaces the text; nothing when the document is not open.
  Document* change(const std::string& uri, std::string text, std::int64_t version);
  void close(const std::string& uri);
  Document* find(const std::string& uri);
  // The open document at a path on disk.
  Document* atPath(const std::string& path);

  // The unit of an open source, its paths joined by `disk`.
  std::optional<ScenarioUnit> unitOf(const Document& document, const FileSystem& disk) const;

 private:
  std::map<std::string, std::unique_ptr<Document>> documents_;
  // Train numbers seen per folder and scenario, so that a route opened after its train run was closed
  // still finds it.
  std::map<std::pair<std::string, std::string>, std::string> trains_;
};

}  // namespace pack::lsp
