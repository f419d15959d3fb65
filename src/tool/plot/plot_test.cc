// scenario-tool plot: axis spacing at any length, the line's own kilometre posts, the plan that belongs
// to the cells, and the interactive page (its behaviour in a browser is tested by viewer_browser_test.py).
#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool/plot/plot_data.h"
#include "tool/plot/plot_html.h"
#include "tool/plot/plot_design.h"
#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;
using tool_testing::writeBytes;

using tool_testing::kRoute;
using tool_testing::kTrain;
constexpr const char* kSvg = "Borgorosso_MontegranoC_517.svg";
constexpr const char* kHtml = "Borgorosso_MontegranoC_517.html";

class Plot : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(runToolCaptured({"export", dir()}).status, 0); }

  std::string dir() const { return folder_.str(); }
  std::string file(const std::string& name) const { return (folder_.path() / name).string(); }

  void edit(const std::string& name, const std::string& from, const std::string& to) {
    std::string bytes = readBytes(file(name));
    std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    writeBytes(file(name), bytes.replace(at, from.size(), to));
  }

  void compile(std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"compile"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(dir());
    ASSERT_EQ(runToolCaptured(args).status, 0);
  }

  TempFolder folder_;
};

TEST(PlotAxes, AtMostAboutADozenRoundLabelsAtAnyLength) {
  const std::pair<double, double> steps[] = {{5000, 500}, {39850, 5000}, {107000, 10000}, {1007000, 100000}};
  for (const auto& [span, step] : steps) EXPECT_EQ(niceStep(span, 12), step) << span;

  ScenarioTable table;
  table[kRowKilometreTre] = ScenarioRecord{};
  table[kRowKilometreTre].numberA = 0;
  table[kRowKilometreTre].numberB = 160950;
  for (std::int64_t length : {12000, 39850, 107000, 400000, 1007000}) {
    KilometreScale scale(table, {});
    std::int64_t step = static_cast<std::int64_t>(niceStep(static_cast<double>(length), 12));
    std::vector<std::int64_t> posts = scale.roundPosts(0, length, step);
    EXPECT_GE(posts.size(), 2u) << length;
    EXPECT_LE(posts.size(), 13u) << length;
    for (std::int64_t m : posts) EXPECT_EQ(scale.at(m) % step, 0) << length << " at " << m;
  }
}

TEST(PlotAxes, KilometrePostsRunWithTheLine) {
  ScenarioTable table;
  table[kRowKilometreTre].numberB = 160950;
  // Boards whose "Km" items fall along the line make the count run down.
  table[80].text = "(Cippo     )(Km 151+997)";
  table[79].text = "(Cippo     )(Km 147+622)";
  std::vector<TrackCell> cells(300);
  cells[100].kind = kTextBoard;
  cells[100].value1 = 80;
  cells[200].kind = kTextBoard;
  cells[200].value1 = 79;
  KilometreScale down(table, cells);
  EXPECT_TRUE(down.descending());
  EXPECT_EQ(down.at(1000), 159950);
  EXPECT_EQ(down.roundPosts(0, 5000, 1000).front(), 950);  // post 160+000

  // Two definitions give the direction themselves.
  table[kRowKilometreDue].numberA = 10000;
  table[kRowKilometreDue].numberB = 20000;
  table[kRowKilometreTre].numberB = 10000;
  KilometreScale up(table, cells);
  EXPECT_FALSE(up.descending());
  EXPECT_EQ(up.at(12000), 22000);
  EXPECT_EQ(up.at(500), 10500);
}

TEST(PlotPlan, APlanFromAnotherCompileIsTold) {
  // The embedded scenario: 39851 metres of plan, 798 cells, a route of 32850 m.
  EXPECT_EQ(planMismatch(39851, 798, 32850, 2000), std::nullopt);
  EXPECT_EQ(planMismatch(39851, 798, 32850, std::nullopt), std::nullopt);
  struct Case {
    std::size_t planMetres, cells;
    std::int32_t route;
    std::optional<std::int64_t> olderBy;
    const char* words;
  };
  const Case cases[] = {
      {39851, 680, 27000, 0, "but the track cell file has 680 cells"},
      {39851, 798, 32800, 0, "but the route is 32800 m long"},
      {39851, 798, 32850, 3600 * 1000, "3600 s older than the track cell file"},
  };
  for (const Case& c : cases) {
    std::optional<std::string> why = planMismatch(c.planMetres, c.cells, c.route, c.olderBy);
    ASSERT_TRUE(why) << c.words;
    EXPECT_NE(why->find(c.words), std::string::npos) << *why;
  }
}

