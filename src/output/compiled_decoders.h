// Reads the compiled files back into model structures: the partners of the encoders, used by the
// authoring tool's inspector and by the tests (encode, decode, compare).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/model.h"
#include "output/byte_reader.h"

namespace pack {

std::vector<TrackCell> decodeTrackCells(std::string_view bytes);
std::array<ScenarioRecord, kTableRows> decodeScenarioTable(std::string_view bytes);
std::vector<PlanPoint> decodePlan(std::string_view bytes);

// Walks a plan file metre by metre, the two columns side by side, without holding the whole plan: for
// listings of a million-metre plan in little memory. Checks the file as decodePlan does before the first
// call of `visit`; returns the number of metres.
std::size_t forEachPlanPoint(std::string_view bytes,
                             const std::function<void(std::size_t metre, const PlanPoint& point)>& visit);

}  // namespace pack
