// The five files as the writers leave them on disk: names, line counts, exact bytes of the lines the
// crew and the compiler depend on, code page 1252, CR LF, replacement of older files.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/form1.h"
#include "formats/cp1252.h"
#include "platform/fake_platform.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

using Writer = void (Form1::*)();

struct WrittenText {
  const char* name;
  Writer writer;
  std::span<const std::string_view> (*table)();
  std::size_t lineCount;
  std::string_view firstLine;
  std::string_view lastLine;
};

const WrittenText kTexts[] = {
    {"Borgorosso_MontegranoC_linea.txt", &Form1::dati_linea, routeLines, 222, "[generale]", "[fine]"},
    {"Borgorosso_MontegranoC_517-.txt", &Form1::dati_treno, trainRunLines, 50, "[generale]", "[fine]"},
    {"Borgorosso_MontegranoC_517_note.txt", &Form1::dati_note, notesLines, 27, "        Regione Valcastrina",
     "Prima edizione, settembre 2001"},
    {"Borgorosso_MontegranoC_517_rallentamenti.txt", &Form1::dati_rallentamenti, slowDownOrderLines, 46, "",
     "     i giorni esclusi i seguenti:........."},
    {"Borgorosso_MontegranoC_517_scheda_treno.txt", &Form1::dati_scheda, timetableLines, 26, "", ""},
};

const WrittenText& text(std::string_view name) {
  for (const WrittenText& t : kTexts) {
    if (name == t.name) return t;
  }
  throw std::invalid_argument(std::string(name));
}

std::string pathOf(const WrittenText& t) { return "/pack/" + std::string(t.name); }

// Runs every writer, in the order start-up calls them, on the platform's folder.
void writeAll(FakePlatform& p) {
  Form1 form(p, p, p.folder);
  form.setEmbeddedNames();
  form.writeTexts();
}

// Splits file bytes into lines; every line must end in CR LF, and no CR or LF may stand alone.
std::vector<std::string> linesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "bytes after the last CR LF: " << bytes.substr(start, 40);
      break;
    }
    std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray CR or LF in line " << lines.size();
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

class WrittenTexts : public testing::Test {
 protected:
  void SetUp() override { writeAll(p); }

  std::vector<std::string> lines(std::string_view name) { return linesOf(p.fs.files.at(pathOf(text(name)))); }

  FakePlatform p;
};

TEST_F(WrittenTexts, EachFileHasItsNameLineCountFirstAndLastLines) {
  for (const WrittenText& t : kTexts) {
    SCOPED_TRACE(t.name);
    ASSERT_TRUE(p.fs.exists(pathOf(t)));
    std::vector<std::string> got = linesOf(p.fs.files.at(pathOf(t)));
    ASSERT_EQ(got.size(), t.lineCount);
    EXPECT_EQ(t.table().size(), t.lineCount);
    EXPECT_EQ(got.front(), t.firstLine);
    EXPECT_EQ(got.back(), t.lastLine);
  }
  EXPECT_EQ(p.fs.files.size(), std::size(kTexts));
}

