// scenario-pack: writes the embedded scenario's texts into the program's folder and compiles it.
#include "app/form1.h"

int main() {
  std::unique_ptr<pack::Platform> platform = pack::makeNativePlatform();
  return pack::runPack(*platform);
}
