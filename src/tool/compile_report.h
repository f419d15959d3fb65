// How the tool tells an author what a compile came to: the recorded error with its file, line and position,
// the fatal stop on its own line, and both with the lint's warnings as one JSON object. Shared by
// `compile` and `check`, so that the two say the same thing the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/form1.h"
#include "tool/source_lint.h"

namespace pack {

// "FILE:LINE: error N at X m: what; fix" (the parts that apply).
std::string recordedErrorText(const RecordedError& error);

// "error N: what stopped the compile; the compile stopped and wrote nothing".
std::string fatalStopText(std::int32_t fatal);

// errorCode, errorPosition, file, line and message of the recorded error; fatal and fatalMessage of the
// stop; the warnings. The caller adds what is its own (the files written, a missing source).
nlohmann::json compileReportJson(const CompileReport& report, const std::vector<LintWarning>& warnings);

}  // namespace pack