TEST_F(Plot, APlanLeftByAnEarlierCompileIsRefused) {
  compile();
  edit(kRoute, "lunghezza percorso,    32850", "lunghezza percorso,    30000");
  compile({"--no-plan"});
  tool_testing::ToolRun run = runToolCaptured({"plot", dir()});
  EXPECT_EQ(run.status, 65);
  EXPECT_NE(run.err.find("does not belong to"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("plot with --no-plan"), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;

  run = runToolCaptured({"plot", "--no-plan", dir()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(readBytes(file(kSvg)).find("No plan file"), std::string::npos);
}

TEST_F(Plot, TheSvgMarksTheRouteEndAndAStationBeyondIt) {
  // A route shorter than the train run: the last station stands in the run-out.
  edit(kRoute, "lunghezza percorso,    32850", "lunghezza percorso,    28000");
  compile();
  tool_testing::ToolRun run = runToolCaptured({"plot", dir()});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string svg = readBytes(file(kSvg));
  for (const char* words : {"end of route 28 km", "MONTEGRANO C. (beyond the end)", "160+950 at 0 m, counting down",
                            "run-out beyond the route's end", "SASSOCANDIDO", "Curves: right above",
                            // Tooltips give where the author placed a signal, and its line.
                            "<title>signal: left warning, right none, placed at 5450 m",
                            "(at 5450 m, km 155+500) - Borgorosso_MontegranoC_517-.txt:"}) {
    EXPECT_NE(svg.find(words), std::string::npos) << words;
  }
}

// Beside a 5 km route the 7 km run-out is compressed into a quarter of the width; a long line is linear.
TEST_F(Plot, AShortRoutesRunOutIsDrawnCompressed) {
  const std::string compressed = "the run-out beyond the route's end is drawn compressed";
  compile();
  ASSERT_EQ(runToolCaptured({"plot", dir()}).status, 0);
  EXPECT_EQ(readBytes(file(kSvg)).find(compressed), std::string::npos);

  ASSERT_EQ(runToolCaptured({"new", dir(), "Breve", "1"}).status, 0);
  ASSERT_EQ(runToolCaptured({"compile", dir(), "Breve", "1"}).status, 0);
  tool_testing::ToolRun run = runToolCaptured({"plot", dir(), "Breve", "1"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string svg = readBytes(file("Breve_1.svg"));
  EXPECT_NE(svg.find(compressed), std::string::npos);
  EXPECT_NE(svg.find("end of route 5 km"), std::string::npos);
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The speed panel draws the line's limit once, and the slowed speed only over the slow-down (a red line
// over all of the grey one hid it); every signal of a warning and protection pair a short way apart
// gets its label.
TEST_F(Plot, TheSpeedPanelShowsTheLimitOnceAndEverySignalIsLabelled) {
  const std::string slowedLine = "<polyline fill=\"none\" stroke=\"" + plotDesign().colours.effectiveSpeed + "\"";
  compile();
  ASSERT_EQ(runToolCaptured({"plot", dir()}).status, 0);
  std::string svg = readBytes(file(kSvg));
  EXPECT_EQ(occurrences(svg, slowedLine), 0u) << "the embedded run has no slow-down";
  const std::string signal = "fill=\"" + plotDesign().colours.signal + "\"";
  EXPECT_EQ(occurrences(svg, signal + ">warning<") + occurrences(svg, signal + " text-anchor=\"end\">warning<"), 4u);
  EXPECT_EQ(occurrences(svg, signal + ">protection<") + occurrences(svg, signal + " text-anchor=\"end\">protection<"), 4u);

  ASSERT_EQ(runToolCaptured({"new", dir(), "Breve", "1"}).status, 0);
  ASSERT_EQ(runToolCaptured({"compile", dir(), "Breve", "1"}).status, 0);
  ASSERT_EQ(runToolCaptured({"plot", dir(), "Breve", "1"}).status, 0);
  EXPECT_EQ(occurrences(readBytes(file("Breve_1.svg")), slowedLine), 1u) << "the starter has one slow-down";
}

// The SVG's panels in order, with what the run and the timetable draw in them: each panel's title, the
// run's lines, each timetable section's verdict and title, each scheduled stop. Not the pixels.
std::string svgStructure(const std::string& svg) {
  static const std::regex marker(
      "<text [^>]*font-weight=\"bold\" font-size=\"12\">([^<]*)</text>|<g id=\"(run-[a-z]+)\"><title>([^<]*)</title>|"
      "<g class=\"section\" data-verdict=\"([^\"]*)\"><title>([^<]*)</title>|class=\"stop\"><title>([^<]*)</title>");
  std::string out;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), marker); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    if (m[1].matched) out += "panel: " + m[1].str() + "\n";
    else if (m[2].matched) out += "  " + m[2].str() + ": " + m[3].str() + "\n";
    else if (m[4].matched) out += "  section " + m[4].str() + ": " + m[5].str() + "\n";
    else out += "  stop: " + m[6].str() + "\n";
  }
  return out;
}

TEST_F(Plot, TheSvgDrawsTheRunAndTheTimetableInTheirPanels) {
  compile();
  ASSERT_EQ(runToolCaptured({"plot", dir()}).status, 0);
  EXPECT_EQ(svgStructure(readBytes(file(kSvg))),
            readBytes(std::string(PACK_SOURCE_DIR) + "/tests/data/plot/embedded_svg_structure.txt"));
}

// The page carries everything it needs: no file or address outside it, and its data names the source
// line of each feature.
TEST_F(Plot, TheHtmlPageIsSelfContainedAndPointsAtTheSources) {
  compile();
  tool_testing::ToolRun run = runToolCaptured({"plot", "--html", dir(), "-o", file("page")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(std::filesystem::exists(file(kSvg)));  // --html alone writes the page only
  std::string html = readBytes(file("page/" + std::string(kHtml)));
  std::string withoutNamespace = html;
  for (std::size_t at; (at = withoutNamespace.find("http://www.w3.org/2000/svg")) != std::string::npos;) {
    withoutNamespace.erase(at, 26);
  }
  for (const char* outside : {"http:", "https:", " src=", "<link", "@import", "url(http"}) {
    EXPECT_EQ(withoutNamespace.find(outside), std::string::npos) << outside;
  }
  const std::string open = "<script type=\"application/json\" id=\"data\">";
  std::size_t begin = html.find(open);
  ASSERT_NE(begin, std::string::npos);
  begin += open.size();
  nlohmann::json data = nlohmann::json::parse(html.substr(begin, html.find("</script>", begin) - begin));
  EXPECT_EQ(data["routeLength"], 32850);
  EXPECT_EQ(data["stations"].size(), 4u);
  EXPECT_EQ(data["stations"][1]["m"], 9750);

  // The signal of "segnale,    5450, ..." is placed at 5450 m and names its line.
  std::string train = readBytes(file(kTrain));
  std::size_t line = 1 + std::count(train.begin(), train.begin() + train.find("segnale,    5450"), '\n');
  bool found = false;
  for (const nlohmann::json& f : data["features"]) {
    if (f["k"] != "signal" || f["m"] != 5450) continue;
    found = true;
    EXPECT_EQ(f["label"], "warning");
    EXPECT_EQ(data["sources"][f["src"][0].get<int>()], kTrain);
    EXPECT_EQ(f["src"][1], line);
  }
  EXPECT_TRUE(found);
}

// The file names are made once from the scenario's names: an accented name must not be converted twice.
TEST_F(Plot, AScenarioWithAnAccentedNameIsFoundAndDrawn) {
  for (const char* source : {"Borgorosso_MontegranoC_linea.txt", "Borgorosso_MontegranoC_517-.txt"}) {
    std::string renamed = std::string(source);
    renamed.replace(0, std::string("Borgorosso_MontegranoC").size(), "Citt\xC3\xA0");
    std::filesystem::rename(file(source), file(renamed));
  }
  ASSERT_EQ(runToolCaptured({"compile", dir(), "Citt\xC3\xA0", "517"}).status, 0);
  tool_testing::ToolRun run = runToolCaptured({"plot", "-o", file("citta.svg"), dir(), "Citt\xC3\xA0", "517"});
  EXPECT_EQ(run.status, 0) << run.err;
  run = runToolCaptured({"plot", "--html", dir(), "Citt\xC3\xA0", "517"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(file("citta.svg")));
  EXPECT_TRUE(std::filesystem::exists(file("Citt\xC3\xA0_517.html")));
}

// -o names the file when the name ends in the kind written (or is a file already), a folder otherwise,
// and missing folders are made; a name of the other kind is refused rather than made a folder of.
TEST_F(Plot, OutputNamesAFileByItsExtensionAndAFolderOtherwise) {
  compile();
  struct Case {
    bool html;
    std::string output;   // under a fresh folder; empty: no -o
    int status;
    std::string written;  // under that folder (under DIR without -o); empty: nothing
  };
  const Case cases[] = {
      {false, "", 0, kSvg},
      {true, "", 0, kHtml},
      {false, "pics/deeper/x.svg", 0, "pics/deeper/x.svg"},
      {false, "pics/X.SVG", 0, "pics/X.SVG"},
      {false, "pics", 0, std::string("pics/") + kSvg},
      {true, "view/page.html", 0, "view/page.html"},
      {true, "view", 0, std::string("view/") + kHtml},
      {false, "old-picture", 0, "old-picture"},  // a picture of ours already there, under any name
      {true, "picture.svg", 64, ""},
      {false, "page.html", 64, ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::filesystem::path out = folder_.path() / ("out" + std::to_string(++n));
    std::filesystem::create_directory(out);
    std::filesystem::remove(file(kSvg));
    std::filesystem::remove(file(kHtml));
    writeBytes(out / "old-picture", "<svg></svg>");
    std::vector<std::string> args = {"plot", dir()};
    if (c.html) args.push_back("--html");
    if (!c.output.empty()) args.insert(args.end(), {"-o", (out / c.output).string()});
    tool_testing::ToolRun run = runToolCaptured(args);
    EXPECT_EQ(run.status, c.status) << c.output << ": " << run.err;
    const std::filesystem::path where = (c.output.empty() ? folder_.path() : out) / c.written;
    if (c.written.empty()) {
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 1) << c.output;
    } else {
      EXPECT_EQ(run.out, "wrote " + where.string() + "\n") << c.output;
      EXPECT_NE(readBytes(where).find(c.html ? "<html" : "<svg"), std::string::npos) << c.output;
    }
  }
}

// The form of earlier versions, `plot --html PAGE DIR`, would now read PAGE as the folder: it is refused
// with the form to use instead, and no folder is made of the page's name. A folder that is named so is
// still a folder.
TEST_F(Plot, AnHtmlNameWhereTheFolderGoesIsRefusedWithTheFormToUse) {
  compile();
  const std::string page = file("out.html");
  tool_testing::ToolRun run = runToolCaptured({"plot", "--html", page, dir()});
  EXPECT_EQ(run.status, 64);
  EXPECT_NE(run.err.find("plot --html DIR -o " + page), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(page));

  const std::string folder = file("pages.html");
  ASSERT_EQ(runToolCaptured({"compile", dir(), "-o", folder}).status, 0);
  run = runToolCaptured({"plot", "--html", folder});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/" + kHtml));
}

// Sources saved after the compile are said on standard error and shown on the page, whose data carries
// the note; sources older than the compiled files are not.
TEST_F(Plot, SourcesNewerThanTheCompiledFilesAreSaid) {
  compile();
  const auto compiled = std::filesystem::last_write_time(file("Borgorosso_MontegranoC_517.sim"));
  std::filesystem::last_write_time(file(kTrain), compiled + std::chrono::seconds(5));
  for (bool html : {false, true}) {
    std::vector<std::string> args = {"plot", dir()};
    if (html) args.push_back("--html");
    tool_testing::ToolRun run = runToolCaptured(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "scenario-tool plot: " + dir() + ": " + std::string(kSourcesNewerNote) + "\n");
  }
  EXPECT_NE(readBytes(file(kHtml)).find("\"sourcesNewer\":\"" + std::string(kSourcesNewerNote) + "\""),
            std::string::npos);

  std::filesystem::last_write_time(file(kTrain), compiled - std::chrono::seconds(5));
  tool_testing::ToolRun run = runToolCaptured({"plot", "--html", dir()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_NE(readBytes(file(kHtml)).find("\"sourcesNewer\":null"), std::string::npos);
}

// Text from the sources is data, never markup: whatever a name holds, the page's data element holds no
// '<', '>' or '&' and no line separator, and reads back as the same text.
TEST(PlotPage, TheDataEscapesEverythingThatIsNotPlainText) {
  const std::string hostile[] = {"<!--<script>", "</script><script>alert(1)</script>", "<img src=x onerror=alert(1)>",
                                 "a & b > c", "line\xE2\x80\xA8separator\xE2\x80\xA9"};
  for (const std::string& name : hostile) {
    PlotData d;
    d.title = name;
    d.trackLength = 1000;
    d.stations.push_back({Station{1, name, 0, 500, 400, 600, 0}, false, {}});
    std::string page = renderViewerPage(&d, {});
    const std::string open = "<script type=\"application/json\" id=\"data\">";
    std::size_t begin = page.find(open) + open.size(), end = page.find("</script>", begin);
    std::string data = page.substr(begin, end - begin);
    EXPECT_EQ(data.find_first_of("<>&"), std::string::npos) << data;
    EXPECT_EQ(data.find("\xE2\x80\xA8"), std::string::npos) << name;
    EXPECT_EQ(data, viewerDataJson(d));
    nlohmann::json parsed = nlohmann::json::parse(data);
    EXPECT_EQ(parsed["stations"][0]["name"], name);
    EXPECT_EQ(parsed["title"], name);
    if (name.find('<') != std::string::npos) {
      EXPECT_EQ(page.find(name), std::string::npos) << "raw: " << name;
    }
  }
}

// A live page without a drawing yet carries null data and says it is live; the static page does not.
TEST(PlotPage, ALivePageMayStartWithoutData) {
  std::string live = renderViewerPage(nullptr, {.live = true, .title = "Linea <nuova>"});
  EXPECT_NE(live.find("<body data-live=\"1\">"), std::string::npos);
  EXPECT_NE(live.find("id=\"data\">null</script>"), std::string::npos);
  EXPECT_NE(live.find("<title>Linea &lt;nuova&gt;</title>"), std::string::npos);
  PlotData d;
  d.trackLength = 1000;
  EXPECT_NE(renderScenarioHtml(d).find("<body>"), std::string::npos);
}

// The page draws from the design it carries: the panels in the SVG's order, with its heights.
TEST(PlotPage, TheDataCarriesThePlotDesign) {
  PlotData d;
  d.trackLength = 1000;
  nlohmann::json design = nlohmann::json::parse(viewerDataJson(d))["design"];
  const PlotDesign& s = plotDesign();
  ASSERT_EQ(design["panels"].size(), s.panels.size());
  for (std::size_t i = 0; i < s.panels.size(); ++i) {
    EXPECT_EQ(design["panels"][i]["id"], s.panels[i].id);
    EXPECT_EQ(design["panels"][i]["height"], s.panels[i].height);
  }
  EXPECT_EQ(design["curveRadii"][1], 10000);
  EXPECT_EQ(design["curveRadii"][6], 333);
  EXPECT_EQ(design["lanes"]["signal"], 0);
  EXPECT_EQ(design["lanes"]["stop-point"], -1);
}

}  // namespace
}  // namespace pack
