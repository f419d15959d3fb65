// The verdict on a scenario's two sources: every finding, in the order the author should read them, with
// its file, line, column, severity, id, message and, where it has them, the metre it is at, a fix and the
// entries set aside before it was found. `check`, `compile`, `pack`, the live page and the language server
// all show this one list; none of them makes findings of its own.
//
// The order: a problem of a source's byte form that explains an error (its line ends, its encoding, a
// byte-order mark), then a missing train run source, the error the compile records and its stop, the
// errors found by setting entries aside, then the warnings by kind (those the compiler stops at first,
// then those it reads otherwise than meant, then those of form), each kind in reading order. An error
// explained by a form problem says so once, instead of its list of possible causes.
//
// The findings come from their sources one after the other in VerdictMaker::collect (verdict.cc): a new
// source of findings is one call there that adds its warnings to the bounded list (or its errors to the
// findings), and the order, the bound and every front-end follow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/compile.h"
#include "platform/memory_file_system.h"
#include "platform/platform.h"
#include "tool/check/source_lint.h"

namespace pack {

// Files in memory under the paths `disk` gives them: the memory file system joins with "/", the disk's
// own separator may differ, so the compile and whatever reads its files after it join as the disk does.
class SameNames : public FileSystem {
 public:
  SameNames(MemoryFileSystem& memory, FileSystem& disk) : memory_(memory), disk_(disk) {}
  using FileSystem::read;
  bool exists(const std::string& path) override { return memory_.exists(path); }
  std::string read(const std::string& path, std::uint64_t maxBytes) override { return memory_.read(path, maxBytes); }
  void remove(const std::string& path) override { memory_.remove(path); }
  std::unique_ptr<OutputFile> create(const std::string& path) override { return memory_.create(path); }
  std::string join(std::string_view folder, std::string_view name) const override { return disk_.join(folder, name); }

 private:
  MemoryFileSystem& memory_;
  FileSystem& disk_;
};

enum class VerdictSeverity : std::uint8_t { kError, kWarning, kInformation };

struct VerdictFinding {
  std::string file;         // the source it belongs to, as the request's folder names it
  std::size_t line = 0;     // from 1; 0: the file as a whole
  std::size_t column = 0;   // byte column from 1; 0: the line's entry as a whole
  VerdictSeverity severity = VerdictSeverity::kWarning;
  std::string id;           // "E16" for a compiler error, "L014" for a lint finding; empty for neither
  std::string message;      // without the file and line, which the front-end places
  std::optional<std::int32_t> position = {};  // the metre a compiler error names
  std::optional<LintFix> fix = {};            // the change of its line that mends it
  std::vector<std::string> setAside = {};     // "FILE:LINE" of the entries set aside before it was found
  std::size_t endColumn = 0;                  // past the last byte; 0: to the end of the field at `column`
  bool explainsError = false;            // a form problem put first as the cause of an error after it
};

// The findings kept in full: beyond it, warnings are counted by kind (errors are kept first). The
// compiler's errors are few (one per compile, at most kLaterErrorLimit more) and always kept.
inline constexpr std::size_t kFindingsKept = 200;

struct Verdict {
  std::vector<VerdictFinding> findings;
  std::map<std::string, std::size_t> omitted;  // warnings not kept in full, by id
  std::size_t errorCount = 0;    // the first compile's error with its stop as one, the later ones, a missing source
  std::size_t warningCount = 0;  // every warning, kept or counted
  CompileReport compile;         // the first compile: its error, its stop and the files it wrote

  bool hasError() const { return errorCount > 0; }
};

// A character of an editor's text that code page 1252 cannot hold: the text checked has "?" in its place.
struct UnsavableCharacter {
  std::string file;  // the source's path in the file system checked
  std::size_t line = 0;    // from 1
  std::size_t column = 0;  // byte column from 1 of the text checked
  char32_t codePoint = 0;
};

struct VerdictRequest {
  CompileRequest compile;
  // Where the compiled files go in the file system checked; nothing: the compile writes nothing.
  std::optional<std::string> outputFolder;
  bool laterErrors = true;  // set erring entries aside to find the errors behind the first
  bool runMayBeMissing = false;  // the route is compiled alone, as the pack would, when the train run is missing
  // The saved files at the sources' paths, when the texts checked are not them (an editor's): their byte
  // form is told, as only the saved file can show it.
  FileSystem* saved = nullptr;
  std::vector<UnsavableCharacter> unsavable;
  Model* model = nullptr;  // receives the first compile's model, for a front-end that shows positions
  std::size_t kept = kFindingsKept;
};

// The verdict on the sources `files` holds (on disk or in memory). Sources with entries set aside are
// compiled on copies in memory; `files` is only written when an output folder is asked for.
Verdict checkSources(FileSystem& files, const VerdictRequest& request);

// The sources read from `disk` into `memory` under the paths they have there, and checked with the
// compiled files written beside them in memory, so that what the compile made can be read after it.
Verdict checkSourcesInMemory(FileSystem& disk, const VerdictRequest& request, MemoryFileSystem& memory);

// The verdict on sources that could not be read at all (a failure of the file system): that one error.
Verdict unreadableVerdict(const std::string& what);

// "FILE:LINE:COLUMN: warning: MESSAGE" (the parts that apply), the form compilers use; a compiler error's
// message names its severity itself ("error 16 at ...").
std::string findingText(const VerdictFinding& finding);

// The text of the verdict's first finding, which says what to put right first; empty for none.
std::string headline(const Verdict& verdict);

// {"findings": [{"file", "line", "column", "severity", "id", "name", "message", "position", "fix",
// "setAside"}], "omitted": {id: count}, "errorCount", "warningCount"}.
nlohmann::json verdictJson(const Verdict& verdict);

// "2 errors, 1 warning".
std::string countsText(const Verdict& verdict);

// The kinds of findings in the verdict's order, each a run of findings of one id (a finding without an
// id is a kind of its own), for a front-end that shows one of each kind with a count.
std::vector<std::vector<const VerdictFinding*>> findingKinds(const Verdict& verdict);

}  // namespace pack
