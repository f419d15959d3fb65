// The embedded route and train run, parsed from their tables and held to every bound their content
// must keep: counts, orderings, quoted rows, and the placements that make the compile come out clean.
// A later edit of a table that breaks one of them fails here, named.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/form1.h"
#include "platform/fake_platform.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

struct Curve {
  char side;
  int digit;
  int start;
  int length;
  int end() const { return start + length; }
};

struct Gradient {
  int position;
  int value;
};

struct Board {
  int position;
  std::vector<std::string> items;  // each with its parentheses
  std::string row;
};

struct Station {
  int position;
  std::vector<int> values;  // values 2 to 16 of the row
  std::string name;
  std::string row;
  int type() const { return values[0]; }
  int platformEnd() const;
};

struct Signal {
  int position;
  std::vector<int> fields;  // fields 2 to 11
  std::string row;
};

struct Scenario {
  std::vector<std::string> route;
  std::vector<std::string> trainRun;
  std::vector<Curve> curves;
  std::vector<Gradient> gradients;
  std::vector<Board> boards;
  std::vector<int> speedBoards;
  std::vector<Station> stations;
  std::vector<Signal> signals;
};

int toInt(const std::string& s) {
  std::size_t first = s.find_first_not_of(' ');
  return first == std::string::npos ? 0 : std::stoi(s.substr(first));
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = s.find(sep); at != std::string::npos; at = s.find(sep, start)) {
    parts.push_back(s.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(s.substr(start));
  return parts;
}

// Positions of the commas, the shape that "the same column layout" compares.
std::vector<std::size_t> commaColumns(const std::string& row, std::size_t count) {
  std::vector<std::size_t> columns;
  for (std::size_t at = row.find(','); at != std::string::npos && columns.size() < count;
       at = row.find(',', at + 1)) {
    columns.push_back(at);
  }
  return columns;
}

// Cell of a board or signal at P (round(P / 50 + 1), halves to even).
int featureCell(int position) { return static_cast<int>(std::nearbyint(position / 50.0 + 1)); }

int Station::platformEnd() const {
  int length = values[1];
  switch (type()) {
    case 5:
    case 6:
      return position + 150;
    case 7:
    case 8:
      return position + length;
    default:
      return static_cast<int>(std::nearbyint(position + length / 2.0 + (values[4] != 0 ? 50 : 0)));
  }
}

int stopCell(const Station& s) { return static_cast<int>(std::nearbyint(s.platformEnd() / 50.0 - 1)); }

// Parses the rows of each kind; a row of a kind's key that does not keep its layout fails the test.
Scenario parse() {
  Scenario s;
  for (std::string_view line : routeLines()) s.route.emplace_back(line);
  for (std::string_view line : trainRunLines()) s.trainRun.emplace_back(line);

  static const std::regex curve(R"(curva([ds])([1-6]),  ([0-9]+),  ([0-9]+))");
  static const std::regex gradient(R"(pendenza,  ([0-9]+),   (-?[0-9]+))");
  static const std::regex board(R"(cartello_indicatore,  ([0-9]+),   ((\([^()]+\))+))");
  static const std::regex item(R"(\([^()]+\))");
  static const std::regex speedBoard(R"(indicatori_vmax,  ([0-9]+),  .*)");
  std::smatch m;
  for (const std::string& row : s.route) {
    if (row.rfind("curva", 0) == 0) {
      EXPECT_TRUE(std::regex_match(row, m, curve)) << row;
      if (!m.empty()) s.curves.push_back({m[1].str()[0], std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])});
    } else if (row.rfind("pendenza", 0) == 0) {
      EXPECT_TRUE(std::regex_match(row, m, gradient)) << row;
      if (!m.empty()) s.gradients.push_back({std::stoi(m[1]), std::stoi(m[2])});
    } else if (row.rfind("cartello_indicatore", 0) == 0) {
      EXPECT_TRUE(std::regex_match(row, m, board)) << row;
      if (m.empty()) continue;
      Board b{std::stoi(m[1]), {}, row};
      std::string text = m[2];
      for (auto it = std::sregex_iterator(text.begin(), text.end(), item); it != std::sregex_iterator();
           ++it) {
        b.items.push_back(it->str());
      }
      s.boards.push_back(b);
    } else if (row.rfind("indicatori_vmax", 0) == 0) {
      EXPECT_TRUE(std::regex_match(row, m, speedBoard)) << row;
      if (!m.empty()) s.speedBoards.push_back(std::stoi(m[1]));
    }
  }

  static const std::regex station(R"(stazione,([ 0-9]{8}),(.*))");
  static const std::regex signal(R"(segnale,([ 0-9]{8}),(.*))");
  for (const std::string& row : s.trainRun) {
    if (row.rfind("stazione", 0) == 0) {
      EXPECT_TRUE(std::regex_match(row, m, station)) << row;
      if (m.empty()) continue;
      std::vector<std::string> fields = split(m[2], ',');
      EXPECT_EQ(fields.size(), 16u) << row;
      if (fields.size() != 16) continue;
      Station st{toInt(m[1]), {}, fields.back().substr(1), row};
      for (std::size_t i = 0; i + 1 < fields.size(); ++i) st.values.push_back(toInt(fields[i]));
      s.stations.push_back(st);
    } else if (row.rfind("segnale", 0) == 0) {
      EXPECT_TRUE(std::regex_match(row, m, signal)) << row;
      if (m.empty()) continue;
      Signal sg{toInt(m[1]), {}, row};
      for (const std::string& f : split(m[2], ',')) sg.fields.push_back(toInt(f));
      EXPECT_EQ(sg.fields.size(), 10u) << row;
      s.signals.push_back(sg);
    }
  }
  return s;
}

