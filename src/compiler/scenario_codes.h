// The two identification codes, sums of the code page 1252 codes of the first 25 characters of the
// lower-cased train number and scenario name followed by a fixed filler.
#pragma once

#include <cstdint>

#include "compiler/model.h"

namespace pack {

// The weighted code (sum of k times the code of character k); leaves the code string in currentField.
std::int32_t codice_gara_st(Model& model);

// The plain code (sum of the codes); leaves the code string in currentField.
std::int32_t codice_gara_og(Model& model);

}  // namespace pack
