// The proof of a decompile: compiles the written sources exactly as `scenario-tool compile` does, in
// memory, and names every cell, row and plan metre whose bytes come out different.
#pragma once

#include <string>
#include <vector>

#include "tool/decompile/decompile.h"

namespace pack {

// The names are code page 1252 bytes, as the table keeps them. The plan is compiled when `in` has one.
// Empty when the recompiled files are byte for byte those of `in`; at most a screenful of differences
// otherwise, the first ones first.
std::vector<DecompileMessage> recompileDifferences(const CompiledScenario& in, const std::string& scenarioName,
                                                   const std::string& trainNumber, const std::string& routeSource,
                                                   const std::string& trainRunSource);

}  // namespace pack
