// The range table describes every value of every entry of both sources, once, within what the value's
// width can hold.
#include "tool/value_ranges.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "formats/route_format.h"
#include "formats/train_run_format.h"

namespace pack {
namespace {

std::vector<const EntryDefinition*> allEntries() {
  std::vector<const EntryDefinition*> entries;
  for (const EntryDefinition* e : routeGeneralEntries()) entries.push_back(e);
  for (const EntryDefinition* e : routeFeatureEntries()) entries.push_back(e);
  for (const EntryDefinition* e : kTrainRunEntries) entries.push_back(e);
  return entries;
}

TEST(ValueRanges, EveryValueOfEveryEntryHasOneRowThatItsWidthCanReach) {
  std::set<std::pair<std::string_view, std::size_t>> described;
  for (const EntryDefinition* entry : allEntries()) {
    for (std::size_t i = 0; i < entry->valueCount(); ++i) {
      SCOPED_TRACE(std::string(entry->writtenKey) + " value " + std::to_string(i + 1));
      const ValueGuide* row = findValueRange(entry->writtenKey, i + 1);
      ASSERT_NE(row, nullptr);
      EXPECT_FALSE(row->name.empty());
      EXPECT_LE(row->min, row->max);
      described.insert({entry->writtenKey, i + 1});
      if (entry->values[i] == ValueWidth::kText) {
        EXPECT_EQ(row->min, kNoMinimum) << "a text has no range";
        EXPECT_EQ(row->max, kNoMaximum);
        continue;
      }
      ValueWidth width = entry->values[i].width;
      std::int64_t widthMin = width == ValueWidth::kUint8 ? 0 : width == ValueWidth::kInt16 ? INT16_MIN : INT32_MIN;
      std::int64_t widthMax = width == ValueWidth::kUint8 ? 255 : width == ValueWidth::kInt16 ? INT16_MAX : INT32_MAX;
      std::int64_t min = row->min == kNoMinimum ? widthMin : row->min;
      std::int64_t max = row->max == kNoMaximum ? widthMax : row->max;
      EXPECT_TRUE(widthMin <= min && min <= max && max <= widthMax) << min << " to " << max;
    }
  }
  EXPECT_EQ(described.size(), valueRanges().size()) << "a row for a value no entry has, or a row given twice";
}

}  // namespace
}  // namespace pack
