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

// A change of one line's text that mends a finding.
struct Fix {
  std::string title;   // what the editor offers, e.g. "Move the signal to 5500 m, the nearest free cell"
  std::string text;    // the new text
  std::size_t column = 0;     // byte columns from 1 on the finding's line; 0: the finding's own columns
  std::size_t endColumn = 0;
};

struct Finding {
  std::string path;         // the unit's path of the source it belongs to
  std::size_t line = 1;     // from 1
  std::size_t column = 0;   // byte column from 1; 0: the line's entry as a whole
  std::size_t endColumn = 0;  // past the last byte; 0: to the end of the field at `column`
  Severity severity = Severity::kWarning;
  std::string code;         // "E16" for a compiler error, empty for a warning without an id
  std::string message;
  std::optional<Fix> fix;   // when the finding knows its fix
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

// For a signal that the compile refused on a taken cell (error 16 at `line` of the train run): the
// nearest position whose cell `model` shows free and with which a compile of the unit no longer refuses
// that line, tried outward from the refused position. Nothing when none is found near it.
std::optional<Fix> freeSignalPosition(const ScenarioUnit& unit, const UnitTexts& texts, const Model& model,
                                      std::size_t line);

}  // namespace pack::lsp
