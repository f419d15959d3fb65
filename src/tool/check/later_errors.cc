#include "tool/check/later_errors.h"

#include <map>
#include <memory>

#include "formats/file_names.h"
#include "tool/check/compile_report.h"
#include "tool/check/set_aside.h"
#include "tool/check/source_lint.h"
#include "tool/check/verdict.h"

namespace pack {
namespace {

// The two sources as the rounds leave them, each with its way back to the author's lines.
class Sources {
 public:
  Sources(FileSystem& files, const CompileRequest& request) : files_(files) {
    ScenarioNames names{request.scenarioName, request.trainNumber};
    routePath_ = files.join(request.sourceFolder, routeSourceName(names));
    trainPath_ = files.join(request.sourceFolder, trainRunSourceName(names));
    for (const std::string* path : {&routePath_, &trainPath_}) {
      if (files.exists(*path)) texts_.emplace(*path, SetAsideSource(files.read(*path)));
    }
  }

  const std::string& routePath() const { return routePath_; }
  const std::string& trainPath() const { return trainPath_; }

  // Sets aside the entry of `error` (its line as the last compile saw it); false when it has none.
  bool setAside(const RecordedError& error) {
    auto text = texts_.find(error.source);
    if (text == texts_.end() || !text->second.setAside(error.line)) return false;
    std::string bytes = text->second.text();
    std::unique_ptr<OutputFile> file = files_.create(error.source);
    file->write(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    file->commit();
    return true;
  }

  std::size_t authorLine(const std::string& path, std::size_t line) const {
    auto text = texts_.find(path);
    return text == texts_.end() ? line : text->second.authorLine(line);
  }

  // "PATH:N" and "line N" ("at line N", "line N has", "of line N") in a message about `path` with the
  // author's numbers.
  std::string authorLines(std::string text, const std::string& path) const {
    for (const auto& [source, aside] : texts_) text = renumbered(text, source + ":", source);
    return renumbered(text, "line ", path);
  }

 private:
  std::string renumbered(std::string text, const std::string& before, const std::string& path) const {
    for (std::size_t at = text.find(before); at != std::string::npos; at = text.find(before, at + 1)) {
      std::size_t from = at + before.size();
      std::size_t to = from;
      while (to < text.size() && text[to] >= '0' && text[to] <= '9') ++to;
      if (to == from || to - from > 9) continue;
      std::string line = std::to_string(authorLine(path, std::stoul(text.substr(from, to - from))));
      text.replace(from, to - from, line);
    }
    return text;
  }

  FileSystem& files_;
  std::string routePath_;
  std::string trainPath_;
  std::map<std::string, SetAsideSource> texts_;
};

// One more compile of what is left, explained as the first one was; nothing is written.
CompileReport compileAgain(FileSystem& files, const CompileRequest& request, const Sources& sources) {
  // Only the lint's reading problem at the compiler's stop is wanted: the first of them are enough.
  WarningList lint(kFindingsKept);
  lintSources(files, sources.routePath(), sources.trainPath(), request.buildPlan, lint);
  std::vector<LintWarning> warnings = lint.take();
  CompileRequest keep = request;
  keep.deleteSources = false;  // the next round reads them again
  Model model;
  CompileReport report = compileExplainedInMemory(files, keep, model, warnings);
  explainReadingStop(report.error, warnings);
  return report;
}

}  // namespace

std::vector<LaterError> findLaterErrors(FileSystem& files, const CompileRequest& request, const RecordedError& first,
                                        std::size_t limit) {
  Sources sources(files, request);
  std::vector<LaterError> later;
  std::vector<std::string> setAside;
  RecordedError current = first;  // its line as the last compile saw it
  while (later.size() < limit && current.code != 0) {
    std::size_t authorLine = sources.authorLine(current.source, current.line);
    if (!sources.setAside(current)) break;
    setAside.push_back(current.source + ":" + std::to_string(authorLine));
    CompileReport report = compileAgain(files, request, sources);
    if (report.error.code == 0 && report.fatal == 0) break;
    LaterError found{report.error, report.fatal, setAside};
    found.error.line = sources.authorLine(report.error.source, report.error.line);
    found.error.detail = sources.authorLines(report.error.detail, report.error.source);
    later.push_back(std::move(found));
    current = report.error;
  }
  return later;
}

std::string setAsideNote(const std::vector<std::string>& setAside) {
  std::string aside;
  std::string_view file;
  for (std::string_view entry : setAside) {
    std::size_t colon = entry.rfind(':');
    bool sameFile = !aside.empty() && entry.substr(0, colon) == file;
    aside += std::string(aside.empty() ? "" : ", ") + std::string(sameFile ? entry.substr(colon + 1) : entry);
    file = entry.substr(0, colon);
  }
  return " (found with " + aside + " set aside)";
}

}  // namespace pack
