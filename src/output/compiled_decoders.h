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

namespace pack {

// A file that is not a well-formed compiled file: what is wrong and at which byte offset.
class DecodeError : public std::runtime_error {
 public:
  DecodeError(std::size_t offset, const std::string& what);
  std::size_t offset() const { return offset_; }

 private:
  std::size_t offset_;
};

std::vector<TrackCell> decodeTrackCells(std::string_view bytes);
std::array<ScenarioRecord, kTableRows> decodeScenarioTable(std::string_view bytes);
std::vector<PlanPoint> decodePlan(std::string_view bytes);

// Walks a plan file metre by metre, the two columns side by side, without holding the whole plan: for
// listings of a million-metre plan in little memory. Checks the file as decodePlan does before the first
// call of `visit`; returns the number of metres.
std::size_t forEachPlanPoint(std::string_view bytes,
                             const std::function<void(std::size_t metre, const PlanPoint& point)>& visit);

}  // namespace pack
