// The compiler's verdict on one scenario unit, from texts in memory: the lint's warnings and reading
// problems, the error the compile records and its fatal stop, as findings at a file, line and columns.
// The same compile and lint as `check`, on the editor's texts instead of the files on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/model.h"
#include "tool/lsp/document_store.h"

namespace pack::lsp {

enum class Severity : std::uint8_t { kError = 1, kWarning = 2, kInformation = 3 };

struct Finding {
  std::string path;         // the unit's path of the source it belongs to
  std::size_t line = 1;     // from 1
  std::size_t column = 0;   // byte column from 1; 0: the line's entry as a whole
  std::size_t endColumn = 0;  // past the last byte; 0: to the end of the field at `column`
  Severity severity = Severity::kWarning;
  std::string code;         // "E16" for a compiler error, empty for a warning without an id
  std::string message;
  std::optional<std::string> replacement;  // a fix for the text from column to endColumn, when one is known
};

// The two sources as the compiler would read them (code page 1252, CR LF); nothing for a missing one.
struct UnitTexts {
  std::optional<std::string> route;
  std::optional<std::string> run;
};

struct UnitVerdict {
  std::vector<Finding> findings;
  Model model;  // the compiled model, for what an editor shows of positions (kilometre posts, cells)
};

UnitVerdict checkUnit(const ScenarioUnit& unit, const UnitTexts& texts, bool buildPlan);

}  // namespace pack::lsp
