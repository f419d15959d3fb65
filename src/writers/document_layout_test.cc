// The crew documents' drawing: bar columns, cell widths, rules and the texts placed in the cells.
// Columns count characters, so lines are taken in code page 1252 (one byte per character).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "formats/cp1252.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

std::vector<std::string> bytesOf(std::span<const std::string_view> table) {
  std::vector<std::string> lines;
  for (std::string_view line : table) lines.push_back(utf8ToCp1252(line));
  return lines;
}

std::vector<std::size_t> barColumns(const std::string& line) {
  std::vector<std::size_t> columns;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '|') columns.push_back(i);
  }
  return columns;
}

// Bars at `first`, then one after each cell of the given widths.
std::vector<std::size_t> barsFor(std::size_t first, std::vector<std::size_t> widths) {
  std::vector<std::size_t> columns = {first};
  for (std::size_t w : widths) columns.push_back(columns.back() + w + 1);
  return columns;
}

// Columns holding "_" in the line, as [from, to] runs.
std::vector<std::pair<std::size_t, std::size_t>> ruleRuns(const std::string& line) {
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '_') continue;
    std::size_t end = line.find_first_not_of('_', i);
    if (end == std::string::npos) end = line.size();
    runs.emplace_back(i, end - 1);
    i = end;
  }
  return runs;
}

// The text of the cell that starts right after the bar at `bar`, up to the next bar.
std::string cellAfter(const std::string& line, std::size_t bar) {
  std::size_t next = line.find('|', bar + 1);
  return line.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1);
}

// A text in a cell: `before` blanks, the text, blanks to the cell's end.
std::string placed(std::size_t before, const std::string& text, std::size_t width) {
  std::string cell = std::string(before, ' ') + text;
  return cell + std::string(width > cell.size() ? width - cell.size() : 0, ' ');
}

class Timetable : public testing::Test {
 protected:
  std::vector<std::string> sheet = bytesOf(timetableLines());
};

TEST_F(Timetable, LineLengthsAndEmptyLines) {
  ASSERT_EQ(sheet.size(), 26u);
  for (std::size_t i : {0, 1, 25}) EXPECT_EQ(sheet[i], "") << i;
  for (std::size_t i = 2; i <= 24; ++i) {
    if (i == 7) continue;
    EXPECT_GE(sheet[i].size(), 95u) << i;
    EXPECT_LE(sheet[i].size(), 98u) << i;
  }
  EXPECT_EQ(sheet[7].size(), 74u);
}

TEST_F(Timetable, BarColumnsOfEveryDrawnLine) {
  const std::vector<std::size_t> upper = {1, 21, 26, 46, 72, 96};
  const std::vector<std::size_t> lower = {1, 24, 46, 72, 90, 96};
  const std::vector<std::size_t> heading = barsFor(2, {5, 5, 33, 15, 3, 6, 3, 11, 3});
  const std::vector<std::size_t> rows = barsFor(2, {5, 5, 9, 23, 15, 3, 6, 19});
  // Row 18 draws one more bar, one blank into its place cell.
  std::vector<std::size_t> withPlaceBar = rows;
  withPlaceBar.insert(withPlaceBar.begin() + 4, rows[3] + 2);
  const std::vector<std::pair<std::size_t, std::vector<std::size_t>>> expected = {
      {2, {}},
      {3, upper},
      {4, upper},
      {5, upper},
      {6, upper},
      {7, {1, 21, 26, 46}},
      {8, {1, 21, 26, 46}},
      {9, {72, 90, 96}},
      {10, lower},
      {11, lower},
      {12, lower},
      {13, {}},
      {14, heading},
      {15, heading},
      {16, heading},
      {17, rows},
      {18, withPlaceBar},
      {19, rows},
      {20, rows},
      {21, rows},
      {22, rows},
      {23, rows},
      {24, rows},
  };
  for (const auto& [line, bars] : expected) EXPECT_EQ(barColumns(sheet[line]), bars) << "line " << line;
}