// A check returns "" when its bound holds, else what broke it.
using Check = std::function<std::string(const Scenario&)>;

struct Bound {
  const char* what;
  Check check;
};

std::string expectSlots(const std::vector<std::string>& lines, std::size_t count,
                        const std::vector<std::pair<std::size_t, std::string>>& headers) {
  if (lines.size() != count) return std::to_string(lines.size()) + " lines";
  for (const auto& [slot, header] : headers) {
    if (lines[slot] != header) return "slot " + std::to_string(slot) + " holds \"" + lines[slot] + "\"";
  }
  return "";
}

std::string expectRows(const std::vector<std::string>& lines, std::size_t from,
                       const std::vector<std::string>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (from + i >= lines.size() || lines[from + i] != rows[i]) return "slot " + std::to_string(from + i);
  }
  return "";
}

bool hasRow(const std::vector<std::string>& lines, const std::string& row) {
  return std::find(lines.begin(), lines.end(), row) != lines.end();
}

const Board* boardAt(const Scenario& s, int position) {
  for (const Board& b : s.boards) {
    if (b.position == position) return &b;
  }
  return nullptr;
}

const Board* boardWith(const Scenario& s, const std::string& text) {
  for (const Board& b : s.boards) {
    std::string joined;
    for (const std::string& i : b.items) joined += i;
    if (joined == text) return &b;
  }
  return nullptr;
}

// The gradient each cell receives: every row fills the cells from the fill index up to its own cell
// with the gradient before it, at least one cell once past the first; the last fills to the end.
std::map<int, int> gradientCells(const Scenario& s, int lastCell) {
  std::map<int, int> cells;
  int fill = 0;
  int current = 0;
  for (const Gradient& g : s.gradients) {
    int k = static_cast<int>(std::nearbyint(g.position / 50.0));
    if (k > 0) {
      do cells[fill++] = current;
      while (fill < k);
    }
    current = g.value;
  }
  while (fill < lastCell) cells[fill++] = current;
  return cells;
}

// The gradient in force at a metre: the last row at or before it.
int gradientAt(const Scenario& s, int metre) {
  int value = 0;
  for (const Gradient& g : s.gradients) {
    if (g.position <= metre) value = g.value;
  }
  return value;
}

const std::vector<std::string> kTowns = {"borgorosso",   "montegrano", "roccamirtea",
                                         "sassocandido", "spinarola",  "poggiosalice"};

