#include "formats/cp1252.h"

#include <gtest/gtest.h>

namespace pack {
namespace {

TEST(Cp1252, AccentedLettersOfTheStoredTextsAreSingleBytes) {
  EXPECT_EQ(utf8ToCp1252("ìèàòù°"), "\xEC\xE8\xE0\xF2\xF9\xB0");
  EXPECT_EQ(utf8ToCp1252("Validità"), "Validit\xE0");
  EXPECT_EQ(utf8ToCp1252("€Šœ"), "\x80\x8A\x9C");
}

TEST(Cp1252, UnrepresentableAndMalformedBecomeTheReplacement) {
  EXPECT_EQ(utf8ToCp1252("a\xE2\x82\xBF"  // U+20BF, not in the code page
                         "b"),
            "a?b");
  EXPECT_EQ(utf8ToCp1252("\xFF"), "?");
  EXPECT_EQ(utf8ToCp1252("\xC3"), "?");  // cut short
  EXPECT_EQ(utf8ToCp1252("\xC0\xAF"), "?");  // overlong
  EXPECT_FALSE(utf8ToCp1252Exact("\xE4\xB8\xAD").has_value());
  EXPECT_EQ(utf8ToCp1252Exact("perché").value(), "perch\xE9");
}

TEST(Cp1252, RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(utf8ToCp1252Exact(cp1252ToUtf8(all)).value(), all);
}

TEST(Cp1252, LowerCaseCoversAccentedCapitals) {
  EXPECT_EQ(cp1252ToLower("Borgorosso_MontegranoC"), "borgorosso_montegranoc");
  EXPECT_EQ(cp1252ToLower("\xC8\xD7\xDE\x8A\x9F"), "\xE8\xD7\xFE\x9A\xFF");  // È × Þ Š Ÿ
  EXPECT_EQ(cp1252ToLower("\xDF"), "\xDF");  // ß has no capital here
}

TEST(Cp1252, SubstringTests) {
  EXPECT_TRUE(containsIgnoreCase("LUNGHEZZA PERCORSO", "lunghezza"));
  EXPECT_TRUE(containsIgnoreCase("Velocit\xC0", "velocit\xE0"));
  EXPECT_FALSE(contains("PROGRESSIVA CHILOMETRICA UNO", "progressiva"));
  EXPECT_TRUE(containsIgnoreCase("x", ""));
  EXPECT_FALSE(containsIgnoreCase("", "x"));
}

}  // namespace
}  // namespace pack
