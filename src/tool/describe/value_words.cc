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

std::string rangeText(const ValueDefinition& value) {
  if (!value.range) return "";
  ValueRange whole = widthRange(value.width);
  ValueRange r = *value.range;
  if (r.min <= whole.min && r.max >= whole.max) return "";
  bool noMin = r.min <= whole.min && whole.min < 0;  // a byte's 0 is a real lower end
  bool noMax = r.max >= whole.max;
  if (noMax) return "at least " + std::to_string(r.min);
  if (noMin) return "at most " + std::to_string(r.max);
  return std::to_string(r.min) + " to " + std::to_string(r.max);
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
