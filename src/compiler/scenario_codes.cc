#include "compiler/scenario_codes.h"

namespace pack {

std::int32_t codice_gara_st(Model& model) {
  (void)model;
  return 0;
}

std::int32_t codice_gara_og(Model& model) {
  (void)model;
  return 0;
}

}  // namespace pack
