#include "tool/check/verdict.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "compiler/error_codes.h"
#include "formats/file_names.h"
#include "tool/check/compile_report.h"
#include "tool/check/later_errors.h"
#include "tool/check/run_source.h"
#include "tool/check/warning_groups.h"
#include "tool/describe/findings.h"
#include "tool/describe/json_text.h"

namespace pack {
namespace {

struct SourcePaths {
  std::string route;
  std::string run;
};

SourcePaths pathsOf(const FileSystem& files, const CompileRequest& request) {
  ScenarioNames names{request.scenarioName, request.trainNumber};
  return {files.join(request.sourceFolder, routeSourceName(names)),
          files.join(request.sourceFolder, trainRunSourceName(names))};
}

// Appended, not joined with +: GCC 12 misreads the join for MinGW as an overlapping copy.
std::string errorId(std::int32_t code) {
  std::string id = "E";
  id += std::to_string(code);
  return id;
}

VerdictFinding errorFinding(const RecordedError& e, const std::string& fallbackFile) {
  RecordedError unplaced = e;  // the finding carries its file and line itself
  unplaced.source.clear();
  unplaced.line = 0;
  const ErrorInfo* info = findError(e.code);
  VerdictFinding f{e.source.empty() ? fallbackFile : e.source, e.line, 0, VerdictSeverity::kError, errorId(e.code),
                   recordedErrorText(unplaced)};
  if (info != nullptr && info->hasPosition) f.position = e.position;
  return f;
}

VerdictFinding stopFinding(std::int32_t fatal, const std::string& file) {
  return {file, 0, 0, VerdictSeverity::kError, errorId(fatal), fatalStopText(fatal)};
}

VerdictFinding warningFinding(LintWarning&& w) {
  return {std::move(w.file), w.line, w.column, VerdictSeverity::kWarning, findingCode(w.id), std::move(w.message),
          std::nullopt, std::move(w.fix), {}, w.endColumn};
}

bool isFormProblem(FindingId id) {
  return id == FindingId::kLineEnds || id == FindingId::kByteOrderMark || id == FindingId::kUtf8Text;
}

std::string_view formWords(FindingId id) {
  switch (id) {
    case FindingId::kLineEnds: return "its line ends";
    case FindingId::kByteOrderMark: return "its byte-order mark";
    default: return "its UTF-8 text";
  }
}

// The form problem of the error's source that explains the error: line ends break every line; a
// byte-order mark or a UTF-8 character only the line it stands on.
std::vector<LintWarning>::iterator formCause(const RecordedError& error, std::vector<LintWarning>& warnings) {
  return std::find_if(warnings.begin(), warnings.end(), [&](const LintWarning& w) {
    if (!isFormProblem(w.id) || w.file != error.source) return false;
    return w.id == FindingId::kLineEnds || w.line == error.line;
  });
}

// Warnings in reading order (the route's, then the train run's, each by line), then by kind.
std::vector<LintWarning> inVerdictOrder(std::vector<LintWarning> warnings, const SourcePaths& paths) {
  auto fileIndex = [&](const std::string& file) { return file == paths.route ? 0 : file == paths.run ? 1 : 2; };
  std::stable_sort(warnings.begin(), warnings.end(), [&](const LintWarning& a, const LintWarning& b) {
    return fileIndex(a.file) != fileIndex(b.file) ? fileIndex(a.file) < fileIndex(b.file) : a.line < b.line;
  });
  std::vector<LintWarning> ordered;
  ordered.reserve(warnings.size());
  for (const std::vector<const LintWarning*>& kind : groupWarnings(warnings)) {
    for (const LintWarning* w : kind) ordered.push_back(*w);
  }
  return ordered;
}

// The verdict is made here: the sources of findings in collect(), then the order.
class VerdictMaker {
 public:
  VerdictMaker(FileSystem& files, const VerdictRequest& request)
      : files_(files), request_(request), paths_(pathsOf(files, request.compile)), warnings_(request.kept) {}

