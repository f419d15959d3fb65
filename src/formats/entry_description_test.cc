// Every entry of both sources is described for authors, once: each value has a name and, when it is a
// number, a range its width can hold; each entry has a meaning, an example and what the compiler does
// with it; each source's sections list every entry exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "formats/route_format.h"
#include "formats/train_run_format.h"

namespace pack {
namespace {

struct Source {
  std::string name;
  std::vector<const EntryDefinition*> entries;  // as the reader tests them
  std::span<const SectionDefinition> sections;
};

std::vector<Source> sources() {
  Source route{"route", {}, kRouteSections};
  for (const EntryDefinition* e : routeGeneralEntries()) route.entries.push_back(e);
  for (const EntryDefinition* e : routeFeatureEntries()) route.entries.push_back(e);
  Source run{"run", {std::begin(kTrainRunEntries), std::end(kTrainRunEntries)}, kTrainRunSections};
  return {route, run};
}

TEST(EntryDescription, EveryValueHasANameAndNumbersARangeWithinTheirWidth) {
  for (const Source& source : sources()) {
    for (const EntryDefinition* entry : source.entries) {
      for (std::size_t i = 0; i < entry->valueCount(); ++i) {
        const ValueDefinition& v = entry->values[i];
        SCOPED_TRACE(std::string(entry->writtenKey) + " value " + std::to_string(i + 1));
        EXPECT_FALSE(v.name.empty());
        EXPECT_FALSE(v.meaning.empty());
        if (v.width == ValueWidth::kText) {
          EXPECT_FALSE(v.range.has_value()) << "a text has no range";
          EXPECT_FALSE(v.alongLine);
          continue;
        }
        ASSERT_TRUE(v.range.has_value());
        ValueRange whole = widthRange(v.width);
        EXPECT_LE(whole.min, v.range->min);
        EXPECT_LE(v.range->min, v.range->max);
        EXPECT_LE(v.range->max, whole.max);
        if (v.alongLine) {
          EXPECT_EQ(v.unit, "m") << "a position on the line is in metres";
        }
      }
    }
  }
}

TEST(EntryDescription, EveryEntryHasAMeaningAnExampleOfItsOwnAndWhatTheCompilerDoes) {
  for (const Source& source : sources()) {
    for (const EntryDefinition* entry : source.entries) {
      SCOPED_TRACE(entry->writtenKey);
      EXPECT_FALSE(entry->meaning.empty());
      EXPECT_FALSE(entry->compiled.empty());
      ASSERT_FALSE(entry->example.empty());
      std::string_view key = entry->example.substr(0, entry->example.find(','));
      EXPECT_TRUE(entry->matches(key)) << "the example's key is read as its entry";
      EXPECT_EQ(std::count(entry->example.begin(), entry->example.end(), ','),
                static_cast<std::ptrdiff_t>(entry->valueCount()) - (entry == &kClockEntry ? 2 : 0))
          << "one comma before each value (the clock's numbers are separated by blanks)";
    }
  }
}

TEST(EntryDescription, TheSectionsListEveryEntryOnceAndNoHeaderIsReadAsAnEntry) {
  for (const Source& source : sources()) {
    SCOPED_TRACE(source.name);
    std::map<const EntryDefinition*, int> listed;
    for (const SectionDefinition& section : source.sections) {
      EXPECT_FALSE(section.meaning.empty()) << section.header;
      for (const EntryDefinition* e : section.entries) ++listed[e];
      for (const EntryDefinition* e : source.entries) EXPECT_FALSE(e->matches(section.header)) << section.header;
    }
    EXPECT_EQ(listed.size(), source.entries.size());
    for (const EntryDefinition* e : source.entries) EXPECT_EQ(listed[e], 1) << e->writtenKey;
  }
}

}  // namespace
}  // namespace pack
