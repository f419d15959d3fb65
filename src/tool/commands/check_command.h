// `scenario-tool check`: every problem of a scenario's two sources in one run, writing nothing. The pack
// command checks a scenario the same way before it packs it.
#pragma once

#include <iosfwd>
#include <string>

#include "writers/embedded_tables.h"
#include "platform/platform.h"

namespace pack {

constexpr int kExitCheckWarnings = 1;  // with --strict: warnings and no error
constexpr int kExitCheckErrors = 2;

struct CheckOptions {
  std::string dir;
  std::string scenario{kScenarioName};
  std::string train{kTrainNumber};
  bool noPlan = false;
  bool strict = false;
  bool json = false;
};

// Lists the problems on `out` (failures of the command itself on `err`); returns the exit status.
int runCheck(const CheckOptions& options, FileSystem& disk, std::ostream& out, std::ostream& err);

}  // namespace pack