bool namesATown(const std::string& text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return std::any_of(kTowns.begin(), kTowns.end(),
                     [&](const std::string& t) { return lower.find(t) != std::string::npos; });
}

const std::vector<Bound>& routeBounds() {
  static const std::vector<Bound> bounds = {
      {"route: 222 lines in seven sections",
       [](const Scenario& s) {
         return expectSlots(s.route, 222,
                            {{0, "[generale]"},
                             {9, "[curve]"},
                             {98, "[pendenze]"},
                             {183, "[montagne]"},
                             {189, "[cartelli]"},
                             {193, "[indicazioni]"},
                             {221, "[fine]"}});
       }},
      {"route: the eight general rows",
       [](const Scenario& s) {
         return expectRows(
             s.route, 1,
             {"lunghezza percorso,    32850", "progressiva chilometrica uno,    0,    160850,    1",
              "progressiva chilometrica due,    0,    0,    0",
              "progressiva chilometrica tre,    0,    0,    0", "sfondo uno,    0", "sfondo due,    1",
              "sfondo tre,    0", "ripetizione segnali 4 codici,    0    ,0"});
       }},
      {"curves: 88 rows, 46 right and 42 left",
       [](const Scenario& s) -> std::string {
         auto right =
             std::count_if(s.curves.begin(), s.curves.end(), [](const Curve& c) { return c.side == 'd'; });
         if (s.curves.size() != 88 || right != 46)
           return std::to_string(s.curves.size()) + " / " + std::to_string(right);
         return "";
       }},
      {"curves: class digits 1:4 2:2 3:13 4:38 5:29 6:2",
       [](const Scenario& s) -> std::string {
         std::map<int, int> count;
         for (const Curve& c : s.curves) ++count[c.digit];
         std::map<int, int> expected = {{1, 4}, {2, 2}, {3, 13}, {4, 38}, {5, 29}, {6, 2}};
         return count == expected ? "" : "other counts";
       }},
      {"curves: starts 400 to 30000, lengths 50 to 600, multiples of 50",
       [](const Scenario& s) -> std::string {
         for (const Curve& c : s.curves) {
           if (c.start < 400 || c.start > 30000 || c.length < 50 || c.length > 600 || c.start % 50 ||
               c.length % 50) {
             return "curve at " + std::to_string(c.start);
           }
         }
         return "";
       }},
      {"curves: starts strictly ascending, each ending at or before the next start",
       [](const Scenario& s) -> std::string {
         for (std::size_t i = 1; i < s.curves.size(); ++i) {
           if (s.curves[i - 1].end() > s.curves[i].start)
             return "curve at " + std::to_string(s.curves[i].start);
         }
         return "";
       }},
      {"curves: exactly 53 end where the next begins",
       [](const Scenario& s) -> std::string {
         int joined = 0;
         for (std::size_t i = 1; i < s.curves.size(); ++i)
           joined += s.curves[i - 1].end() == s.curves[i].start;
         return joined == 53 ? "" : std::to_string(joined);
       }},
      {"curves: the last ends at 30300",
       [](const Scenario& s) -> std::string {
         return !s.curves.empty() && s.curves.back().end() == 30300 ? "" : "other end";
       }},
      {"curves: six of the shortest length, 50, curvad2 at 8450 among them",
       [](const Scenario& s) -> std::string {
         auto shortest =
             std::count_if(s.curves.begin(), s.curves.end(), [](const Curve& c) { return c.length == 50; });
         if (shortest != 6) return std::to_string(shortest);
         return hasRow(s.route, "curvad2,  8450,  50") ? "" : "no curvad2 at 8450";
       }},
      {"curves: the only one of 600 m is curvad5 at 22350",
       [](const Scenario& s) -> std::string {
         for (const Curve& c : s.curves) {
           bool isLongest = c.side == 'd' && c.digit == 5 && c.start == 22350;
           if ((c.length == 600) != isLongest) return "curve at " + std::to_string(c.start);
         }
         return hasRow(s.route, "curvad5,  22350,  600") ? "" : "missing";
       }},
      {"curves: the quoted first and last rows",
       [](const Scenario& s) -> std::string {
         std::string first =
             expectRows(s.route, 10, {"curvad5,  400,  200", "curvas4,  700,  500", "curvad4,  1450,  200"});
         return first.empty() ? expectRows(s.route, 97, {"curvad5,  30000,  300"}) : first;
       }},
      {"gradients: 84 rows at 0 to 28850, multiples of 50, strictly ascending",
       [](const Scenario& s) -> std::string {
         if (s.gradients.size() != 84) return std::to_string(s.gradients.size()) + " rows";
         for (std::size_t i = 0; i < s.gradients.size(); ++i) {
           const Gradient& g = s.gradients[i];
           if (g.position < 0 || g.position > 28850 || g.position % 50 ||
               (i > 0 && g.position <= s.gradients[i - 1].position)) {
             return "row at " + std::to_string(g.position);
           }
         }
         return "";
       }},
      {"gradients: -22 to 24, with 24 only at 900 and -22 only at 15000",
       [](const Scenario& s) -> std::string {
         for (const Gradient& g : s.gradients) {
           if (g.value < -22 || g.value > 24 || (g.value == 24) != (g.position == 900) ||
               (g.value == -22) != (g.position == 15000)) {
             return "row at " + std::to_string(g.position);
           }
         }
         return "";
       }},
      {"gradients: the quoted first and last rows",
       [](const Scenario& s) -> std::string {
         std::string first =
             expectRows(s.route, 99, {"pendenza,  0,   -1", "pendenza,  300,   0", "pendenza,  350,   5"});
         return first.empty() ? expectRows(s.route, 182, {"pendenza,  28850,   -3"}) : first;
       }},
      {"gradients: -1 over 0 to 299 m and in cells 0 to 5, +2 at 5450 m and in cell 110",
       [](const Scenario& s) -> std::string {
         for (int metre : {0, 150, 299}) {
           if (gradientAt(s, metre) != -1) return "at " + std::to_string(metre);
         }
         if (gradientAt(s, 5450) != 2) return "at 5450";
         std::map<int, int> cells = gradientCells(s, 795);  // cellCount 797, less the last two
         for (int c = 0; c <= 5; ++c) {
           if (cells[c] != -1) return "cell " + std::to_string(c);
         }
         if (cells[6] != 0 || cells[110] != 2 || cells[577] != -3 || cells[794] != -3)
           return "cells 6, 110, 577, 794";
         return "";
       }},
      {"mountains: the five rows",
       [](const Scenario& s) {
         return expectRows(s.route, 184,
                           {"montagna,   3050,  3100,  2", "montagna,   17100,  17350,  11",
                            "montagna,   17400,  17450,  12", "montagna,   20450,  20750,  11",
                            "montagna,   29250,  30250,  12"});
       }},
      {"speed-indicator boards: the three rows",
       [](const Scenario& s) {
         return expectRows(s.route, 190,
                           {"indicatori_vmax,  15950,  65,  65,  65,  0,  ,  ,  ,  0",
                            "indicatori_vmax,  18250,  75,  80,  80,  0,  ,  ,  ,  0",
                            "indicatori_vmax,  21550,  60,  70,  70,  0,  ,  ,  ,  0"});
       }},
      {"text boards: 27 rows at 700 to 28250, strictly ascending",
       [](const Scenario& s) -> std::string {
         if (s.boards.size() != 27) return std::to_string(s.boards.size()) + " rows";
         if (s.boards.front().position != 700 || s.boards.back().position != 28250) return "other ends";
         for (std::size_t i = 1; i < s.boards.size(); ++i) {
           if (s.boards[i].position <= s.boards[i - 1].position)
             return "row at " + std::to_string(s.boards[i].position);
         }
         return "";
       }},
      {"text boards: the quoted rows",
       [](const Scenario& s) -> std::string {
         for (const char* row :
              {"cartello_indicatore,  700,   (F)", "cartello_indicatore,  900,   (P.L.      )(Km 153+284)",
               "cartello_indicatore,  2250,   (Sottovia)", "cartello_indicatore,  3200,   (Cippo  )(157+622)",
               "cartello_indicatore,  5400,   (Avv.  )(1 P.L.)",
               "cartello_indicatore,  6800,   (Prot. )(1 P.L.)",
               "cartello_indicatore,  28100,   (Cavalcavia)(Km 132+749)(ex P.L.   )"}) {
           if (!hasRow(s.route, row)) return row;
         }
         return "";
       }},
      {"text boards: the texts the route format shows as examples occur",
       [](const Scenario& s) -> std::string {
         for (const char* text : {"(F)", "(Sottovia)", "(P.L.      )(Km 153+284)", "(Cippo     )(Km 151+997)",
                                  "(Avv.  )(1 P.L.)"}) {
           if (!boardWith(s, text)) return text;
         }
         return "";
       }},
      {"text boards: 2300 turns off to a town and Montegrano C., 28250 is Montegrano C.'s depot",
       [](const Scenario& s) -> std::string {
         const Board* turn = boardAt(s, 2300);
         const Board* depot = boardAt(s, 28250);
         if (!turn || turn->items.size() != 3 || turn->items[0] != "(Deviazione   )" ||
             !namesATown(turn->items[1]) || turn->items[2].find("Montegrano C.") == std::string::npos) {
           return "row at 2300";
         }
         if (!depot || depot->items.size() != 2 || depot->items[0] != "(Dep.Loc.     )" ||
             depot->items[1].find("Montegrano C.") == std::string::npos) {
           return "row at 28250";
         }
         return "";
       }},
      {"text boards: only the rows at 2300 and 28250 name towns",
       [](const Scenario& s) -> std::string {
         for (const Board& b : s.boards) {
           if (namesATown(b.row) != (b.position == 2300 || b.position == 28250)) return b.row;
         }
         return "";
       }},
  };
  return bounds;
}