TEST_F(Timetable, RulesSpanTheirBoxes) {
  using Runs = std::vector<std::pair<std::size_t, std::size_t>>;
  EXPECT_EQ(ruleRuns(sheet[2]), (Runs{{2, 20}, {27, 45}, {73, 95}}));
  EXPECT_EQ(ruleRuns(sheet[5]), (Runs{{2, 20}, {27, 45}}));
  EXPECT_EQ(ruleRuns(sheet[6]), (Runs{{73, 95}}));
  EXPECT_EQ(ruleRuns(sheet[8]), (Runs{{2, 20}, {27, 45}, {73, 95}}));
  EXPECT_EQ(ruleRuns(sheet[9]), (Runs{{2, 23}, {25, 45}}));
  EXPECT_EQ(ruleRuns(sheet[12]), (Runs{{2, 23}, {25, 45}, {73, 89}, {91, 95}}));
  EXPECT_EQ(ruleRuns(sheet[13]), (Runs{{3, 94}}));
  // Heading rule and bottom rule: underscores in every cell, nothing else between the bars.
  for (std::size_t line : {16, 24}) {
    for (std::size_t bar : barColumns(sheet[line])) {
      std::string cell = cellAfter(sheet[line], bar);
      if (bar == barColumns(sheet[line]).back()) continue;
      EXPECT_EQ(cell.find_first_not_of('_'), std::string::npos) << line << " cell after " << bar;
    }
  }
}

TEST_F(Timetable, HeaderCellsHoldTheirTextsAtTheirOffsets) {
  struct Cell {
    std::size_t line;
    std::size_t bar;  // the bar before the cell
    std::size_t width;
    std::size_t before;
    std::string text;
  };
  const Cell cells[] = {
      {3, 1, 19, 2, "Fascicolo Linee"},
      {3, 26, 19, 6, "Treno"},
      {3, 46, 25, 0, ""},
      {3, 72, 23, 1, "Sigla di Composizione"},
      {4, 1, 19, 5, "Valcastrina"},
      {4, 26, 19, 7, "517"},
      {4, 46, 25, 5, "Scheda n\xB0 2/3"},
      {4, 72, 23, 8, "V140 B"},
      {5, 46, 25, 0, ""},
      {5, 72, 23, 9, "105%"},
      {6, 1, 19, 1, "Validit\xE0"},
      {6, 26, 19, 1, "Termine Scheda"},
      {6, 46, 25, 4, "Da: BORGOROSSO"},
      {7, 1, 19, 1, "Dal: 30.09.2001"},
      {7, 26, 19, 2, "POGGIOSALICE"},
      {7, 46, 27, 5, "A: MONTEGRANO C."},  // then six blanks end the line
      {9, 72, 17, 1, "Int. alla Sigla"},
      {9, 90, 5, 0, ""},
      {10, 1, 22, 1, "Classificazione"},
      {10, 24, 21, 3, "Massa Bloccata"},
      {10, 72, 17, 5, "E 636"},
      {10, 90, 5, 0, ""},
      {11, 1, 22, 9, "E"},
      {11, 24, 21, 7, "360T"},
      {11, 72, 17, 5, "21/65"},
      {11, 90, 5, 0, ""},
  };
  for (const Cell& c : cells) {
    EXPECT_EQ(cellAfter(sheet[c.line], c.bar), placed(c.before, c.text, c.width))
        << "line " << c.line << " after column " << c.bar;
  }
}

TEST_F(Timetable, DataRowsCellByCell) {
  // Cells 1 to 8 of rows 17 to 23; rows 17, 20 and 23 are also pinned whole as bytes elsewhere.
  struct Row {
    std::size_t line;
    std::vector<std::string> cells;
  };
  const std::string blank19(19, ' ');
  const Row rows[] = {
      {17,
       {" 75  ", " 75  ", "154.207_ ", "\\  BORGOROSSO..........", "         15.50 ", "   ", "  /   ",
        placed(8, "2", 19)}},
      {18, {"     ", "     ", "160.858  ", placed(1, "|", 23), placed(0, "", 15), "   ", "  /   ", blank19}},
      {19,
       {"     ", "     ", "151.082  ", placed(3, "SASSOCANDIDO", 23), "     17.06     ", "   ", "  /   ",
        blank19}},
      {20,
       {" 65  ", " 65  ", placed(0, "", 9), placed(2, "C.C.Km.143,845", 23), placed(0, "", 15), "   ",
        "  /   ", blank19}},
      {21,
       {" 75  ", "     ", placed(0, "", 9), placed(2, "Sott.Km.142,236", 23), placed(0, "", 15), "   ",
        "  /   ", blank19}},
      {22,
       {" 60  ", " 60  ", "138.722  ", placed(3, "PIAN DI SPINAROLA", 23), "     17.19     ", "1.5", "  /   ",
        blank19}},
      {23,
       {"     ", "     ", "132.107  ", "   MONTEGRANO..........", " 17.27   17.32 ", "   ", "  /   ",
        blank19}},
  };
  // Row 18 draws a bar inside its place cell, so cells are cut at the row layout's bars.
  const std::vector<std::size_t> bars = barsFor(2, {5, 5, 9, 23, 15, 3, 6, 19});
  for (const Row& r : rows) {
    ASSERT_EQ(r.cells.size() + 1, bars.size());
    for (std::size_t i = 0; i < r.cells.size(); ++i) {
      EXPECT_EQ(sheet[r.line][bars[i]], '|') << "line " << r.line << " column " << bars[i];
      EXPECT_EQ(sheet[r.line].substr(bars[i] + 1, bars[i + 1] - bars[i] - 1), r.cells[i])
          << "line " << r.line << " cell " << i + 1;
    }
  }
}

