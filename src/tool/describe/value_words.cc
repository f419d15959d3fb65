#include "tool/describe/value_words.h"

#include "formats/route_format.h"
#include "formats/train_run_format.h"

namespace pack {

std::string valueLabel(const EntryDefinition& entry, std::size_t index, std::string_view key) {
  std::string text =
      "value " + std::to_string(index + 1) + " of \"" + std::string(key.empty() ? entry.writtenKey : key) + '"';
  if (index >= entry.values.size()) return text;
  const ValueDefinition& v = entry.values[index];
  if (!v.name.empty()) text += ": " + std::string(v.name);
  if (!v.unit.empty()) text += ", " + std::string(v.unit);
  return text;
}

namespace {

// Which ends of a value's range say more than its width does.
enum class RangeEnds { kNone, kLowest, kHighest, kBoth };

RangeEnds rangeEnds(const ValueDefinition& value) {
  if (!value.range) return RangeEnds::kNone;
  ValueRange whole = widthRange(value.width);
  ValueRange r = *value.range;
  bool noMin = r.min <= whole.min && whole.min < 0;  // a byte's 0 is a real lower end
  bool noMax = r.max >= whole.max;
  if (r.min <= whole.min && noMax) return RangeEnds::kNone;
  if (noMax) return RangeEnds::kLowest;
  if (noMin) return RangeEnds::kHighest;
  return RangeEnds::kBoth;
}

}  // namespace

std::string rangeText(const ValueDefinition& value) {
  switch (rangeEnds(value)) {
    case RangeEnds::kNone: return "";
    case RangeEnds::kLowest: return "at least " + std::to_string(value.range->min);
    case RangeEnds::kHighest: return "at most " + std::to_string(value.range->max);
    case RangeEnds::kBoth: break;
  }
  return std::to_string(value.range->min) + " to " + std::to_string(value.range->max);
}

std::string missedRangeText(const ValueDefinition& value) {
  switch (rangeEnds(value)) {
    case RangeEnds::kLowest: return "below the least it may be, " + std::to_string(value.range->min);
    case RangeEnds::kHighest: return "above the most it may be, " + std::to_string(value.range->max);
    case RangeEnds::kNone:
    case RangeEnds::kBoth: break;
  }
  return "outside " + rangeText(value);
}

bool outsideRange(const ValueDefinition& value, std::int64_t number) {
  return value.range && (number < value.range->min || number > value.range->max);
}

std::vector<const EntryDefinition*> allEntries() {
  std::vector<const EntryDefinition*> entries;
  for (const EntryDefinition* e : routeGeneralEntries()) entries.push_back(e);
  for (const EntryDefinition* e : routeFeatureEntries()) entries.push_back(e);
  for (const EntryDefinition* e : kTrainRunEntries) entries.push_back(e);
  return entries;
}

}  // namespace pack
