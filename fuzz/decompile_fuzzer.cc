// Fuzz target: decompiling arbitrary bytes as the three compiled files, then compiling the sources it
// writes, must never crash. Input: an option byte (bit 0: a plan file follows the table), the byte
// counts of the track cell file and of the scenario table file (32-bit little-endian each), the two
// files, and the rest as the plan file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "output/compiled_decoders.h"
#include "tool/decompile/decompile.h"
#include "tool/decompile/decompile_check.h"

namespace {

constexpr std::size_t kMaxInput = 1024 * 1024;
constexpr std::size_t kHeader = 1 + 4 + 4;

std::uint32_t count(const std::uint8_t* at) {
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeader || size > kMaxInput) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data + kHeader), size - kHeader);
  std::size_t cellBytes = std::min<std::size_t>(count(data + 1), rest.size());
  std::size_t tableBytes = std::min<std::size_t>(count(data + 5), rest.size() - cellBytes);

  pack::CompiledScenario in;
  try {
    in.cells = pack::decodeTrackCells(rest.substr(0, cellBytes));
    in.table = pack::decodeScenarioTable(rest.substr(cellBytes, tableBytes));
  } catch (const pack::DecodeError&) {
    return 0;  // the tool refuses such files with the offset; nothing more to do
  }
  if ((data[0] & 1) != 0) {
    try {
      in.plan = pack::decodePlan(rest.substr(cellBytes + tableBytes));
    } catch (const pack::DecodeError&) {
      // The tool leaves a plan file it cannot read aside and goes on without curves.
    }
  }
  pack::DecompiledSources sources = pack::decompileScenario(in);
  pack::recompileDifferences(in, in.table[pack::kRowScenario].text, in.table[pack::kRowRun].text,
                             pack::renderSource(sources.route), pack::renderSource(sources.trainRun));
  return 0;
}
