#include "tool/describe/findings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace pack {
namespace {

// The ids and names are what editors and filters hold on to: each is given once, in the form L and three
// digits, and a name of lower-case words joined by dashes; every placeholder of a pattern is filled.
TEST(Findings, IdsAndNamesAreUniqueAndWellFormed) {
  std::set<std::string_view> codes, names;
  for (const FindingInfo& f : findingTable()) {
    EXPECT_TRUE(codes.insert(f.code).second) << f.code;
    EXPECT_TRUE(names.insert(f.name).second) << f.name;
    EXPECT_EQ(f.code.size(), 4u);
    EXPECT_EQ(f.code.substr(1), std::string(3 - std::to_string(static_cast<int>(f.id)).size(), '0') +
                                    std::to_string(static_cast<int>(f.id)));
    EXPECT_EQ(f.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-"), std::string_view::npos) << f.name;
    EXPECT_EQ(&findingInfo(f.id), &f);
    EXPECT_EQ(findFinding(f.code), &f);
    EXPECT_EQ(findFinding(f.name), &f);
    std::string filled = findingMessage(f.id, {"a", "b", "c", "d", "e", "f", "g", "h", "i"});
    EXPECT_EQ(filled.find('{'), std::string::npos) << f.code << ": " << filled;
  }
  EXPECT_EQ(findFinding("L999"), nullptr);
}

TEST(Findings, APatternIsFilledInOrder) {
  EXPECT_EQ(findingMessage(FindingId::kNotAscending, {"the gradient", "300 m", "400 m"}),
            "the gradient at 300 m does not follow the previous one at 400 m; list them in ascending order");
  EXPECT_EQ(findingMessage(FindingId::kKeyCase, {"\"X\"", "\"x\""}),
            "\"X\" is not recognised: the words of \"x\" are looked for in lower case only; write it \"x\"");
}

}  // namespace
}  // namespace pack