const std::vector<Bound>& trainRunBounds() {
  static const std::vector<Bound> bounds = {
      {"train run: 50 lines in eight sections, two of them bare headers",
       [](const Scenario& s) {
         return expectSlots(s.trainRun, 50,
                            {{0, "[generale]"},
                             {5, "[aderenze]"},
                             {28, "[vel_limite]"},
                             {33, "[stazioni]"},
                             {38, "[rallentamenti]"},
                             {39, "[segnali]"},
                             {48, "[codici]"},
                             {49, "[fine]"}});
       }},
      {"train run: the general rows, the clock with its blank runs and trailing blank",
       [](const Scenario& s) {
         return expectRows(s.trainRun, 1,
                           {"numero vetture,    8", "percentuale massa frenata,    105", "sabbia,    180",
                            "orologio,    16              56            0 "});
       }},
      {"adhesion: the 22 pairs in order, right-aligned in 8 and 6 after the first row",
       [](const Scenario& s) -> std::string {
         const int pairs[][2] = {
             {400, 70},   {600, 90},    {800, 70},   {2250, 80},   {3050, 100}, {3200, 80},  {5600, 100},
             {6900, 80},  {9250, 100},  {9900, 80},  {10300, 100}, {15900, 80}, {17000, 70}, {18450, 80},
             {18650, 90}, {19800, 100}, {26800, 85}, {27500, 70},  {28000, 85}, {28150, 95}, {28300, 100}};
         std::vector<std::string> rows = {"aderenza,   0,    100"};
         for (const auto& [position, value] : pairs) {
           char row[64];
           std::snprintf(row, sizeof row, "aderenza,%8d,%6d", position, value);
           rows.emplace_back(row);
         }
         return expectRows(s.trainRun, 6, rows);
       }},
      {"speed limits: the four rows",
       [](const Scenario& s) {
         return expectRows(s.trainRun, 29,
                           {"velocita,       0,    75", "velocita,   17050,    65",
                            "velocita,   18250,    75", "velocita,   22550,    60"});
       }},
      {"stations: the termini as quoted, 9750 and 22100 between, all in one column layout",
       [](const Scenario& s) -> std::string {
         if (s.stations.size() != 4) return std::to_string(s.stations.size()) + " rows";
         std::string ends = expectRows(
             s.trainRun, 34,
             {"stazione,       0, 12,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  16,57, 0, BORGOROSSO"});
         if (ends.empty())
           ends = expectRows(
               s.trainRun, 37,
               {"stazione,   28750,  1,  600,  0, 0, 0,  1,1,0,  2,1,1,    0,  17,27, 0, MONTEGRANO C."});
         if (!ends.empty()) return ends;
         const char* middle = "22,  300,  0, 0, 1,  0,0,0,  4,1,1,    0,   0, 0, 0, ";
         for (int i : {1, 2}) {
           const Station& st = s.stations[i];
           if (st.position != (i == 1 ? 9750 : 22100) || st.row.find(middle) != 19) return st.row;
         }
         std::vector<std::size_t> layout = commaColumns(s.stations[0].row, 17);
         for (const Station& st : s.stations) {
           if (commaColumns(st.row, 17) != layout) return "layout of " + st.row;
         }
         return "";
       }},
      {"stations: the intermediate names in capitals, the same in the timetable sheet",
       [](const Scenario& s) -> std::string {
         std::vector<std::string_view> sheet(timetableLines().begin(), timetableLines().end());
         const std::size_t sheetRow[] = {19, 22};
         for (int i : {1, 2}) {
           const std::string& name = s.stations[i].name;
           if (name.empty() ||
               std::any_of(name.begin(), name.end(), [](unsigned char c) { return std::islower(c); })) {
             return name;
           }
           if (sheet.size() <= sheetRow[i - 1] ||
               sheet[sheetRow[i - 1]].find("|   " + name + " ") == std::string::npos) {
             return name + " not in the sheet";
           }
         }
         return "";
       }},
      {"signals: the eight rows of the signal table, in the layout of the 5450 row",
       [](const Scenario& s) -> std::string {
         const int table[][5] = {{5450, 1, 4, 0, 0},    {6850, 2, 4, 0, 0},   {8200, 1, 4, 1, 0},
                                 {9200, 2, 4, 1, 0},    {20200, 1, 4, 1, 0},  {21700, 2, 4, 1, 0},
                                 {26900, 1, 3, 1, 245}, {27950, 2, 3, 1, 245}};
         if (s.signals.size() != 8) return std::to_string(s.signals.size()) + " rows";
         if (!hasRow(s.trainRun, "segnale,    5450,   1, 4, 0,  0, 0,    0,  0,0,0, 0")) return "5450 row";
         std::vector<std::size_t> layout = commaColumns(s.signals[0].row, 11);
         for (std::size_t i = 0; i < 8; ++i) {
           const Signal& sg = s.signals[i];
           std::vector<int> fields = {table[i][1], table[i][2], table[i][3], 0, 0, 0, 0, 0, 0, table[i][4]};
           if (sg.position != table[i][0] || sg.fields != fields || commaColumns(sg.row, 11) != layout)
             return sg.row;
         }
         return "";
       }},
      {"signals: warning then protection 1000 to 1500 m on; first pair 50 m after the Avv. and Prot. "
       "boards, the others' protection 400 to 800 m before a station",
       [](const Scenario& s) -> std::string {
         for (std::size_t i = 0; i + 1 < s.signals.size(); i += 2) {
           int warning = s.signals[i].position;
           int protection = s.signals[i + 1].position;
           if (protection - warning < 1000 || protection - warning > 1500)
             return "pair at " + std::to_string(warning);
         }
         const Board* avv = boardWith(s, "(Avv.  )(1 P.L.)");
         const Board* prot = boardWith(s, "(Prot. )(1 P.L.)");
         if (!avv || !prot || s.signals[0].position != avv->position + 50 ||
             s.signals[1].position != prot->position + 50) {
           return "first pair";
         }
         for (std::size_t pair = 1; pair < 4; ++pair) {
           int before = s.stations[pair].position - s.signals[2 * pair + 1].position;
           if (before < 400 || before > 800) return "pair before " + s.stations[pair].name;
         }
         return "";
       }},
      {"train run: no line holds the train number",
       [](const Scenario& s) -> std::string {
         for (const std::string& line : s.trainRun) {
           if (line.find("517") != std::string::npos) return line;
         }
         return "";
       }},
  };
  return bounds;
}

