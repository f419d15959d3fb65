// The gradient column of the track cells, filled from the route's gradient entries in reading order.
#pragma once

#include <cstdint>

#include "compiler/model.h"

namespace pack {

// The gradient column, filled from the gradient entries in reading order: each cell holds the gradient
// in force at its start plus 100, modulo 256.
class GradientFill {
 public:
  // The gradient in force so far is written up to the cell before the entry's one, and into at least
  // one cell; then the entry's gradient is in force.
  void record(Model& model, std::int32_t position, std::int32_t gradient);

  // The gradient in force runs on to cell cellCount - 3 (at least one more cell is written); the last
  // three cells keep 0.
  void complete(Model& model);

 private:
  void writeNextCell(Model& model);  // a cell beyond the track model is dropped

  std::int32_t nextCell_ = 0;
  std::int32_t current_ = 0;
};

}  // namespace pack
