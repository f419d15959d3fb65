// Writes the model to the compiled scenario files.
#pragma once

#include <string>
#include <vector>

#include "compiler/model.h"
#include "output/binary_writer.h"
#include "platform/platform.h"

namespace pack {

void encodeTrackCells(const Model& model, BinaryWriter& out);
void encodeScenarioTable(const Model& model, BinaryWriter& out);
void encodePlan(const Model& model, BinaryWriter& out);

// Writes the plan file (only when buildPlan is nonzero), then the scenario table file, then the track
// cell file, into `folder`; none replaces its older version before all three are complete. Returns the
// file names written, in that order.
std::vector<std::string> writeCompiledFiles(const Model& model, FileSystem& fs, const std::string& folder);

}  // namespace pack
