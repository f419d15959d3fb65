// The warnings grouped by finding, the kinds ranked, and one line of each kind with a count.
#include "tool/check/warning_groups.h"

#include <gtest/gtest.h>

#include "tool/check/verdict.h"

namespace pack {
namespace {

TEST(GroupWarnings, OneGroupPerFindingWhereItsFirstStands) {
  std::vector<LintWarning> warnings = {
      {"r", 3, "a", 0, {}, FindingId::kPositionBeyondRoute}, {"r", 5, "b", 0, {}, FindingId::kValueOutOfRange},
      {"r", 7, "c", 0, {}, FindingId::kPositionBeyondRoute}, {"t", 2, "d", 0, {}, FindingId::kPositionBeyondRoute},
      {"t", 4, "e", 0, {}, FindingId{}},                     {"t", 6, "f", 0, {}, FindingId{}},
      {"t", 8, "g", 0, {}, FindingId::kValueEmpty},           {"t", 9, "h", 0, {}, FindingId::kUnreadableValue},
  };
  std::vector<std::vector<const LintWarning*>> groups = groupWarnings(warnings);
  ASSERT_EQ(groups.size(), 6u);
  EXPECT_EQ(groups[0].front()->message, "h") << "where the compiler stops comes first";
  EXPECT_EQ(groups[1].size(), 3u);
  EXPECT_EQ(groups[2].size(), 1u);
  EXPECT_EQ(groups[3].size(), 1u) << "a warning of no finding is a kind of its own";
  EXPECT_EQ(groups[5].front()->message, "g") << "form comes last";
}

std::vector<VerdictFinding> warningsAt(std::string_view file, std::initializer_list<std::size_t> lines) {
  std::vector<VerdictFinding> all;
  for (std::size_t line : lines) all.push_back({std::string(file), line, 0, VerdictSeverity::kWarning, "L015", "x"});
  return all;
}

TEST(KindSummary, NamesTheOtherLinesAndWhatWasOnlyCounted) {
  std::vector<VerdictFinding> findings = warningsAt("r", {3, 7});
  findings.push_back({"t", 2, 0, VerdictSeverity::kWarning, "L015", "x"});
  std::vector<const VerdictFinding*> kind;
  for (const VerdictFinding& f : findings) kind.push_back(&f);
  EXPECT_EQ(kindSummaryText(kind, 0), "r:3: warning: x\n  and 2 more like it, at r:7, t:2 (--all lists each one)");
  EXPECT_EQ(kindSummaryText({kind[0]}, 0), "r:3: warning: x");
  EXPECT_EQ(kindSummaryText({kind[0]}, 5), "r:3: warning: x\n  and 5 more like it (5 of them only counted)");
  EXPECT_EQ(kindSummaryText(kind, 5), "r:3: warning: x\n  and 7 more like it, at r:7, t:2 (5 of them only counted)");
}

TEST(KindSummary, ALongKindNamesItsFirstLinesOnly) {
  std::vector<VerdictFinding> findings = warningsAt("r", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  std::vector<const VerdictFinding*> kind;
  for (const VerdictFinding& f : findings) kind.push_back(&f);
  EXPECT_EQ(kindSummaryText(kind, 0),
            "r:1: warning: x\n  and 11 more like it, at r:2, 3, 4, 5, 6, 7, 8, 9, ... (--all lists each one)");
}

}  // namespace
}  // namespace pack