  Verdict make() {
    std::optional<std::string> missingRun = missingTrainRun();
    collect(missingRun.has_value());
    std::vector<LintWarning> warnings = warnings_.take();
    verdict_.warningCount = warnings_.total();
    for (const auto& [id, count] : warnings_.omitted()) verdict_.omitted[findingCode(id)] += count;
    const bool causeFound = causeFirst(warnings);
    if (missingRun) {
      VerdictSeverity severity = request_.compile.trainNumber.empty() ? VerdictSeverity::kInformation
                                                                        : VerdictSeverity::kError;
      verdict_.findings.push_back({paths_.route, 0, 0, severity, {}, *missingRun});
      verdict_.errorCount += severity == VerdictSeverity::kError;
    }
    firstErrors();
    // Behind an error its source's form explains, every other would be a consequence.
    if (request_.laterErrors && !causeFound) laterErrors();
    for (LintWarning& w : inVerdictOrder(std::move(warnings), paths_)) verdict_.findings.push_back(warningFinding(std::move(w)));
    return std::move(verdict_);
  }

 private:
  std::optional<std::string> missingTrainRun() {
    if (request_.compile.trainNumber.empty()) {
      return std::string("no train run source of this scenario is open or known in its folder: open one to check "
                         "the two sources together");
    }
    if (request_.runMayBeMissing) return std::nullopt;
    return missingTrainRunSource(files_, paths_.route, paths_.run);
  }

  // Every source of findings, one call each: their warnings go to the bounded list, the compile's error
  // and stop to the report.
  void collect(bool runMissing) {
    lintSources(files_, paths_.route, paths_.run, request_.compile.buildPlan, warnings_, request_.saved);
    unsavable();
    compile(runMissing);
  }

  // The first error's cause: a problem of its source's form, put first and named by the error; else the
  // lint's account of a field the compiler could not read, said as the error's and not again. True when
  // the form is the cause.
  bool causeFirst(std::vector<LintWarning>& warnings) {
    RecordedError& error = verdict_.compile.error;
    auto found = error.code != 0 ? formCause(error, warnings) : warnings.end();
    if (found == warnings.end()) {
      explainReadingStop(error, warnings);
      const std::size_t before = warnings.size();
      takeOutReadingStop(error, warnings);
      verdict_.warningCount -= before - warnings.size();
      return false;
    }
    error.detail = causedBy(error, found->id);
    verdict_.findings.push_back(warningFinding(std::move(*found)));
    verdict_.findings.back().explainsError = true;
    warnings.erase(found);
    return true;
  }

  void unsavable() {
    for (const UnsavableCharacter& u : request_.unsavable) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(u.codePoint));
      warnings_.add({u.file, u.line, findingMessage(FindingId::kUnsavableCharacter, {code}), u.column, {},
                     FindingId::kUnsavableCharacter, std::nullopt, u.column + 1});
    }
  }

  void compile(bool runMissing) {
    std::vector<LintWarning> found;
    CompileRequest request = request_.compile;
    if (request_.outputFolder) {
      verdict_.compile = compileExplained(files_, request, *request_.outputFolder, found);
    } else {
      request.deleteSources = false;
      Model local;
      verdict_.compile = compileExplainedInMemory(files_, request, request_.model ? *request_.model : local, found);
    }
    for (LintWarning& w : found) warnings_.add(std::move(w));
    // Without its train run source the compile fails reading it: that failure is the missing file.
    if (runMissing && verdict_.compile.error.code == kErrRunTime) verdict_.compile.error = {};
  }

  static std::string causedBy(const RecordedError& error, FindingId form) {
    std::string because = "because of " + std::string(formWords(form)) + ", as the warning before this error says";
    return error.code == kErrRunTime ? "the source could not be read " + because : "caused " + because;
  }

  void firstErrors() {
    const CompileReport& report = verdict_.compile;
    if (report.error.code != 0) verdict_.findings.push_back(errorFinding(report.error, paths_.route));
    if (report.fatal != 0) {
      verdict_.findings.push_back(stopFinding(report.fatal, report.error.source.empty() ? paths_.route
                                                                                         : report.error.source));
    }
    verdict_.errorCount += report.error.code != 0 || report.fatal != 0;
  }

  // The compiler stops at its first error: the later ones are found on a copy of the sources in memory,
  // with each erring entry set aside in turn.
  void laterErrors() {
    if (verdict_.compile.error.code == 0) return;
    MemoryFileSystem scratch;
    for (const std::string& path : {paths_.route, paths_.run}) {
      if (files_.exists(path)) scratch.files[path] = files_.read(path);
    }
    SameNames copies(scratch, files_);
    CompileRequest request = request_.compile;
    request.deleteSources = false;
    for (const LaterError& later : findLaterErrors(copies, request, verdict_.compile.error)) {
      VerdictFinding f = later.error.code != 0 ? errorFinding(later.error, paths_.route)
                                               : stopFinding(later.fatal, paths_.route);
      if (later.error.code != 0 && later.fatal != 0) f.message += "; " + fatalStopText(later.fatal);
      f.message += setAsideNote(later.setAside);
      f.setAside = later.setAside;
      verdict_.findings.push_back(std::move(f));
      ++verdict_.errorCount;
    }
  }

