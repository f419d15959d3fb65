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

// A coded value describes every code it can hold: the codes ascend without overlap inside the width, and
// where the range is a short list they cover all of it. Flags and kinds (three codes or fewer) must be coded.
TEST(EntryDescription, EveryCodedValueDescribesEveryCode) {
  for (const Source& source : sources()) {
    for (const EntryDefinition* entry : source.entries) {
      for (std::size_t i = 0; i < entry->valueCount(); ++i) {
        const ValueDefinition& v = entry->values[i];
        SCOPED_TRACE(std::string(entry->writtenKey) + " value " + std::to_string(i + 1) + " " +
                     std::string(v.name));
        if (v.width == ValueWidth::kText) continue;
        if (v.range->max - v.range->min < 3) {
          EXPECT_FALSE(v.codes.empty()) << "a flag or a kind has its codes";
        }
        if (v.codes.empty()) continue;
        ValueRange whole = widthRange(v.width);
        std::int64_t next = v.codes.front().from;
        for (const ValueCode& c : v.codes) {
          EXPECT_FALSE(c.meaning.empty()) << c.from;
          EXPECT_LE(c.from, c.to);
          EXPECT_EQ(c.from, next) << "the codes follow each other without a gap or an overlap";
          EXPECT_GE(c.from, whole.min);
          EXPECT_LE(c.to, whole.max);
          next = c.to + 1;
        }
        EXPECT_LE(v.codes.front().from, v.range->min) << "the codes cover the range";
        EXPECT_GE(v.codes.back().to, v.range->max) << "the codes cover the range";
      }
    }
  }
}

// The values whose numbers are codes rather than quantities, by entry and value number.
TEST(EntryDescription, TheCodedValuesAreCoded) {
  struct Case {
    const EntryDefinition* entry;
    std::vector<std::size_t> values;  // 1-based, as the reference numbers them
  } cases[] = {
      {&kStationEntry, {2, 6}},
      {&kSignalEntry, {2, 7, 11}},
      {&kSlowDownEntry, {4, 5, 6}},
      {&kMountainEntry, {3}},
      {&kKilometreUnoEntry, {3}},
      {&kBackgroundUnoEntry, {1}},
      {&kBackgroundDueEntry, {1}},
      {&kBackgroundTreEntry, {1}},
  };
  for (const Case& c : cases) {
    for (std::size_t n : c.values) {
      EXPECT_FALSE(c.entry->values[n - 1].codes.empty()) << c.entry->writtenKey << " value " << n;
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
