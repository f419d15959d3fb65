#include "formats/route_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pack {
namespace {

// The written keys of the entries that a key field is handed to, in testing order.
std::vector<std::string> matchingEntries(std::span<const EntryDefinition* const> entries,
                                         std::string_view keyField) {
  std::vector<std::string> names;
  for (const EntryDefinition* entry : entries) {
    if (entry->matches(keyField)) names.emplace_back(entry->writtenKey);
  }
  return names;
}

TEST(RouteFormat, GeneralKeysFollowTheirCaseRule) {
  using Names = std::vector<std::string>;
  struct Case {
    std::string_view keyField;
    Names entries;
  } cases[] = {
      {"lunghezza percorso", {"lunghezza percorso"}},
      {"LUNGHEZZA PERCORSO", {"lunghezza percorso"}},
      {"la Lunghezza del Percorso", {"lunghezza percorso"}},
      {"lunghezza", {}},
      {"progressiva chilometrica uno", {"progressiva chilometrica uno"}},
      {"PROGRESSIVA CHILOMETRICA UNO", {}},
      {"Progressiva chilometrica due", {}},
      {"progressiva tre", {"progressiva chilometrica tre"}},
      {"sfondo uno", {"sfondo uno"}},
      {"sfondo Uno", {}},
      {"sfondo uno tre", {"sfondo uno", "sfondo tre"}},
      {"ripetizione segnali 9 codici", {"ripetizione segnali 4 codici"}},
      {"Ripetizione segnali 4 codici", {}},
      {"pendenza", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(matchingEntries(routeGeneralEntries(), c.keyField), c.entries) << c.keyField;
  }
}

TEST(RouteFormat, FeatureKeysIgnoreCase) {
  using Names = std::vector<std::string>;
  struct Case {
    std::string_view keyField;
    Names entries;
  } cases[] = {
      {"pendenza", {"pendenza"}},
      {"PENDENZA", {"pendenza"}},
      {"curvaS3", {"curvad5"}},
      {"CURVAD", {"curvad5"}},
      {"montagna", {"montagna"}},
      {"indicatori_vmax", {"indicatori_vmax"}},
      {"Indicatori_V", {"indicatori_vmax"}},
      {"indicatori vmax", {}},
      {"cartello_indicatore", {"cartello_indicatore"}},
      {"CARTELLO INDICATORE", {"cartello_indicatore"}},
      {"cartello", {}},
      {"pendenza in montagna", {"pendenza", "montagna"}},
      {"[curve]", {}}, {"[pendenze]", {}}, {"[montagne]", {}}, {"[cartelli]", {}}, {"[indicazioni]", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(matchingEntries(routeFeatureEntries(), c.keyField), c.entries) << c.keyField;
  }
}

TEST(RouteFormat, EntriesStateTheirValueCounts) {
  EXPECT_EQ(kRouteLengthEntry.valueCount(), 1u);
  EXPECT_EQ(kKilometreUnoEntry.valueCount(), 3u);
  EXPECT_EQ(kBackgroundDueEntry.valueCount(), 1u);
  EXPECT_EQ(kSignalRepetitionEntry.valueCount(), 2u);
  EXPECT_EQ(kGradientEntry.valueCount(), 2u);
  EXPECT_EQ(kCurveEntry.valueCount(), 2u);
  EXPECT_EQ(kMountainEntry.valueCount(), 3u);
  EXPECT_EQ(kSpeedBoardEntry.valueCount(), 9u);
  ASSERT_EQ(kTextBoardEntry.valueCount(), 2u);
  EXPECT_EQ(kTextBoardEntry.values[1], ValueWidth::kText);
}

TEST(RouteFormat, CurveKeysCarryTheirSide) {
  struct Case {
    std::string_view key;
    bool left;
  } cases[] = {
      {"curvad1", false}, {"curvaS3", true}, {"curvas4", true}, {"curvad", false}, {"CURVA SINISTRA 5", true},
  };
  for (const Case& c : cases) EXPECT_EQ(curveTurnsLeft(c.key), c.left) << c.key;
}

TEST(RouteFormat, RepetitionKeysNameTheirCodeCount) {
  EXPECT_EQ(repetitionCodeCount("ripetizione segnali 4 codici"), 4);
  EXPECT_EQ(repetitionCodeCount("ripetizione segnali 9 codici"), 9);
  EXPECT_EQ(repetitionCodeCount("ripetizione segnali 49 codici"), 4);
  EXPECT_EQ(repetitionCodeCount("ripetizione segnali 94 codici"), 4);
  EXPECT_EQ(repetitionCodeCount("ripetizione segnali"), std::nullopt);
}

TEST(RouteFormat, CommentsAndTheEndOfTheGeneralPart) {
  struct Case {
    std::string_view field;
    bool comment;
    bool endsGeneral;
  } cases[] = {
      {"[curve]", false, true},
      {"[x", false, false},
      {"]x[", false, true},
      {"------", true, false},
      {"-[curve]-", true, false},
      {"   -[curve]", true, false},
      {"[curve]-", true, true},
      {"lunghezza percorso", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isCommentField(c.field), c.comment) << c.field;
    EXPECT_EQ(endsGeneralPart(c.field), c.endsGeneral) << c.field;
  }
}

}  // namespace
}  // namespace pack
