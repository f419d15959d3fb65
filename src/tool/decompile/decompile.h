// Turns the compiled files of a scenario back into its two sources: the route description and the train
// run description, such that compiling them writes the same files again. Each subject has its own file
// (decompile_values, _route, _curves, _train_run, _completion); this one holds what they share and runs
// them in order.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/model.h"
#include "tool/decompile/decompile_source.h"

namespace pack {

// The compiled files, decoded. Without the plan file the route is recovered without curves.
struct CompiledScenario {
  std::vector<TrackCell> cells;
  std::array<ScenarioRecord, kTableRows> table;
  std::optional<std::vector<PlanPoint>> plan;
};

struct DecompiledSources {
  SourceText route;
  SourceText trainRun;
  std::vector<DecompileMessage> notes;     // choices where the files leave more than one source
  std::vector<DecompileMessage> problems;  // what no source written here can reproduce
};

// What every recovery step reads and adds to. `work` is the cells as the sources alone leave them: the
// reserved values of cell 1 cleared and the completion pass's code points taken away
// (decompile_completion.h).
struct DecompileState {
  explicit DecompileState(const CompiledScenario& files) : in(files) {}

  const CompiledScenario& in;
  std::int32_t routeLength = 0;
  std::int32_t cellCount = 0;
  std::vector<TrackCell> work;
  std::vector<std::int32_t> userCodePoints;  // cells of the code points the train run placed by hand
  DecompiledSources out;

  void note(const std::string& where, const std::string& text) { out.notes.push_back({where, text}); }
  void problem(const std::string& where, const std::string& text) { out.problems.push_back({where, text}); }
};

// "cell 12" and "row 80", the names messages use.
std::string cellName(std::int64_t cell);
std::string rowName(std::int64_t row);

// The lowest row, above the stations, that holds a board text; 81 when none does.
std::int32_t lowestBoardRow(const std::array<ScenarioRecord, kTableRows>& table);

// A text as a source value: the readers end it at a comma or a line end and drop the blanks around it,
// so such a text is a problem (named by `where`) and is written without them.
std::string writableText(DecompileState& state, const std::string& text, const std::string& where);

// Every recovery step in order. The sources are the best found even when problems are reported.
DecompiledSources decompileScenario(const CompiledScenario& in);

}  // namespace pack
