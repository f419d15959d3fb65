#include "compiler/gradient_fill.h"

#include <cstddef>

#include "compiler/cell_codec.h"
#include "compiler/checked_math.h"

namespace pack {

void GradientFill::writeNextCell(Model& model) {
  if (nextCell_ <= model.cellCount) {
    model.trackCells[static_cast<std::size_t>(nextCell_)].gradient =
        codec::encodeGradient(current_);
    model.noteProfileCell(ProfileLane::kGradient, nextCell_);
  }
  nextCell_ = checkedAdd(nextCell_, 1);
}

void GradientFill::record(Model& model, std::int32_t position, std::int32_t gradient) {
  std::int32_t cell = cellOf(position);
  if (cell > 0) {
    do {
      writeNextCell(model);
    } while (nextCell_ < cell);
  }
  current_ = gradient;
  model.noteProfileValue(ProfileLane::kGradient);
}

void GradientFill::complete(Model& model) {
  do {
    writeNextCell(model);
  } while (nextCell_ < model.cellCount - 2);
}

}  // namespace pack