  FileSystem& files_;
  const VerdictRequest& request_;
  SourcePaths paths_;
  WarningList warnings_;
  Verdict verdict_;
};

std::string severityWord(VerdictSeverity s) {
  switch (s) {
    case VerdictSeverity::kError: return "error";
    case VerdictSeverity::kWarning: return "warning";
    case VerdictSeverity::kInformation: return "note";
  }
  return "warning";
}

}  // namespace

Verdict checkSources(FileSystem& files, const VerdictRequest& request) { return VerdictMaker(files, request).make(); }

Verdict checkSourcesInMemory(FileSystem& disk, const VerdictRequest& request, MemoryFileSystem& memory) {
  const SourcePaths paths = pathsOf(disk, request.compile);
  for (const std::string& path : {paths.route, paths.run}) {
    if (disk.exists(path)) memory.files[path] = disk.read(path);
  }
  SameNames files(memory, disk);
  VerdictRequest inMemory = request;
  inMemory.compile.deleteSources = false;
  inMemory.outputFolder = request.compile.sourceFolder;  // compiled files go to the memory too
  return checkSources(files, inMemory);
}

Verdict unreadableVerdict(const std::string& what) {
  Verdict verdict;
  verdict.findings.push_back({{}, 0, 0, VerdictSeverity::kError, {}, what});
  verdict.errorCount = 1;
  return verdict;
}

std::string findingText(const VerdictFinding& f) {
  std::string text;
  if (!f.file.empty()) {
    text = f.file;
    if (f.line > 0) text += ":" + std::to_string(f.line);
    if (f.line > 0 && f.column > 0) text += ":" + std::to_string(f.column);
    text += ": ";
  }
  // A compiler error's message begins with "error N".
  if (f.id.empty() || f.id.front() != 'E') text += severityWord(f.severity) + ": ";
  return text + f.message;
}

std::string headline(const Verdict& verdict) {
  return verdict.findings.empty() ? "" : findingText(verdict.findings.front());
}

nlohmann::json verdictJson(const Verdict& verdict) {
  nlohmann::json findings = nlohmann::json::array();
  for (const VerdictFinding& f : verdict.findings) {
    const FindingInfo* row = f.id.empty() ? nullptr : findFinding(f.id);
    nlohmann::json fix = nullptr;
    if (f.fix) {
      fix = {{"title", f.fix->title}, {"text", f.fix->text}, {"column", f.fix->column}, {"endColumn", f.fix->endColumn}};
    }
    findings.push_back({{"file", f.file},
                        {"line", orNull(f.line > 0, f.line)},
                        {"column", orNull(f.column > 0, f.column)},
                        {"severity", severityWord(f.severity)},
                        {"id", orNull(!f.id.empty(), f.id)},
                        {"name", orNull(row != nullptr, row != nullptr ? std::string(row->name) : "")},
                        {"message", f.message},
                        {"position", orNull(f.position.has_value(), f.position.value_or(0))},
                        {"fix", std::move(fix)},
                        {"setAside", f.setAside}});
  }
  return {{"findings", std::move(findings)},
          {"omitted", verdict.omitted},
          {"errorCount", verdict.errorCount},
          {"warningCount", verdict.warningCount}};
}

std::string countsText(const Verdict& verdict) {
  const std::size_t e = verdict.errorCount, w = verdict.warningCount;
  return std::to_string(e) + (e == 1 ? " error, " : " errors, ") + std::to_string(w) + (w == 1 ? " warning" : " warnings");
}

std::vector<std::vector<const VerdictFinding*>> findingKinds(const Verdict& verdict) {
  std::vector<std::vector<const VerdictFinding*>> kinds;
  for (const VerdictFinding& f : verdict.findings) {
    const bool ofKind = f.severity == VerdictSeverity::kWarning && !f.id.empty() && !f.explainsError;
    if (ofKind && !kinds.empty() && kinds.back().front()->id == f.id && !kinds.back().front()->explainsError) {
      kinds.back().push_back(&f);
    } else {
      kinds.push_back({&f});
    }
  }
  return kinds;
}

}  // namespace pack
