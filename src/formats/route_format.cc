#include "formats/route_format.h"

#include "formats/cp1252.h"

namespace pack {
namespace {

struct CurveClass {
  std::string_view digit;
  double curvature;  // radians per metre: the inverse of the radius
};

// Radii 10000, 5000, 2500, 1000, 500 and about 333 m.
constexpr CurveClass kCurveClasses[] = {
    {"1", 0.0001}, {"2", 0.0002}, {"3", 0.0004}, {"4", 0.001}, {"5", 0.002}, {"6", 0.003},
};

}  // namespace

std::span<const EntryDefinition* const> routeGeneralEntries() { return kRouteGeneralEntries; }
std::span<const EntryDefinition* const> routeFeatureEntries() { return kRouteFeatureEntries; }

bool endsGeneralPart(std::string_view field) {
  if (!contains(field, "[") || !contains(field, "]")) return false;
  std::size_t first = field.find_first_not_of(' ');
  return first == std::string_view::npos || field[first] != '-';
}

std::optional<double> curveCurvature(std::string_view curveKey) {
  for (const CurveClass& c : kCurveClasses) {
    if (contains(curveKey, c.digit)) return c.curvature;
  }
  return std::nullopt;
}

bool curveTurnsLeft(std::string_view curveKey) { return containsIgnoreCase(curveKey, "s"); }

std::optional<std::int32_t> repetitionCodeCount(std::string_view repetitionKey) {
  if (contains(repetitionKey, "4")) return 4;
  if (contains(repetitionKey, "9")) return 9;
  return std::nullopt;
}

}  // namespace pack
