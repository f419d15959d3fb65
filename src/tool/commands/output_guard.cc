#include "tool/commands/output_guard.h"

namespace pack {

std::optional<std::string> outputProblem(FileSystem& fs, const std::string& output,
                                         const std::vector<std::string>& inputs, std::string_view kindMark) {
  std::optional<FileIdentity> target = fs.identity(output);
  for (const std::string& input : inputs) {
    std::optional<FileIdentity> source = fs.identity(input);
    bool same = target && source ? target->sameFile(*source) : output == input;
    if (same) return output + " is " + input + ", which this command reads; nothing was written";
  }
  if (kindMark.empty() || !fs.exists(output)) return std::nullopt;
  std::string head = fs.read(output).substr(0, 4096);
  if (head.find(kindMark) == std::string::npos) {
    return output + " exists and is not a file this command writes; it was kept and nothing was written";
  }
  return std::nullopt;
}

}  // namespace pack
