// The gradient column, through whole readings of route sources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/error_codes.h"
#include "compiler/route_test_support.h"
#include "compiler/runtime_failure.h"

namespace pack {
namespace {

using namespace route_test;

TEST(RouteReaderGradients, FillIndexAndAtLeastOnceWrites) {
  struct Case {
    const char* what;
    std::vector<std::string> features;
    std::vector<CellRun> cells;
  } cases[] = {
      {"no gradient", {}, {{0, 197, 100}, {198, 200, 0}}},
      {"stored route's first rows", {"pendenza,  0,   -1", "pendenza,  300,   0"}, {{0, 5, 99}, {6, 197, 100}}},
      {"-21 and +24", {"pendenza, 0, -21", "pendenza, 50, 24"}, {{0, 0, 79}, {1, 197, 124}}},
      {"25 m rounds to cell 0: no write", {"pendenza, 25, 7", "pendenza, 100, 3"}, {{0, 1, 107}, {2, 197, 103}}},
      {"75 m rounds to cell 2", {"pendenza, 75, 7"}, {{0, 1, 100}, {2, 197, 107}}},
      {"same position twice writes one cell", {"pendenza, 100, 5", "pendenza, 100, 8"},
       {{0, 1, 100}, {2, 2, 105}, {3, 197, 108}}},
      {"same position 0 twice", {"pendenza, 0, 5", "pendenza, 0, 8"}, {{0, 197, 108}}},
      {"a position behind the fill", {"pendenza, 500, 5", "pendenza, 200, 8"},
       {{0, 9, 100}, {10, 10, 105}, {11, 197, 108}}},
      {"modulo 256", {"pendenza, 0, -101"}, {{0, 197, 255}}},
      {"modulo 256 of the largest value", {"pendenza, 0, 2147483647"}, {{0, 197, 99}}},
      {"last accepted position: one more cell at the end", {"pendenza, 9900, 1"},
       {{0, 197, 100}, {198, 198, 101}, {199, 200, 0}}},
      {"writes past the last cell are dropped",
       {"pendenza, 9900, 1", "pendenza, 9900, 2", "pendenza, 9900, 3", "pendenza, 9900, 4", "pendenza, 9900, 5"},
       {{0, 197, 100}, {198, 198, 101}, {199, 199, 102}, {200, 200, 103}}},
  };
  for (const Case& c : cases) {
    Compile run(route(c.features));
    EXPECT_EQ(run.model.errorCode, 0) << c.what;
    expectGradients(run, c.cells, c.what);
  }
}

}  // namespace
}  // namespace pack
