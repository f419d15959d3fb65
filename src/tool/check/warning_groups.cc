#include "tool/check/warning_groups.h"

#include <algorithm>
#include <map>

namespace pack {
namespace {

constexpr std::size_t kLinesNamed = 8;

FindingSeverity severityOf(const LintWarning& w) {
  return w.id == FindingId{} ? FindingSeverity::kWarning : findingInfo(w.id).severity;
}

}  // namespace

std::vector<std::vector<const LintWarning*>> groupWarnings(const std::vector<LintWarning>& warnings) {
  std::vector<std::vector<const LintWarning*>> groups;
  std::map<FindingId, std::size_t> groupOfKind;
  for (const LintWarning& w : warnings) {
    if (w.id == FindingId{}) {
      groups.push_back({&w});
      continue;
    }
    auto [at, isNew] = groupOfKind.try_emplace(w.id, groups.size());
    if (isNew) groups.emplace_back();
    groups[at->second].push_back(&w);
  }
  // Where the compiler stops comes before what it reads otherwise than meant, and that before form.
  std::stable_sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
    return severityOf(*a.front()) < severityOf(*b.front());
  });
  return groups;
}

std::string groupSummaryText(const std::vector<const LintWarning*>& group) {
  std::string text = formatWarning(*group.front());
  if (group.size() == 1) return text;
  text += "\n  and " + std::to_string(group.size() - 1) + " more like it, at ";
  const std::string* file = nullptr;
  for (std::size_t i = 1; i < group.size() && i <= kLinesNamed; ++i) {
    const LintWarning& w = *group[i];
    bool sameFile = file != nullptr && *file == w.file;
    text += (i > 1 ? ", " : "") + (sameFile ? "" : w.file + ":") + std::to_string(w.line);
    file = &w.file;
  }
  if (group.size() - 1 > kLinesNamed) text += ", ...";
  return text + " (--all lists each one)";
}

}  // namespace pack
