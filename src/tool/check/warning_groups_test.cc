// The warnings grouped by finding, the kinds ranked, and one line of each kind with a count.
#include "tool/check/warning_groups.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(groupSummaryText(groups[1]), "r:3: warning: a\n  and 2 more like it, at r:7, t:2 (--all lists each one)");
  EXPECT_EQ(groupSummaryText(groups[2]), "r:5: warning: b");
}

TEST(GroupWarnings, ALongGroupNamesItsFirstLinesOnly) {
  std::vector<LintWarning> warnings;
  for (std::size_t line = 1; line <= 12; ++line) warnings.push_back({"r", line, "x", 0, {}, FindingId::kKeyUnknown});
  std::vector<std::vector<const LintWarning*>> groups = groupWarnings(warnings);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groupSummaryText(groups[0]),
            "r:1: warning: x\n  and 11 more like it, at r:2, 3, 4, 5, 6, 7, 8, 9, ... (--all lists each one)");
}

}  // namespace
}  // namespace pack
