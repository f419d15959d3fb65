// Decompiling small scenarios, one feature kind or one lost-information case each: compile, decompile,
// compile again must give the same bytes, and where the files left a choice the choice must be noted.
#include <gtest/gtest.h>

#include "tool/decompile/decompile_test_support.h"

namespace pack {
namespace {

using decompile_testing::compileSources;
using decompile_testing::decompileAndRecompile;
using decompile_testing::lines;
using decompile_testing::RoundTrip;

// A line of 3000 m: cells 0 to 200, features up to 9900 m.
std::string route(const std::vector<std::string>& general, const std::vector<std::string>& features) {
  std::vector<std::string> rows = {"[generale]", "lunghezza percorso, 3000"};
  rows.insert(rows.end(), general.begin(), general.end());
  rows.push_back("[curve]");
  rows.insert(rows.end(), features.begin(), features.end());
  rows.push_back("[fine]");
  return lines(rows);
}

std::string trainRun(const std::vector<std::string>& entries) {
  std::vector<std::string> rows = {"[generale]", "velocita, 0, 100", "aderenza, 0, 90"};
  rows.insert(rows.end(), entries.begin(), entries.end());
  rows.push_back("[fine]");
  return lines(rows);
}

struct Case {
  const char* name;
  std::vector<std::string> general;
  std::vector<std::string> features;
  std::vector<std::string> train;
  const char* noted;  // words of the note the choice must leave, or nothing
};

const Case kCases[] = {
    {"general values", {"progressiva chilometrica uno, 0, 150, 1", "sfondo uno, 3", "sfondo due, 4", "sfondo tre, 5",
                        "ripetizione segnali 9 codici, 100, 200"},
     {}, {"numero vetture, 11", "percentuale massa frenata, 97", "sabbia, -4", "orologio, 25, 61, -3"}, nullptr},
    {"kilometre posts ordered by position",
     {"progressiva chilometrica uno, 0, 900, 0", "progressiva chilometrica due, 600, 300, 1",
      "progressiva chilometrica tre, 300, 600, 0"},
     {}, {}, nullptr},
    {"kilometre posts sharing a position",
     {"progressiva chilometrica uno, 500, 900, 1", "progressiva chilometrica due, 100, 300, 0",
      "progressiva chilometrica tre, 100, 600, 1"},
     {}, {}, nullptr},
    {"gradients, also in the last cells", {},
     {"pendenza, 0, -5", "pendenza, 500, 12", "pendenza, 525, 3", "pendenza, 9500, 155", "pendenza, 9900, -100",
      "pendenza, 9900, 55", "pendenza, 9900, 7"},
     {}, nullptr},
    {"curves of every class and side", {},
     {"curvad1, 100, 50", "curvas2, 150, 30", "curvad3, 300, 100", "curvas4, 500, 20", "curvad5, 600, 40",
      "curvas6, 700, 10", "curvad4, 2000, 200", "curvas3, 9800, 190"},
     {}, nullptr},
    {"mountains of every kind", {},
     {"montagna, 1000, 1400, 1", "montagna, 0, 50, 1", "montagna, 1400, 1600, 2", "montagna, 2000, 3000, 11",
      "montagna, 3000, 3400, 13", "montagna, 4000, 4200, 3", "montagna, 4200, 4500, 13", "montagna, 6000, 6300, 12",
      "cartello_indicatore, 2300, (F)"},
     {"segnale, 2550, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"}, "keeps them apart"},
    {"speed-indicator boards", {},
     {"indicatori_vmax, 1000, 60, 70, 80, 2, 30, 0, 5, 1", "indicatori_vmax, 2000, -3, 0, 0, -1, 5, 0, 0, -7",
      "indicatori_vmax, 3000, 1600, 0, 0, 3276, 0, 0, 0, 7"},
     {}, nullptr},
    {"text boards", {},
     {"cartello_indicatore, 700, (F)", "cartello_indicatore, 900, (P.L.      )(Km 1-284)",
      "cartello_indicatore, 1500,", "cartello_indicatore, 1600, (Citt\xE0)"},
     {}, nullptr},
    {"a board under a station's stop point", {},
     {"cartello_indicatore, 700, (F)", "cartello_indicatore, 2100, (Ponte)"},
     {"stazione, 2000, 12, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NORD"}, "lies under the stop point"},
    {"signals", {}, {},
     {"segnale, 1000, 2, 3, 1, 4, 1, 1, 5, 6, 7, 245", "segnale, 2000, 1, 4, 0, 0, 0, 0, 0, 0, 0, 245",
      "segnale, 3000, 0, 0, 0, 0, 0, 2, 4, 4, 4, 0", "segnale, 4000, 2, 0, 0, 0, 12, 2, 0, 0, 0, 0"},
     nullptr},
    {"a signal time of 1 to 100", {}, {}, {"segnale, 1000, 2, 3, 1, 4, 1, 1, 5, 6, 7, 50"}, "time of 101"},
    {"slow-downs", {}, {},
     {"rallentamento, 3000, 60, 500, 1, 1, 7", "rallentamento, 1000, 120, 200, 0, 0, 0",
      "rallentamento, 6000, 30, 0, -2, 0, 0", "segnale, 6500, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"},
     nullptr},
    {"a slow-down starting inside its cell", {}, {}, {"rallentamento, 1510, 50, 0, 0, 0, 0"}, "1501 written"},
    {"code points", {}, {},
     {"abbattimento, 4000, 120", "abbattimento, 4100, 0", "abbattimento, 4200, 180", "abbattimento, 4300, 70000"},
     nullptr},
    {"a code point lowered by the completion", {}, {},
     {"rallentamento, 5000, 120, 100, 0, 0, 0", "segnale, 3450, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0",
      "abbattimento, 3400, 0", "abbattimento, 3450, 200"},
     nullptr},
    {"stations of every layout", {}, {},
     {"stazione, 0, 12, 600, 1, 1, 0, 4, 1, 0, 2, 1, 1, 1, 16, 57, 0, ALFA",
      "stazione, 2000, 22, 300, 0, 0, 3, 0, 0, 0, 4, 1, 1, 0, 0, 0, 0, BETA DUE",
      "stazione, 3000, 5, 400, 0, 0, 0, -7, 300, 255, 4, 1, 1, 0, 25, 0, 1, GAMMA",
      "stazione, 4000, 7, 200, 9, 1, 1, 0, 0, 0, 0, 0, 0, 0, -1, 0, 0, DELTA",
      "stazione, 5000, 30, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, EPSILON",
      "stazione, 6000, 1, 600, 0, 1, 0, 1, 1, 0, 2, 1, 1, 0, 17, 27, 0, ZETA"},
     nullptr},
    {"the first station's extension", {}, {},
     {"stazione, 0, 12, 600, 1, 0, 1, 4, 1, 0, 2, 1, 1, 1, 16, 57, 0, ALFA"}, "first station keeps no extension"},
    {"profiles up to the last cells", {}, {},
     {"velocita, 1000, 60", "velocita, 1025, 70", "velocita, 9900, 50", "velocita, 9900, 55", "velocita, 9900, 5",
      "aderenza, 300, 255", "aderenza, 9900, 70"},
     nullptr},
    {"a signal marked over by a station", {}, {},
     {"segnale, 2150, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0",
      "stazione, 2000, 12, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NORD"},
     nullptr},
    {"a station marked over by a signal", {}, {},
     {"stazione, 2000, 12, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NORD",
      "segnale, 2150, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"},
     nullptr},
};

class SmallScenario : public testing::TestWithParam<Case> {};

TEST_P(SmallScenario, RecompilesToTheSameBytes) {
  const Case& c = GetParam();
  decompile_testing::Compiled compiled = compileSources(route(c.general, c.features), trainRun(c.train));
  ASSERT_FALSE(compiled.fatal);
  ASSERT_EQ(compiled.errorCode, 0) << "the case itself must compile cleanly";
  RoundTrip trip = decompileAndRecompile(compiled.files);
  EXPECT_TRUE(trip.identical()) << trip.report();
  if (c.noted != nullptr) {
    EXPECT_TRUE(trip.noted(c.noted)) << "no note with \"" << c.noted << "\"\n" << trip.report();
    // Each choice is also a comment line of the source, just before the entry it concerns.
    EXPECT_NE((trip.route + trip.trainRun).find("\r\n-- "), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(EachFeature, SmallScenario, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p != '\0'; ++p) {
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           }
                           return name;
                         });

TEST(Decompile, WithoutThePlanWritesNoCurvesAndSaysSo) {
  std::string source = route({}, {"curvad3, 300, 100", "pendenza, 0, 4"});
  decompile_testing::Compiled compiled = compileSources(source, trainRun({}), false);
  RoundTrip trip = decompileAndRecompile(compiled.files);
  EXPECT_TRUE(trip.identical()) << trip.report();
  EXPECT_TRUE(trip.noted("without curves"));
  EXPECT_EQ(trip.route.find("curva"), std::string::npos);
}

TEST(Decompile, AnAutomaticCodePointIsLeftToTheCompletion) {
  // The slow-down's windows and walk get code points with the automatic code; none of them is written.
  decompile_testing::Compiled compiled =
      compileSources(route({}, {}), trainRun({"rallentamento, 3000, 50, 1000, 0, 0, 0"}));
  RoundTrip trip = decompileAndRecompile(compiled.files);
  EXPECT_TRUE(trip.identical()) << trip.report();
  EXPECT_EQ(trip.trainRun.find("abbattimento"), std::string::npos) << trip.trainRun;
}

// Cells no source can give: each is named, and the rest is still written.
struct Damage {
  const char* name;
  void (*apply)(CompiledScenario&);
  const char* where;
};

const Damage kDamages[] = {
    {"unknown cell kind", [](CompiledScenario& f) { f.cells[40].kind = 7; }, "cell 40"},
    {"a marker out of step", [](CompiledScenario& f) { f.cells[41].kind = kMountainMark; f.cells[41].mountainKind = 1; },
     "cell 41"},
    {"a signal time on a warning signal", [](CompiledScenario& f) { f.cells[21].signalTime = 3; }, "cell 21"},
    {"a wrong identification code", [](CompiledScenario& f) { f.cells[1].value2 = 7; }, "cell 1"},
    {"a station name with a comma", [](CompiledScenario& f) { f.table[1].text = "A,B"; }, "row 1"},
    {"a board row nothing points to",
     [](CompiledScenario& f) { f.table[80].text = "(F)"; }, "row 80"},
    {"a stray approach mark", [](CompiledScenario& f) { f.cells[90].approachMark = 33; }, "cell 90"},
    {"a plan point off its curve", [](CompiledScenario& f) { (*f.plan)[500].x.value += 1e-9; }, "plan metre 500"},
};

class DamagedFiles : public testing::TestWithParam<Damage> {};

TEST_P(DamagedFiles, NameWhatCannotBeExplained) {
  decompile_testing::Compiled compiled =
      compileSources(route({}, {"curvad3, 300, 300"}), trainRun({"segnale, 1000, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"}));
  GetParam().apply(compiled.files);
  RoundTrip trip = decompileAndRecompile(compiled.files);
  EXPECT_FALSE(trip.identical());
  bool named = false;
  for (const auto* list : {&trip.sources.problems, &trip.differences}) {
    for (const DecompileMessage& m : *list) named = named || m.where == GetParam().where;
  }
  EXPECT_TRUE(named) << trip.report();
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedFiles, testing::ValuesIn(kDamages),
                         [](const testing::TestParamInfo<Damage>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p != '\0'; ++p) {
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace pack