// What the compiler places on cells: each feature needs a cell of its own, and no signal or board may
// stand on a station's stop point.
const std::vector<Bound>& cellBounds() {
  static const std::vector<Bound> bounds = {
      {"cells: text boards, speed-indicator boards and signals each on a cell of their own",
       [](const Scenario& s) -> std::string {
         std::set<int> taken;
         std::vector<int> positions = s.speedBoards;
         for (const Board& b : s.boards) positions.push_back(b.position);
         for (const Signal& sg : s.signals) positions.push_back(sg.position);
         for (int p : positions) {
           if (!taken.insert(featureCell(p)).second) return "cell of " + std::to_string(p);
         }
         return taken.size() == 38 ? "" : std::to_string(taken.size()) + " cells";
       }},
      {"cells: no signal or text board on a station's stop point",
       [](const Scenario& s) -> std::string {
         std::set<int> stops;
         for (const Station& st : s.stations) stops.insert(stopCell(st));
         if (stops != std::set<int>{5, 198, 445, 580}) return "other stop points";
         for (const Signal& sg : s.signals) {
           if (stops.count(featureCell(sg.position))) return sg.row;
         }
         for (const Board& b : s.boards) {
           if (stops.count(featureCell(b.position))) return b.row;
         }
         return "";
       }},
  };
  return bounds;
}

