// The reference for authors: docs/formats.md is the generated Markdown, every example line is a clean
// entry of its source, and the command picks sources and entries by name or by key.
#include "tool/describe/formats_reference.h"

#include <gtest/gtest.h>

#include "compiler/cell_codec.h"
#include "formats/route_format.h"
#include "formats/train_run_format.h"
#include "tool/check/source_lint.h"
#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

using tool_testing::runToolCaptured;

// The text with every run of blanks and line ends as one blank, so that wrapping does not matter.
std::string flat(std::string_view text) {
  std::string out;
  for (char c : text) {
    bool blank = c == ' ' || c == '\n';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  return out;
}

TEST(FormatsReference, DocsFormatsMdIsTheGeneratedMarkdown) {
  std::string committed = tool_testing::readBytes(std::string(PACK_SOURCE_DIR) + "/docs/formats.md");
  std::optional<std::string> generated = formatsReference({}, true);
  ASSERT_TRUE(generated);
  EXPECT_TRUE(committed == *generated)
      << "docs/formats.md is out of date: run build/bin/scenario-tool formats --markdown > docs/formats.md";
}

std::string warningsOf(const std::vector<LintWarning>& warnings) {
  std::string text;
  for (const LintWarning& w : warnings) text += formatWarning(w) + "\n";
  return text;
}

// Each example, in a source that holds nothing else but what it needs, gives no warning.
TEST(FormatsReference, EveryExampleIsACleanEntryOfItsSource) {
  const std::string head = "[generale]\r\nlunghezza percorso,    32850\r\n";
  for (const EntryDefinition* e : routeGeneralEntries()) {
    std::string source = head + std::string(e->example) + "\r\n[curve]\r\n[fine]\r\n";
    EXPECT_EQ(warningsOf(lintRouteSource(source, "linea.txt", true)), "") << e->example;
  }
  for (const EntryDefinition* e : routeFeatureEntries()) {
    std::string source = head + "[curve]\r\n" + std::string(e->example) + "\r\n[fine]\r\n";
    EXPECT_EQ(warningsOf(lintRouteSource(source, "linea.txt", true)), "") << e->example;
  }
  for (const EntryDefinition* e : kTrainRunEntries) {
    std::string source = "[generale]\r\n" + std::string(e->example) + "\r\n[fine]\r\n";
    EXPECT_EQ(warningsOf(lintTrainRunSource(source, "517-.txt", RouteFacts{32850})), "") << e->example;
  }
}

// Every code of every coded value reaches the reference, beside its entry.
TEST(FormatsReference, ShowsEveryCodeOfEveryCodedValue) {
  std::vector<const EntryDefinition*> entries(kTrainRunEntries, std::end(kTrainRunEntries));
  for (const EntryDefinition* e : routeGeneralEntries()) entries.push_back(e);
  for (const EntryDefinition* e : routeFeatureEntries()) entries.push_back(e);
  for (const EntryDefinition* e : entries) {
    std::string text = flat(formatsLookup(e->writtenKey, true, true).value_or(""));
    std::string markdown = formatsReference({true, true, std::string(e->writtenKey)}, true).value_or("");
    for (const ValueDefinition& v : e->values) {
      for (const ValueCode& c : v.codes) {
        EXPECT_NE(text.find(flat(c.meaning)), std::string::npos) << e->writtenKey << ": " << c.meaning;
        EXPECT_NE(markdown.find(std::string(c.meaning)), std::string::npos) << e->writtenKey << ": " << c.meaning;
      }
    }
  }
}

TEST(FormatsCommand, ShowsTheEntriesAKeyIsReadAs) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> shown;      // in the output
    std::vector<std::string> notShown;   // not in it
  } cases[] = {
      {{"formats", "run", "segnale"}, 0, {"segnale", "time (tempo)", "a signal time of 1 to 100 is taken as 101"},
       {"stazione", "Reading rules"}},
      {{"formats", "curvaS3"}, 0, {"The route description", "curvad5", "radius 10000"}, {"pendenza,"}},
      {{"formats", "PENDENZA"}, 0, {"gradient", "per mille", "-100 to 155", "Example: pendenza,  350,   5"}, {}},
      {{"formats", "stazione"}, 0, {"[stazioni]", "attribute I", "any, 0 to 255", "MONTEGRANO C."}, {"[segnali]"}},
      {{"formats", "route"}, 0, {"Reading rules", "[indicazioni]", "cartello_indicatore"}, {"stazione"}},
      {{"formats"}, 0, {"[generale]", "lunghezza percorso", "abbattimento", "[fine]"}, {}},
      {{"formats", "segnale"}, 0, {"0: no signal on this side", "101 to 255:"}, {}},
      {{"formats", "--markdown", "run", "sabbia"}, 0, {"#### `sabbia`", "| 1 | sand |  | 16-bit | at least 0 |"}, {}},
      {{"formats", "route", "stazione"}, 0,
       {"not part of the route description", "train run description (SCENARIO_TRAIN-.txt), under [stazioni]",
        "attribute I"},
       {"pendenza"}},
      {{"formats", "run", "pendenza"}, 0, {"route description (SCENARIO_linea.txt), under [pendenze]"}, {"stazione"}},
      {{"formats", "generale"}, 0, {"lunghezza percorso", "numero vetture", "orologio"}, {"pendenza", "[segnali]"}},
      {{"formats", "cartello"}, 0, {"[indicazioni]", "cartello_indicatore", "(Cippo"}, {"indicatori_vmax"}},
      {{"formats", "montagne"}, 0, {"[montagne]", "montagna", "11: the first kind"}, {"pendenza"}},
      {{"formats", "indicatori"}, 0, {"indicatori_vmax", "strisced"}, {"cartello_indicatore"}},
      {{"formats", "placement"}, 0,
       {"Placement and spacing", std::to_string(codec::kWarningDistance) + " m",
        std::to_string(codec::kStationSpacing) + " m"},
       {"lunghezza percorso"}},
      {{"formats", "kilometre"}, 0, {"Kilometre posts", "count down"}, {"Placement"}},
      {{"formats", "rules"}, 0, {"Reading rules", "code page 1252"}, {"Kilometre posts", "Values:"}},
      {{"formats"}, 0, {"formats WORD", "placement", "[stazioni] stazione", "[montagne] montagna"}, {"Values:"}},
      {{"formats", "all"}, 0, {"Reading rules", "Placement and spacing", "Values:", "abbattimento"}, {}},
      {{"formats", "run", "tempo"}, 64, {}, {}},
      {{"formats", "treno"}, 64, {}, {}},
      {{"formats", "pendenza", "route"}, 64, {}, {}},
      {{"formats", "route", "pendenza", "curva"}, 64, {}, {}},
      {{"formats", "--help"}, 0, {"Usage: scenario-tool formats [OPTIONS] [WHAT...]"}, {"(0x)"}},
  };
  for (const Case& c : cases) {
    tool_testing::ToolRun run = runToolCaptured(c.args);
    std::string what = c.args.back();
    EXPECT_EQ(run.status, c.status) << what << "\n" << run.err;
    std::string out = flat(run.out);
    for (const std::string& s : c.shown) EXPECT_NE(out.find(flat(s)), std::string::npos) << what << ": " << s;
    for (const std::string& s : c.notShown) EXPECT_EQ(out.find(flat(s)), std::string::npos) << what << ": " << s;
    if (c.status != 0) {
      EXPECT_NE(run.err.find("scenario-tool formats:"), std::string::npos) << run.err;
    }
  }
}

}  // namespace
}  // namespace pack
