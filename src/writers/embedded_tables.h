// The scenario's five texts as stored line tables, one entry per written line, in file order.
#pragma once

#include <span>
#include <string_view>

namespace pack {

std::span<const std::string_view> routeLines();          // the route description, 222 lines
std::span<const std::string_view> trainRunLines();       // the train run description, 50 lines
std::span<const std::string_view> timetableLines();      // the timetable sheet, 26 lines
std::span<const std::string_view> slowDownOrderLines();  // the slow-down order form, 46 lines
std::span<const std::string_view> notesLines();          // the notes, 27 lines

}  // namespace pack
