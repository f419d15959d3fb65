#include "tool/lsp/text_positions.h"

#include <gtest/gtest.h>

namespace pack::lsp {
namespace {

// One place in an editor's text: the compiler's column (characters from 0) and what the protocol calls it
// in each encoding.
struct PlaceCase {
  const char* name;
  std::string text;  // UTF-8, as the editor sends it
  std::size_t line;
  std::size_t characters;
  std::size_t utf16;
  std::size_t utf8;
};

class Places : public testing::TestWithParam<PlaceCase> {};

TEST_P(Places, ColumnsAgreeInEveryEncoding) {
  const PlaceCase& c = GetParam();
  LineIndex lines(c.text);
  EXPECT_EQ(lines.toUnits(c.line, c.characters, PositionEncoding::kUtf16), c.utf16);
  EXPECT_EQ(lines.toUnits(c.line, c.characters, PositionEncoding::kUtf8), c.utf8);
  EXPECT_EQ(lines.toUnits(c.line, c.characters, PositionEncoding::kUtf32), c.characters);
  EXPECT_EQ(lines.toCharacters(c.line, c.utf16, PositionEncoding::kUtf16), c.characters);
  EXPECT_EQ(lines.toCharacters(c.line, c.utf8, PositionEncoding::kUtf8), c.characters);
}

INSTANTIATE_TEST_SUITE_P(
    Text, Places,
    testing::Values(
        PlaceCase{"plain", "segnale, 5450", 0, 9, 9, 9},
        PlaceCase{"accent", "stazione, 100, CITT\xc3\x80 ALTA, x", 0, 21, 21, 22},
        PlaceCase{"euro", "cartello_indicatore, 50, (\xe2\x82\xac 5), x", 0, 29, 29, 31},
        PlaceCase{"bare_lf", "[generale]\nvelocita, 0, 80", 1, 10, 10, 10},
        PlaceCase{"cr_lf", "[generale]\r\nvelocita, 0, 80", 1, 10, 10, 10},
        PlaceCase{"lone_cr", "[generale]\rvelocita, 0, 80", 1, 10, 10, 10},
        PlaceCase{"mixed_ends", "a\r\nb\nc\rd\xc3\xa9, 7", 3, 4, 4, 5},
        PlaceCase{"beyond_bmp", "-- \xf0\x9f\x9a\x86 nota, 1", 0, 5, 6, 8}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST(LineIndexTest, ColumnsPastTheLineEndAreHeldAtIt) {
  LineIndex lines("abc\r\nlonger");
  EXPECT_EQ(lines.toUnits(0, 10, PositionEncoding::kUtf16), 3u);
  EXPECT_EQ(lines.toCharacters(0, 10, PositionEncoding::kUtf16), 3u);
  EXPECT_EQ(lines.line(7), "");
}

TEST(LineIndexTest, APositionInsideACharacterCountsAsBeforeIt) {
  LineIndex lines("\xf0\x9f\x9a\x86x");
  EXPECT_EQ(lines.toCharacters(0, 1, PositionEncoding::kUtf16), 0u);  // between the two surrogates
  EXPECT_EQ(lines.toCharacters(0, 2, PositionEncoding::kUtf16), 1u);
}

// The editor's text as the compiler reads the saved file: one byte per character, CR LF after every line
// the editor ended, and the characters code page 1252 cannot hold named where they stand.
TEST(LineIndexTest, CompilerTextIsCodePage1252WithCrLf) {
  LineIndex lines("citt\xc3\xa0\n\xe2\x82\xac\r\n\xe2\x86\x92x\r\xf0\x9f\x9a\x86");
  CompilerText t = lines.compilerText();
  EXPECT_EQ(t.bytes, "citt\xe0\r\n\x80\r\n?x\r\n?");
  ASSERT_EQ(t.unencodable.size(), 2u);
  EXPECT_EQ(t.unencodable[0].line, 2u);
  EXPECT_EQ(t.unencodable[0].column, 0u);
  EXPECT_EQ(t.unencodable[0].codePoint, U'\u2192');
  EXPECT_EQ(t.unencodable[1].line, 3u);
  EXPECT_EQ(t.unencodable[1].codePoint, U'\U0001F686');
}

TEST(LineIndexTest, ATextEndingWithALineEndKeepsItsLastLineEnd) {
  EXPECT_EQ(LineIndex("a\nb\n").compilerText().bytes, "a\r\nb\r\n");
  EXPECT_EQ(LineIndex("").compilerText().bytes, "");
  EXPECT_EQ(LineIndex("a").lineCount(), 1u);
}

TEST(LineIndexTest, CompilerPositionsBecomeEditorPositions) {
  LineIndex lines("uno\r\nd\xc3\xa9, 5, \xf0\x9f\x9a\x86, 9");
  // The compiler counts lines and columns from 1; column 0 is the whole line.
  EXPECT_EQ(editorPosition(lines, 2, 5, PositionEncoding::kUtf16), (Position{1, 4}));
  EXPECT_EQ(editorPosition(lines, 2, 10, PositionEncoding::kUtf16), (Position{1, 10}));
  EXPECT_EQ(editorPosition(lines, 2, 0, PositionEncoding::kUtf16), (Position{1, 0}));
}

}  // namespace
}  // namespace pack::lsp
