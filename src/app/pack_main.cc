// scenario-pack: writes the embedded scenario's texts into the program's folder and compiles it, or the
// scenario appended to this program's file when scenario-tool pack made it.
#include "app/form1.h"
#include "output/pack_payload.h"

// scenario-tool pack finds this slot by its marker in a copy of the program and records there how many
// bytes it appended. Only this program defines it.
extern const volatile pack::PayloadSlot kPayloadSlot;
const volatile pack::PayloadSlot kPayloadSlot = pack::emptyPayloadSlot();

int main() {
  std::unique_ptr<pack::Platform> platform = pack::makeNativePlatform();
  return pack::runPack(*platform, pack::appendedLength(kPayloadSlot));
}
