#include "compiler/reader_context.h"

namespace pack {

RouteOutcome readRouteSource(ReaderContext& ctx) {
  (void)ctx;
  return {};
}

}  // namespace pack
