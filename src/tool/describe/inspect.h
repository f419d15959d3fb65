// Human and JSON renderings of decoded compiled files, for `scenario-tool inspect`: every row and cell
// by its meaning, and a check for values that a compile of well-formed sources never writes.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/model.h"
#include "tool/describe/scenario_facts.h"

namespace pack {

enum class CompiledFileKind { kTrackCells, kScenarioTable, kPlan, kUnknown };

// Tells the files apart by name: "_linea.dat" plan, other ".dat" track cells, ".sim" scenario table.
CompiledFileKind compiledFileKind(std::string_view fileName);
std::string_view compiledFileKindName(CompiledFileKind kind);

// A value that no compile of sources within the formats' ranges writes: where it is and what is wrong.
struct SanityProblem {
  std::string where;
  std::string what;
};

// Each problem of the cells in turn: a hostile file can hold more than memory should keep at once.
void forEachCellProblem(const std::vector<TrackCell>& cells, const std::function<void(SanityProblem)>& found);
std::vector<SanityProblem> checkCells(const std::vector<TrackCell>& cells);
std::vector<SanityProblem> checkTable(const ScenarioTable& table);
nlohmann::json problemJson(const SanityProblem& problem);
nlohmann::json problemsJson(const std::vector<SanityProblem>& problems);

// Cells that hold a feature, a mark or a mountain kind, and those where the speed limit, gradient or
// adhesion changes; every cell with `all`. With the scenario table, stop points and text boards are shown
// with their station's name and their text.
void printCells(const std::vector<TrackCell>& cells, bool all, const ScenarioTable* table, std::ostream& out);
nlohmann::json cellsJson(const std::vector<TrackCell>& cells, bool all, const ScenarioTable* table);
// The same object with the cells' problems, written as it is made, a cell and a problem at a time: the
// output for a file of any size is never held whole.
void writeCellsJson(const std::vector<TrackCell>& cells, bool all, const ScenarioTable* table, std::ostream& out);

// Rows 0 to 86 by their role: stations, board texts, kilometre posts, train and route, scenario, run.
void printTable(const ScenarioTable& table, std::ostream& out);
nlohmann::json tableJson(const ScenarioTable& table);

// The plan is read straight from the file's bytes, twice (a summary, then the listing), so that a
// million-metre plan is listed in little memory and time.
struct PlanSummary {
  std::size_t metres = 0;        // elements per column
  std::size_t points = 0;        // metres holding both coordinates
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  double length = 0;             // along the line, over consecutive points
  double turningDegrees = 0;     // sum of the heading changes, signed (right positive)
  std::vector<SanityProblem> problems;
};

PlanSummary summarizePlan(std::string_view bytes);
// The summary, then every `every`-th point when `every` > 0.
void printPlan(std::string_view bytes, const PlanSummary& summary, std::size_t every, std::ostream& out);
void writePlanJson(std::string_view bytes, const PlanSummary& summary, std::size_t every, std::ostream& out);

}  // namespace pack
