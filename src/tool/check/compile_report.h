// How the tool tells an author what a compile came to: the recorded error with its file, line and position,
// the fatal stop on its own line, and both with the lint's warnings as one JSON object. Shared by
// `compile` and `check`, so that the two say the same thing the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/compile.h"
#include "platform/platform.h"
#include "tool/check/source_lint.h"

namespace pack {

// Compiles as the program does and writes the compiled files into `outputFolder` of `fs` (unless the
// compile stopped), recording which entry placed each feature, and explains the error:
// for a feature refused on a taken cell (errors 6, 7 and 16 to 21), what holds the cell and the file and
// line of the entry that put it there; for a platform too close to the one before (22), where that one
// ends and where this one may begin. Approach marks written over those of another entry are added to
// `warnings`. The compiled files are the same as without it.
CompileReport compileExplained(FileSystem& fs, const CompileRequest& request, const std::string& outputFolder,
                               std::vector<LintWarning>& warnings);

// The same compile and explanation without writing anything: the compiled model is left in `model`, for
// a caller that shows what it holds (the editor's language server, which compiles on every change).
CompileReport compileExplainedInMemory(FileSystem& fs, const CompileRequest& request, Model& model,
                                       std::vector<LintWarning>& warnings);

// Adds to a reading failure (error 25) the lint's account of the field the compiler could not read: the
// first one, as the compiler stops at it.
void explainReadingStop(RecordedError& error, const std::vector<LintWarning>& warnings);

// Takes out of `warnings` the one whose account explainReadingStop gave `error`, so that the problem is
// said once, as the error.
void takeOutReadingStop(const RecordedError& error, std::vector<LintWarning>& warnings);

// "FILE:LINE: error N at X m: what; fix; detail" (the parts that apply), on one line; for a reading
// failure the specific reason comes before the causes it may have.
std::string recordedErrorText(const RecordedError& error);

// "error N: what stopped the compile; the compile stopped and wrote nothing".
std::string fatalStopText(std::int32_t fatal);

// errorCode, errorPosition, file, line, message and detail of the recorded error; fatal and fatalMessage
// of the stop. The verdict's findings say the same among the others; these keys name the first compile's.
nlohmann::json firstErrorJson(const CompileReport& report);

}  // namespace pack
