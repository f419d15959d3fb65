#include "app/form1.h"

#include <gtest/gtest.h>

#include "app/fatal_error.h"
#include "compiler/minimo.h"
#include "formats/file_names.h"
#include "output/compiled_files.h"
#include "output/pack_payload.h"
#include "writers/embedded_tables.h"
#include "platform/fake_platform.h"

namespace pack {
namespace {

TEST(Minimo, ReturnsTheFirstOnATie) {
  EXPECT_EQ(minimo(180, 180), 180);
  EXPECT_EQ(minimo(180, 120), 120);
  EXPECT_EQ(minimo(120, 180), 120);
  std::int16_t a = 5;
  std::int16_t b = 5;
  EXPECT_EQ(&minimo<const std::int16_t&>(a, b), &a);
}

TEST(Errore, MessageHasItsLeadingSpaceAndNoPadding) {
  FakePlatform p;
  Form1 form(p, p, p.folder);
  try {
    form.errore("1250");
    FAIL() << "errore returned";
  } catch (const FatalError& e) {
    EXPECT_STREQ(e.what(), " Errore n. 1250");
    EXPECT_EQ(e.code(), 1250);
  }
}

TEST(RunPack, ShowsTheWindowFirstAndWritesIntoTheProgramFolder) {
  FakePlatform p;
  runPack(p);
  ASSERT_EQ(p.windowLabels.size(), 1u);
  EXPECT_EQ(p.windowLabels[0], "Attendere");
  EXPECT_TRUE(p.fs.exists("/pack/Borgorosso_MontegranoC_517_note.txt"));
  EXPECT_TRUE(p.fs.exists("/pack/Borgorosso_MontegranoC_517_rallentamenti.txt"));
  EXPECT_TRUE(p.fs.exists("/pack/Borgorosso_MontegranoC_517_scheda_treno.txt"));
}

TEST(RunPack, AFileThatCannotBeReplacedEndsTheRunWithStatusTwo) {
  FakePlatform p;
  std::string note = "/pack/Borgorosso_MontegranoC_517_note.txt";
  p.fs.files[note] = "old";
  p.fs.readOnly.insert(note);
  EXPECT_EQ(runPack(p), 2);
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(p.messages[0], "cannot replace \"" + note + "\": Permission denied");
  EXPECT_EQ(p.fs.files[note], "old");
  EXPECT_FALSE(p.fs.exists("/pack/Borgorosso_MontegranoC_517_scheda_treno.txt"));  // no later writer ran
}

// The embedded scenario's five texts, carried under other names.
PackPayload carriedValdoro() {
  FakePlatform texts;
  Form1 form(texts, texts, texts.folder);
  form.setEmbeddedNames();
  form.writeTexts();
  const ScenarioNames from{kScenarioName, kTrainNumber};
  const ScenarioNames to{"Valdoro", "2291"};
  auto text = [&](const std::string& name) { return texts.fs.files.at(texts.join(texts.folder, name)); };
  PackPayload p{"Valdoro", "2291", {}, text(routeSourceName(from)), text(trainRunSourceName(from))};
  p.documents = {{notesName(to), text(notesName(from))}, {timetableName(to), text(timetableName(from))}};
  return p;
}

class CarryingPack : public testing::Test {
 protected:
  int run(const PackPayload& payload) { return runWith(encodePayload(payload)); }
  int runWith(const std::string& appended) {
    platform_.program = std::string(4000, 'P') + appended;
    return runPack(platform_, static_cast<std::uint32_t>(appended.size()));
  }
  FakePlatform platform_;
};

TEST_F(CarryingPack, WritesItsDocumentsAndCompilesItsSourcesAsTheToolWould) {
  const PackPayload payload = carriedValdoro();
  FakePlatform expected;
  for (const std::string& name : {routeSourceName({"Valdoro", "2291"}), trainRunSourceName({"Valdoro", "2291"})}) {
    expected.fs.files["/pack/" + name] = name.ends_with("_linea.txt") ? payload.routeSource : payload.trainRunSource;
  }
  for (const CarriedFile& d : payload.documents) expected.fs.files["/pack/" + d.name] = d.bytes;
  Model model;
  CompileReport report = compileAndWrite(expected, {"Valdoro", "2291", "/pack", true, true}, "/pack", model);
  ASSERT_EQ(report.fatal, 0);
  ASSERT_EQ(report.written.size(), 3u);

  EXPECT_EQ(run(payload), 0);
  EXPECT_EQ(platform_.windowLabels, std::vector<std::string>{"Attendere"});
  EXPECT_TRUE(platform_.messages.empty());
  EXPECT_EQ(platform_.fs.files, expected.fs.files);  // the sources deleted, as the embedded ones are
  EXPECT_EQ(platform_.fs.removed, expected.fs.removed);
}

TEST_F(CarryingPack, ADamagedScenarioWritesNothingAndSaysWhy) {
  std::string appended = encodePayload(carriedValdoro());
  appended[appended.size() / 2] ^= 0x20;
  EXPECT_EQ(runWith(appended), 3);
  EXPECT_TRUE(platform_.fs.files.empty());
  EXPECT_TRUE(platform_.windowLabels.empty());
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0],
            "the scenario this program carries cannot be used: its checksum does not match: the program file is "
            "damaged");
}

TEST_F(CarryingPack, ASlotLengthThatTheFileCannotHoldIsRefusedBeforeReading) {
  platform_.program = "short";
  for (std::uint32_t length : {1u, 19u, 21u, kMaxPayloadBytes + 1, 0xFFFFFFFFu}) {
    platform_.messages.clear();
    EXPECT_EQ(runPack(platform_, length), 3) << length;
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_NE(platform_.messages[0].find(length == 21u ? "cut short (5 bytes of 21)" : "gives its length as"),
              std::string::npos)
        << platform_.messages[0];
  }
  EXPECT_TRUE(platform_.fs.files.empty());
}

TEST_F(CarryingPack, AnUnreadableProgramFileEndsWithStatusTwo) {
  platform_.programUnreadable = true;
  EXPECT_EQ(runPack(platform_, 100), 2);
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0], "cannot read \"/pack/scenario-pack\": Permission denied");
  EXPECT_TRUE(platform_.fs.files.empty());
}

}  // namespace
}  // namespace pack
