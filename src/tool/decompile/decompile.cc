#include "tool/decompile/decompile.h"

#include "compiler/cell_codec.h"
#include "compiler/rounding.h"
#include "tool/decompile/decompile_completion.h"
#include "tool/decompile/decompile_curves.h"
#include "tool/decompile/decompile_route.h"
#include "tool/decompile/decompile_train_run.h"
#include "tool/decompile/decompile_values.h"

namespace pack {
namespace {

// The head of each source: where it comes from, and what the compiled files never keep.
void addHeadNotes(DecompileState& state) {
  const char* origin = "written by scenario-tool decompile from the compiled files";
  const char* cells = "positions of features on the 50-m cells are given at the start of their cell";
  state.out.route.headNotes = {origin, cells};
  state.out.trainRun.headNotes = {origin, cells,
                                  "a signal keeps its time only with left kind 2: the others are written with 0"};
  state.note("route", cells);
  if (!state.in.plan) state.note("route", "no plan file: the route is written without curves (compile it with --no-plan)");
}

}  // namespace

std::string cellName(std::int64_t cell) { return "cell " + std::to_string(cell); }
std::string rowName(std::int64_t row) { return "row " + std::to_string(row); }

std::int32_t lowestBoardRow(const std::array<ScenarioRecord, kTableRows>& table) {
  std::int32_t lowest = kFirstBoardRow + 1;
  for (std::int32_t r = kFirstBoardRow; r > codec::stationRowCount(table); --r) {
    if (!table[static_cast<std::size_t>(r)].text.empty()) lowest = r;
  }
  return lowest;
}

std::string writableText(DecompileState& state, const std::string& text, const std::string& where) {
  std::string written;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    bool lineEnd = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    written += c == ',' ? ';' : lineEnd ? ' ' : c;
  }
  if (written != text) state.problem(where, "text with a comma or a line end, which a source cannot hold");
  if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) {
    state.problem(where, "text beginning or ending with a blank, which the readers drop");
  }
  return written;
}

DecompiledSources decompileScenario(const CompiledScenario& in) {
  DecompileState state{in};
  state.routeLength = in.table[kRowTrain].numberB;
  std::int64_t extended = std::int64_t{state.routeLength} + kTrackExtension;
  std::int64_t expectedCells = roundHalfEvenValue(static_cast<double>(extended) / kCellLength) + 1;
  if (static_cast<std::int64_t>(in.cells.size()) != expectedCells) {
    state.problem("track cell file", std::to_string(in.cells.size()) + " cells where a route of " +
                                         std::to_string(state.routeLength) + " m has " +
                                         std::to_string(expectedCells));
  }
  if (in.plan && static_cast<std::int64_t>(in.plan->size()) != extended + 1) {
    state.problem("plan file", std::to_string(in.plan->size()) + " metres where a route of " +
                                   std::to_string(state.routeLength) + " m has " + std::to_string(extended + 1));
  }
  addHeadNotes(state);
  // Too few cells for the reserved cell 1 and the completion's look-around: only the general values.
  if (in.cells.size() < 3) {
    state.problem("track cell file", "fewer than three cells");
    recoverRouteGeneral(state);
    recoverTrainGeneral(state);
    return state.out;
  }
  state.cellCount = static_cast<std::int32_t>(in.cells.size() - 1);
  state.work = in.cells;
  // Cell 1's reserved values are the compile's own: the sources leave them 0.
  state.work[1].value1 = 0;
  state.work[1].value2 = 0;

  checkScenarioCodes(state);
  undoCompletion(state);

  recoverRouteGeneral(state);
  recoverCurveSection(state);
  recoverGradients(state);
  recoverMountains(state);
  recoverSpeedBoards(state);
  recoverTextBoards(state);

  recoverTrainGeneral(state);
  recoverTrainRunFeatures(state);
  return state.out;
}

}  // namespace pack
