#include "compiler/reader_context.h"

namespace pack {

void readTrainRunSource(ReaderContext& ctx, std::int32_t nextBoardRow) {
  (void)ctx;
  (void)nextBoardRow;
}

}  // namespace pack