// The bytes of the lines quoted to the crew and those the compiler's worked examples rest on.
TEST_F(WrittenTexts, QuotedLinesReachTheFileByteForByte) {
  struct Quoted {
    const char* file;
    std::size_t line;
    std::string_view bytes;
  };
  const Quoted quoted[] = {
      {"Borgorosso_MontegranoC_517-.txt", 4, "orologio,    16              56            0 "},
      {"Borgorosso_MontegranoC_517-.txt", 34,
       "stazione,       0, 12,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  16,57, 0, BORGOROSSO"},
      {"Borgorosso_MontegranoC_517-.txt", 37,
       "stazione,   28750,  1,  600,  0, 0, 0,  1,1,0,  2,1,1,    0,  17,27, 0, MONTEGRANO C."},
      {"Borgorosso_MontegranoC_517-.txt", 40, "segnale,    5450,   1, 4, 0,  0, 0,    0,  0,0,0, 0"},
      {"Borgorosso_MontegranoC_517-.txt", 47, "segnale,   27950,   2, 3, 1,  0, 0,    0,  0,0,0, 245"},
      {"Borgorosso_MontegranoC_linea.txt", 8, "ripetizione segnali 4 codici,    0    ,0"},
      {"Borgorosso_MontegranoC_linea.txt", 220,
       "cartello_indicatore,  28250,   (Dep.Loc.     )(Montegrano C.)"},
      {"Borgorosso_MontegranoC_517_scheda_treno.txt", 3,
       " |  Fascicolo Linee  |    |      Treno        |                         | Sigla di Composizione |"},
      {"Borgorosso_MontegranoC_517_scheda_treno.txt", 6,
       " | Validit\xE0          |    | Termine Scheda    |    Da: BORGOROSSO       "
       "|_______________________|"},
      {"Borgorosso_MontegranoC_517_scheda_treno.txt", 14,
       "  | Vel.| Vel.|  Prog                           |               |Rec|Bin.Dx|SRS| Simbologia|SRS| "},
      {"Borgorosso_MontegranoC_517_scheda_treno.txt", 15,
       "  | Max.|Marc.|   Km.           Localita'       |     Orario    |   |V. Max| SX|           | DX|"},
      {"Borgorosso_MontegranoC_517_scheda_treno.txt", 17,
       "  | 75  | 75  |154.207_ |\\  BORGOROSSO..........|         15.50 |   |  /   |        2          |"},
      {"Borgorosso_MontegranoC_517_scheda_treno.txt", 20,
       "  | 65  | 65  |         |  C.C.Km.143,845       |               |   |  /   |                   |"},
      {"Borgorosso_MontegranoC_517_scheda_treno.txt", 23,
       "  |     |     |132.107  |   MONTEGRANO..........| 17.27   17.32 |   |  /   |                   |"},
      {"Borgorosso_MontegranoC_517_rallentamenti.txt", 4, "  Linea  BORGOROSSO-MONTEGRANO C."},
      {"Borgorosso_MontegranoC_517_rallentamenti.txt", 6,
       "  Si ordina al macchinista del treno 517 di effettuare i seguenti rallentamenti"},
      {"Borgorosso_MontegranoC_517_rallentamenti.txt", 12,
       " |   |   NESSUNA PRESCRIZIONE     |            |          |         |            |"},
      {"Borgorosso_MontegranoC_517_rallentamenti.txt", 43,
       " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {"Borgorosso_MontegranoC_517_note.txt", 1, "Linea Borgorosso-Montegrano C.le."},
      {"Borgorosso_MontegranoC_517_note.txt", 22, "Sono graditi consigli e suggerimenti. Buon lavoro."},
  };
  for (const Quoted& q : quoted) {
    SCOPED_TRACE(std::string(q.file) + " line " + std::to_string(q.line));
    std::vector<std::string> got = lines(q.file);
    ASSERT_LT(q.line, got.size());
    EXPECT_EQ(got[q.line], q.bytes);
  }
}

// Outside ASCII only the six characters of the code page's Western letters occur, each as one byte;
// a stray UTF-8 sequence would show up here as its lead byte.
TEST_F(WrittenTexts, AreCodePage1252WithoutByteOrderMark) {
  const std::string allowed = "\xEC\xE8\xE0\xF2\xF9\xB0";
  for (const WrittenText& t : kTexts) {
    SCOPED_TRACE(t.name);
    const std::string& bytes = p.fs.files.at(pathOf(t));
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    for (char c : bytes) {
      if (static_cast<unsigned char>(c) >= 0x80) {
        EXPECT_NE(allowed.find(c), std::string::npos) << "byte " << int(static_cast<unsigned char>(c));
      }
    }
  }
  const std::string& notes = p.fs.files.at(pathOf(text("Borgorosso_MontegranoC_517_note.txt")));
  for (char c : std::string("\xEC\xE8\xE0\xF2\xF9")) EXPECT_NE(notes.find(c), std::string::npos) << int(c);
  const std::string& sheet = p.fs.files.at(pathOf(text("Borgorosso_MontegranoC_517_scheda_treno.txt")));
  EXPECT_NE(sheet.find("Scheda n\xB0 2/3"), std::string::npos);
}

// Only the lines that are meant to end in blanks do, each with its own count.
TEST_F(WrittenTexts, TrailingBlanksOnlyWhereTheLayoutHasThem) {
  const std::map<std::string, std::map<std::size_t, std::size_t>> trailing = {
      {"Borgorosso_MontegranoC_linea.txt", {}},
      {"Borgorosso_MontegranoC_517-.txt", {{4, 1}}},
      {"Borgorosso_MontegranoC_517_scheda_treno.txt", {{7, 6}, {10, 1}, {11, 1}, {14, 1}, {24, 1}}},
      {"Borgorosso_MontegranoC_517_rallentamenti.txt", {}},
      {"Borgorosso_MontegranoC_517_note.txt", {{4, 1}, {7, 1}, {9, 1}, {13, 2}, {19, 1}, {21, 2}}},
  };
  for (const auto& [file, expected] : trailing) {
    std::vector<std::string> got = lines(file);
    for (std::size_t i = 0; i < got.size(); ++i) {
      std::size_t last = got[i].find_last_not_of(' ');
      std::size_t blanks = last == std::string::npos ? got[i].size() : got[i].size() - last - 1;
      auto it = expected.find(i);
      EXPECT_EQ(blanks, it == expected.end() ? 0 : it->second) << file << " line " << i;
    }
  }
}

TEST_F(WrittenTexts, TrainRunEmptySectionsAreBareHeadersAndTheNumberIsNotInIt) {
  std::vector<std::string> got = lines("Borgorosso_MontegranoC_517-.txt");
  ASSERT_EQ(got.size(), 50u);
  EXPECT_EQ(got[38], "[rallentamenti]");
  EXPECT_EQ(got[39], "[segnali]");
  EXPECT_EQ(got[48], "[codici]");
  EXPECT_EQ(got[49], "[fine]");
  EXPECT_EQ(p.fs.files.at("/pack/Borgorosso_MontegranoC_517-.txt").find("517"), std::string::npos);
}

TEST_F(WrittenTexts, SlowDownOrderHasOneFilledAndTwentyFiveEmptyRowsBetweenTwoEqualRules) {
  std::vector<std::string> got = lines("Borgorosso_MontegranoC_517_rallentamenti.txt");
  ASSERT_EQ(got.size(), 46u);
  EXPECT_EQ(got[11], got[38]);
  EXPECT_NE(got[12].find("NESSUNA PRESCRIZIONE"), std::string::npos);
  for (std::size_t i = 13; i <= 37; ++i) {
    EXPECT_EQ(got[i], " |   |                            |            |          |         |            |")
        << i;
  }
  const char* notes[] = {" A - ", " B - ", " D - ", " C - ", "     i giorni"};
  for (std::size_t i = 0; i < std::size(notes); ++i) EXPECT_EQ(got[41 + i].rfind(notes[i], 0), 0u) << i;
}

TEST(WrittenTextsRerun, OlderLongerFilesAreReplacedEntirelyAndBytesRepeat) {
  FakePlatform fresh;
  writeAll(fresh);

  FakePlatform p;
  for (const WrittenText& t : kTexts) p.fs.files[pathOf(t)] = std::string(20000, '#') + "\r\nold\r\n";
  writeAll(p);
  for (const WrittenText& t : kTexts)
    EXPECT_EQ(p.fs.files.at(pathOf(t)), fresh.fs.files.at(pathOf(t))) << t.name;
  writeAll(p);
  for (const WrittenText& t : kTexts)
    EXPECT_EQ(p.fs.files.at(pathOf(t)), fresh.fs.files.at(pathOf(t))) << t.name;
}

// Every file is its table, line by line, in code page 1252 with CR LF.
TEST(WrittenTextsRerun, EachFileIsItsTableConverted) {
  FakePlatform p;
  writeAll(p);
  for (const WrittenText& t : kTexts) {
    std::string expected;
    for (std::string_view line : t.table()) expected += utf8ToCp1252(line) + "\r\n";
    EXPECT_EQ(p.fs.files.at(pathOf(t)), expected) << t.name;
  }
}

// The pack itself: the documents stay, with the same bytes; the sources are gone once compiled.
TEST(WrittenTextsRerun, ThePackLeavesTheThreeDocumentsAndDeletesTheTwoSources) {
  FakePlatform written;
  writeAll(written);
  FakePlatform p;
  ASSERT_EQ(runPack(p), 0) << (p.messages.empty() ? "" : p.messages[0]);
  for (const WrittenText& t : kTexts) {
    bool isSource = t.writer == &Form1::dati_linea || t.writer == &Form1::dati_treno;
    if (isSource) {
      EXPECT_FALSE(p.fs.exists(pathOf(t))) << t.name;
    } else {
      EXPECT_EQ(p.fs.files.at(pathOf(t)), written.fs.files.at(pathOf(t))) << t.name;
    }
  }
}

}  // namespace
}  // namespace pack
