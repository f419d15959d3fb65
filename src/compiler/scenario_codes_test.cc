#include "compiler/scenario_codes.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace pack {
namespace {

struct CodeCase {
  const char* what;
  std::string trainNumber;   // row 86 text, code page 1252 bytes
  std::string scenarioName;  // row 85 text
  std::int32_t plain;
  std::int32_t weighted;
};

Model modelNamed(const std::string& trainNumber, const std::string& scenarioName) {
  Model model;
  model.scenarioTable[kRowRun].text = trainNumber;
  model.scenarioTable[kRowScenario].text = scenarioName;
  return model;
}

void PrintTo(const CodeCase& c, std::ostream* os) { *os << c.what; }

class ScenarioCodes : public testing::TestWithParam<CodeCase> {};

TEST_P(ScenarioCodes, SumTheFirst25CharactersOfTheLowerCasedNamesAndFiller) {
  const CodeCase& c = GetParam();
  Model model = modelNamed(c.trainNumber, c.scenarioName);
  EXPECT_EQ(codice_gara_og(model), c.plain);
  EXPECT_EQ(codice_gara_st(model), c.weighted);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ScenarioCodes,
    testing::Values(
        // The two names together are exactly 25 characters: no filler character counts.
        CodeCase{"StoredScenario", "517", "Borgorosso_MontegranoC", 2536, 34655},
        CodeCase{"ThreeLetters", "abc", "", 2546, 33756},
        CodeCase{"SplitAcrossTheTwoTexts", "a", "bc", 2546, 33756},
        // The train number comes first: the same letters the other way round weigh differently.
        CodeCase{"TrainNumberFirst", "c", "ab", 2546, 33753},
        CodeCase{"EmptyNamesGiveTheFillerAlone", "", "", 2583, 34355},
        CodeCase{"CapitalsCountAsLowerCase", "ABC", "", 2546, 33756},
        CodeCase{"CharactersAfterThe25thDoNotCount", "517", "Borgorosso_MontegranoCxyz", 2536, 34655},
        CodeCase{"ThirtyLetters", "", std::string(30, 'Z'), 3050, 39650},
        // Accented capitals lower-case within the code page: I grave 0xCC becomes 0xEC (236).
        CodeCase{"AccentedCapital", "\xCC", "", 2708, 34288},
        CodeCase{"AccentedLowerCase", "\xEC", "", 2708, 34288},
        CodeCase{"CaronAndGraveCapitals", "\x8A\xC0", "", 2740, 34266},
        // A character the code page cannot hold entered the model as '?' and counts as 63.
        CodeCase{"ReplacementCharacter", "?", "", 2535, 34115}),
    [](const testing::TestParamInfo<CodeCase>& info) { return std::string(info.param.what); });

TEST(ScenarioCodeString, BothCodesLeaveTheCodeStringInCurrentField) {
  const std::string expected = "517borgorosso_montegranocaabbccddeeffgghhiillmmnnoo";
  Model model = modelNamed("517", "Borgorosso_MontegranoC");
  model.currentField = "left by the reader";
  codice_gara_st(model);
  EXPECT_EQ(model.currentField, expected);
  model.currentField = "something else";
  codice_gara_og(model);
  EXPECT_EQ(model.currentField, expected);
}

TEST(ScenarioCodeString, TheNamesThemselvesAreLeftAsTheyWere) {
  Model model = modelNamed("ABC", "Xyz");
  codice_gara_st(model);
  codice_gara_og(model);
  EXPECT_EQ(model.scenarioTable[kRowRun].text, "ABC");
  EXPECT_EQ(model.scenarioTable[kRowScenario].text, "Xyz");
  EXPECT_EQ(model.currentField, "abcxyzaabbccddeeffgghhiillmmnnoo");
}

}  // namespace
}  // namespace pack
