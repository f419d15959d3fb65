#include "tool/check/warning_groups.h"

#include <algorithm>
#include <map>

#include "tool/check/verdict.h"

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

std::string kindSummaryText(const std::vector<const VerdictFinding*>& kind, std::size_t omitted) {
  std::string text = findingText(*kind.front());
  const std::size_t more = kind.size() - 1 + omitted;
  if (more == 0) return text;
  text += "\n  and " + std::to_string(more) + " more like it";
  if (kind.size() > 1) {
    text += ", at ";
    const std::string* file = nullptr;
    for (std::size_t i = 1; i < kind.size() && i <= kLinesNamed; ++i) {
      const VerdictFinding& f = *kind[i];
      bool sameFile = file != nullptr && *file == f.file;
      text += (i > 1 ? ", " : "") + (sameFile ? "" : f.file + ":") + std::to_string(f.line);
      file = &f.file;
    }
    if (more > kLinesNamed) text += ", ...";
  }
  return text + (omitted > 0 ? " (" + std::to_string(omitted) + " of them only counted)" : " (--all lists each one)");
}

}  // namespace pack
