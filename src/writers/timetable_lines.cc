#include "writers/embedded_tables.h"

namespace pack {
namespace {

constexpr std::string_view kLines[] = {
    "[fine]",
};

}  // namespace

std::span<const std::string_view> timetableLines() { return kLines; }

}  // namespace pack
