// `scenario-tool check`: every problem of a scenario's two sources in one run, writing nothing. The pack
// command checks a scenario the same way before it packs it.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/platform.h"
#include "tool/check/verdict.h"
#include "tool/commands/scenario_command.h"

namespace pack {

constexpr int kExitCheckWarnings = 1;  // with --strict: warnings and no error
constexpr int kExitCheckErrors = 2;

struct CheckOptions {
  bool noPlan = false;
  bool strict = false;
  bool json = false;
  bool all = false;  // every warning, not one of each kind with a count
};

// The verdict on the chosen scenario's sources as check gives it; file-system failures throw IoError.
Verdict checkScenario(const CheckOptions& options, FileSystem& disk, const ChosenScenario& chosen);

// The verdict as check prints it, lines or JSON.
void printVerdict(const CheckOptions& options, const Verdict& verdict, std::ostream& out);

// 0, or kExitCheckErrors for an error, or kExitCheckWarnings for warnings with --strict.
int checkStatus(const CheckOptions& options, const Verdict& verdict);

// Lists the problems on `out` (failures of the command itself on `err`); returns the exit status.
int runCheck(const CheckOptions& options, FileSystem& disk, const ChosenScenario& chosen, std::ostream& out,
             std::ostream& err);

}  // namespace pack
