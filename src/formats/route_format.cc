#include "formats/route_format.h"

#include "formats/cp1252.h"

namespace pack {
std::span<const EntryDefinition* const> routeGeneralEntries() { return kRouteGeneralEntries; }
std::span<const EntryDefinition* const> routeFeatureEntries() { return kRouteFeatureEntries; }

bool endsGeneralPart(std::string_view field) {
  if (!contains(field, "[") || !contains(field, "]")) return false;
  std::size_t first = field.find_first_not_of(' ');
  return first == std::string_view::npos || field[first] != '-';
}

bool curveTurnsLeft(std::string_view curveKey) { return containsIgnoreCase(curveKey, "s"); }

std::optional<std::int32_t> repetitionCodeCount(std::string_view repetitionKey) {
  if (contains(repetitionKey, "4")) return 4;
  if (contains(repetitionKey, "9")) return 9;
  return std::nullopt;
}

}  // namespace pack
