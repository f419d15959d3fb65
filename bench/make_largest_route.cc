// Writes the generated scenario on the longest line into a folder, under the names scenario-tool
// compile reads: make_largest_route DIR [SCENARIO [TRAIN]].
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/largest_route.h"

namespace {

bool writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) std::fprintf(stderr, "make_largest_route: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: make_largest_route DIR [SCENARIO [TRAIN]]\n");
    return 64;
  }
  std::string dir = argv[1];
  std::string scenario = argc > 2 ? argv[2] : "Lunga_Linea";
  std::string train = argc > 3 ? argv[3] : "1";
  bool ok = writeText(dir + "/" + scenario + "_linea.txt", pack::bench::largestRouteSource()) &&
            writeText(dir + "/" + scenario + "_" + train + "-.txt", pack::bench::largestTrainRunSource());
  return ok ? 0 : 74;
}