class SlowDownOrder : public testing::Test {
 protected:
  std::vector<std::string> form = bytesOf(slowDownOrderLines());
};

TEST_F(SlowDownOrder, HeadTitlesAndRules) {
  ASSERT_EQ(form.size(), 46u);
  EXPECT_EQ(form[0], "");
  EXPECT_EQ(form[1], std::string(31, ' ') + "Modulo M. 3");
  EXPECT_EQ(form[2], std::string(27, ' ') + "ORDINE DI RALLENTAMENTO");
  EXPECT_EQ(form[3], " " + std::string(80, '_'));
  EXPECT_EQ(form[5], "");
  EXPECT_EQ(form[7], "  " + std::string(79, '_'));
  EXPECT_EQ(form[39], "");
  EXPECT_EQ(form[40], std::string(14, ' ') + "Prescrizioni specifiche");
}

TEST_F(SlowDownOrder, TableBarsWidthsAndHeadings) {
  const std::vector<std::size_t> widths = {3, 28, 12, 10, 9, 12};
  const std::vector<std::size_t> bars = barsFor(1, widths);
  ASSERT_EQ(bars, (std::vector<std::size_t>{1, 5, 34, 47, 58, 68, 81}));
  for (std::size_t line = 8; line <= 38; ++line) {
    EXPECT_EQ(form[line].size(), 82u) << line;
    EXPECT_EQ(form[line][0], ' ') << line;
    EXPECT_EQ(barColumns(form[line]), bars) << line;
  }
  const std::vector<std::vector<std::string>> headings = {
      {"   ", std::string(28, ' '), "Inizio dopo ", std::string(10, ' '), std::string(9, ' '),
       std::string(12, ' ')},
      {" N.", "      FRA LE STAZIONI       ", " il cippo   ", " Velocita'", "Lunghezza", "Prescrizioni"},
      {"   ", "   (o nelle Stazioni di)    ", "chilometrico", std::string(10, ' '), "   metri ",
       " specifiche "},
  };
  for (std::size_t h = 0; h < headings.size(); ++h) {
    for (std::size_t c = 0; c < widths.size(); ++c) {
      EXPECT_EQ(cellAfter(form[8 + h], bars[c]), headings[h][c]) << "line " << 8 + h << " cell " << c + 1;
    }
  }
  for (std::size_t c = 0; c < widths.size(); ++c) {
    EXPECT_EQ(cellAfter(form[11], bars[c]), std::string(widths[c], '_')) << "cell " << c + 1;
  }
}

TEST(Notes, ParagraphsOneLineEachWithTheirHeadingsAndSignOff) {
  std::vector<std::string> notes = bytesOf(notesLines());
  ASSERT_EQ(notes.size(), 27u);
  EXPECT_EQ(notes[0], "        Regione Valcastrina");
  EXPECT_EQ(notes[1], "Linea Borgorosso-Montegrano C.le.");
  EXPECT_EQ(notes[15], "Treno Simulato:");
  EXPECT_EQ(notes[22], "Sono graditi consigli e suggerimenti. Buon lavoro.");
  std::size_t longest = 0;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    bool empty = i == 2 || i == 14 || i == 23;
    EXPECT_EQ(notes[i].empty(), empty) << i;
    longest = std::max(longest, notes[i].size());
  }
  EXPECT_EQ(longest, 364u);
  // The train's paragraphs name it by its number; the region is the sheet's line book region.
  EXPECT_NE(notes[16].find("517"), std::string::npos);
  std::vector<std::string> sheet = bytesOf(timetableLines());
  EXPECT_NE(sheet[4].find("|     Valcastrina "), std::string::npos);
}

}  // namespace
}  // namespace pack
