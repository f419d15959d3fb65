// Fuzz target: the whole compile from memory. The input is an option byte (bit 0: build the plan; bit 1:
// no route source), then the route source, a NUL byte, and the train run source (no train run source
// when there is no NUL). Both go through the one compile entry point (reading, completion, reserved-slot
// checks, codes) and the real encoders, which write into an in-memory file system.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "output/compiled_files.h"
#include "formats/file_names.h"
#include "platform/fake_platform.h"
#include "writers/embedded_tables.h"

namespace {

constexpr std::size_t kMaxInput = 64 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > kMaxInput) return 0;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t split = input.find('\0');

  pack::FakePlatform platform;
  const pack::CompileRequest request{std::string(pack::kScenarioName), std::string(pack::kTrainNumber),
                                     platform.folder, (data[0] & 1) != 0, true};
  pack::ScenarioNames names{request.scenarioName, request.trainNumber};
  std::string routePath = platform.join(platform.folder, pack::routeSourceName(names));
  std::string trainPath = platform.join(platform.folder, pack::trainRunSourceName(names));
  if ((data[0] & 2) == 0) platform.fs.files[routePath] = std::string(input.substr(0, split));
  if (split != std::string_view::npos) platform.fs.files[trainPath] = std::string(input.substr(split + 1));

  pack::Model model;
  const pack::CompileReport report = pack::compileAndWrite(platform, request, platform.folder, model);
  if (report.fatal != 0) {
    // The compile's fatal stop: nothing compiled may have been written.
    if (!report.written.empty()) __builtin_trap();
    for (const auto& [path, content] : platform.fs.files) {
      if (path.size() > 4 && (path.ends_with(".dat") || path.ends_with(".sim"))) __builtin_trap();
    }
  }
  return 0;
}