TEST(EmbeddedScenario, KeepsEveryBoundOfItsContent) {
  Scenario s = parse();
  for (const auto* group : {&routeBounds(), &trainRunBounds(), &cellBounds()}) {
    for (const Bound& bound : *group) {
      EXPECT_EQ(bound.check(s), "") << bound.what;
    }
  }
}

// The parser above must see a broken row, or the bounds would pass on nothing.
TEST(EmbeddedScenario, BoundsCatchABrokenTable) {
  Scenario s = parse();
  s.curves[5].start = s.curves[4].start;  // no longer ascending
  s.gradients[10].value = 24;             // a second 24
  s.boards[3].position = 15950;           // onto the first speed-indicator board's cell
  s.signals[0].fields[9] = 7;             // a time on a warning signal
  auto failing = [&](const std::vector<Bound>& bounds) {
    int count = 0;
    for (const Bound& b : bounds) count += !b.check(s).empty();
    return count;
  };
  EXPECT_GE(failing(routeBounds()), 3);
  EXPECT_GE(failing(trainRunBounds()), 1);
  EXPECT_GE(failing(cellBounds()), 1);
}

// The compiler's view: the embedded scenario compiles without an error and its worked cells come out
// byte for byte in the track cell file.
TEST(EmbeddedScenario, CompilesCleanlyWithTheWorkedCells) {
  FakePlatform p;
  Form1 form(p, p, p.folder);
  form.Form_Load();
  EXPECT_EQ(form.model.errorCode, 0) << "at " << form.model.errorPosition;

  const std::string& cells = p.fs.files.at("/pack/Borgorosso_MontegranoC_517.dat");
  ASSERT_EQ(cells.size(), 15u * 798);
  auto record = [&](int i) { return cells.substr(15 * i, 15); };
  EXPECT_EQ(record(1), std::string("\x00\x01\x14\xE8\x09\x00\x00\x00\x00\x00\x00\x00\x0F\x63\x64", 15));
  EXPECT_EQ(record(110), std::string("\x01\x28\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x0F\x66\x50", 15));

  std::map<int, int> kinds;
  for (int i = 0; i <= 797; ++i) ++kinds[static_cast<unsigned char>(cells[15 * i])];
  EXPECT_EQ(kinds[1], 8);    // signals
  EXPECT_EQ(kinds[6], 3);    // speed-indicator boards
  EXPECT_EQ(kinds[10], 4);   // stop points
  EXPECT_EQ(kinds[14], 27);  // text boards
}

}  // namespace
}  // namespace pack
