// The lint on edits of the embedded sources: each snippet gives its message at its line and column, and
// the lint reads fields as the compiler does.
#include "tool/check/source_lint.h"

#include <gtest/gtest.h>

#include <random>

#include "tool/check/source_form.h"
#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

struct Sources {
  std::string route;
  std::string train;
};

const Sources& packSources() {
  static const Sources sources = [] {
    std::map<std::string, std::string> texts = tool_testing::embeddedTexts();
    return Sources{texts.at("Borgorosso_MontegranoC_linea.txt"), texts.at("Borgorosso_MontegranoC_517-.txt")};
  }();
  return sources;
}

std::string edited(std::string bytes, std::string_view from, std::string_view to) {
  std::size_t at = bytes.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  EXPECT_EQ(bytes.find(from, at + 1), std::string::npos) << "not unique: " << from;
  return at == std::string::npos ? bytes : bytes.replace(at, from.size(), to);
}

std::string listed(const std::vector<LintWarning>& warnings) {
  std::string text;
  for (const LintWarning& w : warnings) text += formatWarning(w) + "\n";
  return text;
}

enum class Source { kRoute, kTrain };

std::vector<LintWarning> lint(Source source, const std::string& bytes) {
  if (source == Source::kRoute) return lintRouteSource(bytes, "R", true);
  return lintTrainRunSource(bytes, "T", RouteFacts{32850});
}

TEST(SourceLint, ThePacksOwnSourcesRaiseNothing) {
  EXPECT_EQ(listed(lint(Source::kRoute, packSources().route)), "");
  EXPECT_EQ(listed(lint(Source::kTrain, packSources().train)), "");
  EXPECT_EQ(listed(lintRouteSource(packSources().route, "R", false)), "") << "without the plan curves are not read";
}

