// Writes the model to the compiled scenario files.
#pragma once

#include <string>
#include <vector>

#include "compiler/compile.h"
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

// The compile door followed by the writing of its files into `outputFolder`, unless the compile stopped
// (report.fatal): the one sequence of the program and of every caller that wants the files.
CompileReport compileAndWrite(FileSystem& fs, const CompileRequest& request, const std::string& outputFolder,
                              Model& model);

}  // namespace pack
