#include "app/form1.h"

#include <gtest/gtest.h>

#include "app/fatal_error.h"
#include "compiler/minimo.h"
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

}  // namespace
}  // namespace pack