// One edit, one warning: "FILE:LINE:COLUMN: warning: " followed by the start of the message.
TEST(SourceLint, WhatTheCompilerAcceptsSilentlyIsNamed) {
  struct Case {
    Source source;
    const char* from;
    const char* to;
    std::string expected;
  } cases[] = {
      // Values continued on the next line are values, not keys.
      {Source::kTrain, "segnale,    5450,   1,", "segnale,    5450\r\n   1,",
       "T:41:1: warning: \"segnale\" takes 11 values, the line has 1 (the rest are taken from the next line)"},
      {Source::kTrain, "aderenza,     400,    70", "aderenza,     400,    ",
       "T:8:23: warning: value 2 of \"aderenza\": adhesion, % is empty and is read as 0"},
      {Source::kRoute, "pendenza,  900,   24", "pendenza,  900,",
       "R:103:16: warning: value 2 of \"pendenza\": gradient, per mille is empty and is read as 0"},
      {Source::kRoute, "pendenza,  900,   24", "pendenza,  900,   240",
       "R:103:19: warning: value 2 of \"pendenza\": gradient, per mille is 240, outside -100 to 155"},
      {Source::kTrain, "velocita,   22550,    60", "velocita,   22550,    650",
       "T:33:23: warning: value 2 of \"velocita\": speed limit, km/h is 650, outside 0 to 300"},
      // Values kept in fewer bits or steps than written say what the simulator sees.
      {Source::kRoute, "pendenza,  900,   24", "pendenza,  900,   180",
       "R:103:19: warning: value 2 of \"pendenza\": gradient, per mille is 180, outside -100 to 155: 180 per mille is "
       "stored as -76 per mille, a descent"},
      {Source::kRoute, "pendenza,  900,   24", "pendenza,  900,   -120",
       "-120 per mille is stored as 136 per mille, a climb"},
      {Source::kTrain, "velocita,   22550,    60", "velocita,   22550,    62",
       "T:33:23: warning: value 2 of \"velocita\": speed limit, km/h: 62 km/h is stored as 60 km/h (speeds are kept "
       "in steps of 5 km/h)"},
      {Source::kTrain, "aderenza,   28300,   100", "aderenza,   28300,   300",
       "300 % is stored as 44 %"},
      {Source::kRoute, "montagna,   3050,  3100,  2", "montagna,   3050,  3100,  3",
       "R:185:27: warning: scenery type 3 is none of 1, 2, 11 or 12 (the compile gives type 3 itself to a stretch "
       "starting within 150 m of the previous one's end)"},
      {Source::kTrain, "aderenza,   28300,   100", "aderenza,   28300,   170",
       "T:28:22: warning: value 2 of \"aderenza\": adhesion, % is 170, outside 1 to 100"},
      {Source::kTrain, "orologio,    16 ", "orologio,    26 ",
       "T:5:14: warning: value 1 of \"orologio\": hours, h is 26, outside 0 to 23"},
      {Source::kTrain, "numero vetture,    8", "numero vetture,    80",
       "T:2:20: warning: value 1 of \"numero vetture\": coaches is 80, outside 1 to 20"},
      {Source::kTrain, "stazione,    9750, 22,", "stazione,    9750, 99,",
       "T:36:20: warning: value 2 of \"stazione\": type is 99, outside 0 to 24"},
      {Source::kTrain, "stazione,    9750, 22,", "stazione,    9750, 99,",
       "T:36:20: warning: station type 99 is only recorded in the table: the train gets no stop point there"},
      {Source::kTrain, "segnale,    5450,", "segnale,     300,",
       "T:41:14: warning: value 1 of \"segnale\": position (posizione), m is 300, below the least it may be, 350"},
      {Source::kTrain, "segnale,   27950,", "segnale,   33950,",
       "T:48:12: warning: value 1 of \"segnale\": position (posizione), m is 33950 m, beyond the end of the route at "
       "32850 m"},
      {Source::kRoute, "cartello_indicatore,  28250,", "cartello_indicatore,  33250,",
       "R:221:23: warning: value 1 of \"cartello_indicatore\": position, m is 33250 m, beyond the end of the route"},
      {Source::kTrain, "17,27, 0, MONTEGRANO C.", "16,27, 0, MONTEGRANO C.",
       "T:38:63: warning: the time 16:27:00 at \"MONTEGRANO C.\" is earlier than 16:57:00 at the station before it, "
       "\"BORGOROSSO\""},
      {Source::kTrain, "1,  16,57, 0, BORGOROSSO", "1,  15,57, 0, BORGOROSSO",
       "T:35:63: warning: the time 15:57:00 at \"BORGOROSSO\" is earlier than the clock at the start of the run, "
       "16:56:00"},
      {Source::kTrain, "1,  16,57, 0, BORGOROSSO", "1,   9, 7, 5, BORGOROSSO",
       "T:35:64: warning: the time 9:07:05 at \"BORGOROSSO\" is earlier than the clock at the start of the run, "
       "16:56:00"},
      {Source::kRoute, "montagna,   3050,  3100,  2", "montagna,   3050,  3000,  2",
       "R:185:1: warning: the mountain stretch ends at 3000 m, not after its start at 3050 m"},
      {Source::kRoute, "montagna,   17400,", "montagna,   17300,",
       "R:187:1: warning: the mountain stretch starting at 17300 m overlaps the previous one, which ends at 17350 m"},
      {Source::kRoute, "montagna,   3050,  3100,  2", "montagna,   3050,  3100,  5",
       "R:185:27: warning: scenery type 5 is none of 1, 2, 11 or 12"},
      // A curve's values are named with the key its line holds, whatever the entry's usual key.
      {Source::kRoute, "curvas4,  700,  500", "curvas4,  700,  0",
       "R:12:17: warning: value 2 of \"curvas4\": length, m is 0, below the least it may be, 1"},
      {Source::kRoute, "curvas4,  700,  500", "curvas4,  700,",
       "R:12:15: warning: value 2 of \"curvas4\": length, m is empty and is read as 0"},
      {Source::kRoute, "curvad5,  400,  200", "curvax5,  400,  200",
       "R:11:1: warning: \"curvax5\": no side letter d or s; compiled as a right-hand curve of class 5; did you mean "
       "\"curvad5\"?"},
      {Source::kRoute, "curvad5,  400,  200", "curvaturad5,  400,  200",
       "R:11:1: warning: \"curvaturad5\": not written as curvad or curvas and a class digit; compiled as a right-hand "
       "curve of class 5; did you mean \"curvad5\"?"},
      {Source::kTrain, "PIAN DI SPINAROLA", "PIAN, DI SPINAROLA",
       "T:37:73: warning: the text \"PIAN\" (value 17 of \"stazione\": name) ends at a comma: the rest of the line, "
       "\"DI SPINAROLA\", is read as a key field"},
      {Source::kRoute, "(Sottovia)", "(Sotto,via)", "R:198:31: warning: the text \"(Sotto\" (value 2 of"},
      {Source::kTrain, "sabbia,    180", "sabbie,    180",
       "T:4:1: warning: \"sabbie\" matches no entry and is ignored; did you mean \"sabbia\"?"},
      {Source::kRoute, "pendenza,  1250,   8", "pendenze,  1250,   8",
       "R:104:1: warning: \"pendenze\" matches no entry and is ignored; did you mean \"pendenza\"?"},
      {Source::kRoute, "progressiva chilometrica uno", "PROGRESSIVA CHILOMETRICA UNO",
       "R:3:1: warning: \"PROGRESSIVA CHILOMETRICA UNO\" is not recognised: the words of \"progressiva chilometrica "
       "uno\" are looked for in lower case only"},
      {Source::kTrain, "[segnali]", "[segnale]",
       "T:40:1: warning: \"[segnale]\" looks like a section header but holds the words of \"segnale\""},
      {Source::kTrain, "velocita,   22550,    60", "velocita,   22550,    60, 5",
       "T:33:1: warning: \"velocita\" takes 2 values, the line has 3 (the extra fields are read as keys)"},
      {Source::kTrain, "[fine]\r\n", "sabbia",
       "T:50:1: warning: \"sabbia\" is the file's last field, which is never read as \"sabbia\""},
      {Source::kTrain, "[segnali]", "[segnali]\r\n-- one\r\n-- two\r\n-- segnale di prova",
       "T:43:1: warning: \"-- segnale di prova\" follows 2 comment fields in a row, so it is taken as a key field"},
      {Source::kRoute, "[montagne]", "[montagne]\r\n---\r\n---\r\n--- montagna",
       "R:187:1: warning: \"--- montagna\" follows 2 comment fields in a row"},
      // Fields the compiler cannot read: it stops with error 25 there.
      {Source::kTrain, "numero vetture,    8", "numero vetture,    2x4",
       "T:2:20: warning: \"2x4\" is not a whole number (value 1 of \"numero vetture\": coaches); the compiler stops "
       "reading with error 25"},
      {Source::kTrain, "stazione,    9750, 22,", "stazione,    9750, 300,",
       "T:36:20: warning: \"300\" does not fit a byte (0 to 255) (value 2 of \"stazione\": type)"},
      {Source::kTrain, "aderenza,     400,    70", "aderenza,     400;70",
       "T:8:15: warning: \"400;70\" is not a whole number (values are separated by commas, numbers also by blanks; "
       "not by tabs or semicolons)"},
      {Source::kTrain, "stazione,       0, 12,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  16,57, 0, BORGOROSSO",
       "stazione,       0, 12,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  16,57, BORGOROSSO",
       "T:35:1: warning: \"stazione\" takes 17 values, line 35 has 16; the compiler reads \"BORGOROSSO\" for value 16 "
       "of \"stazione\": seconds, s and stops with error 25"},
      // A value missing at the end of a line: the next line's key is read as the value, and the line is
      // named, not the word of the next one.
      {Source::kTrain, "segnale,    6850,   2, 4, 0,  0, 0,    0,  0,0,0, 0", "segnale,    6850,   2, 4, 0,  0, 0,    0,  0,0,0",
       "T:42:1: warning: \"segnale\" takes 11 values, line 42 has 10; the compiler reads \"segnale\" of line 43 for "
       "value 11 of \"segnale\""},
      // A comment cut short by a comma: the rest of the line is an entry.
      {Source::kTrain, "velocita,   17050,    65", "-- limite di linea, velocita,   17050,    65",
       "T:31:1: warning: the comment \"-- limite di linea\" ends at a comma: the rest of the line, \"velocita,   17050,"
       "    65\", is read as \"velocita\" with the values after it; a comment cannot hold a comma"},
      {Source::kRoute, "curvas4,  700,  500", "-- curva, stretta\r\ncurvas4,  700,  500",
       "R:12:1: warning: the comment \"-- curva\" ends at a comma: the rest of the line, \"stretta\", is read as a key "
       "field that matches no entry"},

      {Source::kTrain, "sabbia,    180", "sabbia,    -",
       "T:4:12: warning: \"-\" is a sign without digits"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    const Sources& pack = packSources();
    std::string bytes = edited(c.source == Source::kRoute ? pack.route : pack.train, c.from, c.to);
    std::string warnings = listed(lint(c.source, bytes));
    EXPECT_NE(warnings.find(c.expected), std::string::npos) << c.expected << "\n--- found:\n" << warnings;
    EXPECT_EQ(warnings.find("matches no entry"), c.expected.find("matches no entry") == std::string::npos
                                                      ? std::string::npos
                                                      : warnings.find("matches no entry"))
        << "no value is taken for a key\n" << warnings;
  }
}

// The compiler stops at a station's position before it reads the platform, so a line with both wrong
// shows its error 8 alone: the platform's error 9 is named beside it, and only then.
TEST(SourceLint, APlatformErrorBehindAPositionErrorIsNamed) {
  const std::string station = "stazione,    9750, 22,  300,";
  struct Case {
    const char* edit;
    bool named;
  } cases[] = {
      {"stazione,    9775, 22,  250,", true},
      {"stazione,    9775, 22,  300,", false},
      {"stazione,    9750, 22,  250,", false},  // the compiler's own error 9 says it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit);
    std::string warnings = listed(lint(Source::kTrain, edited(packSources().train, station, c.edit)));
    const std::string expected = "T:36:25: warning: value 3 of \"stazione\": platform length, m is 250, not a multiple of "
                                 "100: once the position is put right, the compiler stops here with error 9";
    EXPECT_EQ(warnings.find(expected) != std::string::npos, c.named) << warnings;
    EXPECT_EQ(warnings.find("error-behind") == std::string::npos && warnings.find("error 9") == std::string::npos,
              !c.named) << warnings;
  }
}

TEST(SourceLint, EveryLineIsReadInOnePassAfterAFieldTheCompilerCannotRead) {
  std::string bytes = edited(packSources().train, "numero vetture,    8", "numero vetture,    8.5");
  bytes = edited(bytes, "sabbia,    180", "sabbia,    99999");
  bytes = edited(bytes, "velocita,   17050,    65", "velocita,   17050,    650");
  bytes = edited(bytes, "segnale,    6850,   2,", "segnale,    6850,   7,");
  std::vector<LintWarning> warnings = lint(Source::kTrain, bytes);
  ASSERT_EQ(warnings.size(), 4u) << listed(warnings);
  EXPECT_EQ(warnings[0].line, 2u);
  EXPECT_NE(warnings[0].message.find("\"8.5\" is not a whole number"), std::string::npos);
  EXPECT_EQ(warnings[1].line, 4u);
  EXPECT_NE(warnings[1].message.find("\"99999\" does not fit a 16-bit value"), std::string::npos);
  EXPECT_EQ(warnings[2].line, 31u);
  EXPECT_EQ(warnings[3].line, 42u);
}

// The general part does not look for the end of the file within a run of comments.
TEST(SourceLint, ARunOfCommentsToTheEndOfTheGeneralPartReadsPastIt) {
  std::vector<LintWarning> warnings = lintRouteSource("[generale]\r\nlunghezza percorso, 500\r\n- a\r\n- b", "R", true);
  ASSERT_EQ(warnings.size(), 1u) << listed(warnings);
  EXPECT_EQ(warnings[0].id, FindingId::kCommentRunReachesEnd);
  EXPECT_EQ(warnings[0].line, 3u);
  EXPECT_EQ(listed(lintRouteSource("[generale]\r\nlunghezza percorso, 500\r\n[curve]\r\n- a\r\n- b", "R", true)), "")
      << "the feature part looks for the end";
}

// Every warning names its row of the finding table, whose id and name find it again.
TEST(SourceLint, EveryWarningHasItsFindingRow) {
  std::string bytes = edited(packSources().train, "sabbia,    180", "sabbie,    180");
  bytes = edited(bytes, "numero vetture,    8", "numero vetture,    2x4");
  std::vector<LintWarning> warnings = lint(Source::kTrain, bytes);
  ASSERT_EQ(warnings.size(), 2u) << listed(warnings);
  EXPECT_EQ(findingInfo(warnings[0].id).code, "L002");
  EXPECT_EQ(findingInfo(warnings[1].id).name, "key-near-miss");
  EXPECT_EQ(findFinding("L014"), findFinding("key-near-miss"));
}

TEST(SourceLint, ASourceCutShortIsNamed) {
  std::string bytes = packSources().train;
  bytes = bytes.substr(0, bytes.find("segnale,    5450,   1,") + 22);
  std::string warnings = listed(lint(Source::kTrain, bytes));
  EXPECT_NE(warnings.find("T:41:1: warning: the file ends after 2 of the 11 values of \"segnale\""), std::string::npos)
      << warnings;
}

}  // namespace
}  // namespace pack

