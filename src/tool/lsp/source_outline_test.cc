#include "tool/lsp/source_outline.h"

#include <gtest/gtest.h>

namespace pack::lsp {
namespace {

TEST(SourceOutlineTest, RouteLinesKnowTheirPartAndEntry) {
  std::vector<SourceLine> lines = outlineSource(
      "note\r\n[generale]\r\nlunghezza percorso,  3000\r\n-- nota, pendenza\r\n[curve]\r\npendenza,  350,   5\r\n",
      SourceRole::kRoute);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].part, SourcePart::kBeforeStart);
  EXPECT_EQ(lines[0].entry, nullptr);
  EXPECT_TRUE(lines[1].header);
  EXPECT_EQ(lines[2].part, SourcePart::kGeneral);
  ASSERT_NE(lines[2].entry, nullptr);
  EXPECT_EQ(lines[2].entry->writtenKey, "lunghezza percorso");
  EXPECT_TRUE(lines[3].comment);
  EXPECT_EQ(lines[3].entry, nullptr);
  EXPECT_EQ(lines[5].part, SourcePart::kFeatures);
  ASSERT_NE(lines[5].entry, nullptr);
  ASSERT_EQ(lines[5].values.size(), 2u);
  EXPECT_EQ(lines[5].values[0].text, "350");
  EXPECT_EQ(lines[5].values[0].begin, 11u);
  EXPECT_EQ(lines[5].values[1].text, "5");
  EXPECT_EQ(lines[5].values[1].end, 19u);
}

// Numbers end at a blank, as the reader reads them: the clock's three values need no comma.
TEST(SourceOutlineTest, NumbersEndAtBlanksAndTextsAtTheComma) {
  std::vector<SourceLine> lines = outlineSource(
      "[generale]\r\norologio,    16   56  0 \r\n"
      "stazione,  0, 12, 600, 1, 0, 0, 4,1,0, 2,1,1, 1, 16,57, 0, PIAN DI SOTTO",
      SourceRole::kTrainRun);
  ASSERT_EQ(lines[1].values.size(), 3u);
  EXPECT_EQ(lines[1].values[1].text, "56");
  EXPECT_EQ(lines[1].values[2].text, "0");
  ASSERT_EQ(lines[2].values.size(), 17u);
  EXPECT_EQ(lines[2].values[16].text, "PIAN DI SOTTO");
}

TEST(SourceOutlineTest, TheValueUnderAColumn) {
  std::vector<SourceLine> lines = outlineSource("[generale]\r\nstazione, 100, 1, ", SourceRole::kTrainRun);
  const SourceLine& line = lines[1];
  ASSERT_EQ(line.values.size(), 2u);
  EXPECT_EQ(valueAt(line, 10), 0u);   // in " 100"
  EXPECT_EQ(valueAt(line, 15), 1u);   // in " 1"
  EXPECT_EQ(valueAt(line, 18), 2u);   // after the last comma: the third value, not written yet
}

}  // namespace
}  // namespace pack::lsp
