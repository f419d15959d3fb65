// Human and JSON renderings of decoded compiled files, for `scenario-tool inspect`.
#pragma once

#include <array>
#include <cstddef>
#include <ostream>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/model.h"

namespace pack {

enum class CompiledFileKind { kTrackCells, kScenarioTable, kPlan, kUnknown };

// Tells the files apart by name: "_linea.dat" plan, other ".dat" track cells, ".sim" scenario table.
CompiledFileKind compiledFileKind(std::string_view fileName);

std::string_view cellKindName(std::uint8_t kind);

// Cells that hold a feature, a mark or a mountain kind, and those where the speed limit, gradient or
// adhesion changes; every cell with `all`.
void printCells(const std::vector<TrackCell>& cells, bool all, std::ostream& out);
nlohmann::json cellsJson(const std::vector<TrackCell>& cells, bool all);

// Every row that holds anything, fields named as in the model, texts decoded from code page 1252.
void printTable(const std::array<ScenarioRecord, kTableRows>& table, std::ostream& out);
nlohmann::json tableJson(const std::array<ScenarioRecord, kTableRows>& table);

struct PlanSummary {
  std::size_t metres = 0;        // elements per column
  std::size_t points = 0;        // metres holding both coordinates
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  double length = 0;             // along the line, over consecutive points
  double turningDegrees = 0;     // sum of the heading changes, signed (right positive)
};

PlanSummary summarizePlan(const std::vector<PlanPoint>& plan);
// The summary, then every `every`-th point when `every` > 0.
void printPlan(const std::vector<PlanPoint>& plan, std::size_t every, std::ostream& out);
nlohmann::json planJson(const std::vector<PlanPoint>& plan, std::size_t every);

}  // namespace pack
