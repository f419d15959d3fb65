// The verdict on one scenario unit for the editor: the verdict `check` gives (tool/check/verdict.h), of
// the editor's texts where they are open, with each finding at the source's path on disk.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "compiler/model.h"
#include "tool/check/verdict.h"
#include "tool/lsp/document_store.h"

namespace pack::lsp {

// The two sources as the compiler would read them (code page 1252, CR LF); nothing for a missing one.
struct UnitTexts {
  std::optional<std::string> route;
  std::optional<std::string> run;
};

// What only the saved files can show of the open sources: their bytes on disk (for their form) and the
// characters of the editor's texts that code page 1252 cannot hold.
struct SavedForm {
  std::optional<std::string> route;
  std::optional<std::string> run;
  std::vector<UnsavableCharacter> routeUnsavable;  // `file` is left empty: the route's
  std::vector<UnsavableCharacter> runUnsavable;
};

struct UnitVerdict {
  Verdict verdict;  // the findings' files are the unit's paths on disk
  Model model;      // the compiled model, for what an editor shows of positions (kilometre posts, cells)
};

UnitVerdict checkUnit(const ScenarioUnit& unit, const UnitTexts& texts, const SavedForm& saved, bool buildPlan);

// For a signal that the compile refused on a taken cell (error 16 at `line` of the train run): the
// nearest position whose cell `model` shows free and with which a compile of the unit no longer refuses
// that line, tried outward from the refused position. Nothing when none is found near it.
std::optional<LintFix> freeSignalPosition(const ScenarioUnit& unit, const UnitTexts& texts, const Model& model,
                                      std::size_t line);

}  // namespace pack::lsp
