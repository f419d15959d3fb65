#include "formats/train_run_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pack {
namespace {

// The entries a key field is handed to, by written key.
std::vector<std::string> matching(std::string_view keyField) {
  std::vector<std::string> names;
  for (const EntryDefinition* entry : kTrainRunEntries) {
    if (entry->matches(keyField)) names.emplace_back(entry->writtenKey);
  }
  return names;
}

using Names = std::vector<std::string>;

std::vector<ValueWidth> widths(const EntryDefinition& entry) {
  std::vector<ValueWidth> out;
  for (const ValueDefinition& value : entry.values) out.push_back(value.width);
  return out;
}

TEST(TrainRunFormat, EveryWrittenKeyMatchesItsOwnEntryOnly) {
  for (const EntryDefinition* entry : kTrainRunEntries) {
    EXPECT_EQ(matching(entry->writtenKey), Names{std::string(entry->writtenKey)});
  }
}

TEST(TrainRunFormat, KeysAreFoundBySubstringInAnyCase) {
  const struct {
    std::string_view field;
    Names entries;
  } cases[] = {
      {"STAZIONE", {"stazione"}},
      {"velocit\xE0", {"velocita"}},  // code page 1252 a-grave
      {"VELOCIT\xC0", {"velocita"}},
      {"Limite di velocit", {"velocita"}},
      {"massa", {}},
      {"frenata e massa", {"percentuale massa frenata"}},
      {"segnale rallentamento", {"segnale", "rallentamento"}},
      {"vetture sabbia", {"numero vetture", "sabbia"}},
      {"[generale]", {}},   {"[aderenze]", {}}, {"[vel_limite]", {}}, {"[stazioni]", {}},
      {"[rallentamenti]", {}}, {"[segnali]", {}}, {"[codici]", {}},   {"[fine]", {}},
  };
  for (const auto& k : cases) EXPECT_EQ(matching(k.field), k.entries) << k.field;
}

TEST(TrainRunFormat, ValueCountsAndWidths) {
  using enum ValueWidth;
  EXPECT_EQ(kBrakedMassEntry.valueCount(), 1u);
  EXPECT_EQ(kCoachesEntry.valueCount(), 1u);
  EXPECT_EQ(kSandEntry.values[0], kInt16);
  EXPECT_EQ(widths(kClockEntry), (std::vector<ValueWidth>{kInt16, kInt16, kInt16}));
  EXPECT_EQ(kSpeedLimitEntry.valueCount(), 2u);
  EXPECT_EQ(kAdhesionEntry.valueCount(), 2u);
  EXPECT_EQ(kSignalEntry.valueCount(), 11u);
  EXPECT_EQ(kSlowDownEntry.valueCount(), 6u);
  EXPECT_EQ(kCodePointEntry.valueCount(), 2u);
  EXPECT_EQ(widths(kStationEntry),
            (std::vector<ValueWidth>{kInt32, kUint8, kInt32, kUint8, kUint8, kUint8, kInt16, kInt16, kUint8,
                                     kInt16, kInt16, kInt16, kUint8, kInt32, kInt32, kInt32, kText}));
}

}  // namespace
}  // namespace pack