namespace pack {
namespace {

// Whatever the bytes, the lint and the form checks end, and read nothing outside the source (run under
// the sanitizers).
TEST(SourceLint, AnyBytesAreReadSafely) {
  std::mt19937 random(20261210);
  const std::string alphabet = std::string(",- \r\n[]0123456789x\xC3\xA8\xEF\xBB\xBF") + '\0';
  for (int round = 0; round < 400; ++round) {
    bool route = round % 2 == 0;
    std::string bytes = route ? packSources().route : packSources().train;
    int edits = 1 + static_cast<int>(random() % 12);
    for (int i = 0; i < edits; ++i) {
      std::size_t at = random() % bytes.size();
      switch (random() % 4) {
        case 0: bytes[at] = alphabet[random() % alphabet.size()]; break;
        case 1: bytes.erase(at, 1 + random() % 40); break;
        case 2: bytes.insert(at, 1, alphabet[random() % alphabet.size()]); break;
        default: bytes.resize(at); break;
      }
      if (bytes.empty()) bytes = ",";
    }
    std::vector<LintWarning> warnings =
        route ? lintRouteSource(bytes, "R", round % 4 == 0) : lintTrainRunSource(bytes, "T", RouteFacts{32850});
    for (const LintWarning& w : warnings) EXPECT_GE(w.line, 1u) << w.message;
    checkSourceForm(bytes);
    NormalizedSource normalized = normalizeSource(bytes);
    if (!normalized.refusal) {
      EXPECT_FALSE(checkSourceForm(normalized.bytes).lineEndsBroken);
    }
  }
}

}  // namespace
}  // namespace pack
