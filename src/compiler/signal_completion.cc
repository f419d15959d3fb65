#include "compiler/signal_completion.h"

namespace pack {

void completeSignalCodes(Model& model) { (void)model; }

std::int32_t checkReservedSlots(Model& model) {
  (void)model;
  return 0;
}

}  // namespace pack
