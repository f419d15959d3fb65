#include "formats/entry.h"

#include "formats/cp1252.h"

namespace pack {

bool EntryDefinition::matches(std::string_view keyField) const {
  for (std::string_view word : words) {
    if (word.empty()) continue;
    bool found = keyCase == KeyCase::kExact ? contains(keyField, word) : containsIgnoreCase(keyField, word);
    if (!found) return false;
  }
  return true;
}

bool isCommentField(std::string_view field) { return contains(field, "-"); }

}  // namespace pack
