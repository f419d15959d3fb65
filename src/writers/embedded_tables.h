// The scenario's five texts as stored line tables, one entry per written line, in file order.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/file_names.h"

namespace pack {

// The names every file of the embedded scenario is named from.
constexpr std::string_view kScenarioName = "Borgorosso_MontegranoC";
constexpr std::string_view kTrainNumber = "517";

std::span<const std::string_view> routeLines();          // the route description, 222 lines
std::span<const std::string_view> trainRunLines();       // the train run description, 50 lines
std::span<const std::string_view> timetableLines();      // the timetable sheet, 26 lines
std::span<const std::string_view> slowDownOrderLines();  // the slow-down order form, 46 lines
std::span<const std::string_view> notesLines();          // the notes, 27 lines

// One of the five texts under its file name for the names given.
struct EmbeddedText {
  std::string name;
  std::span<const std::string_view> lines;
};

// The five texts, in the order the program writes them: the two sources, then the three crew documents.
enum class EmbeddedTextId { kRoute, kTrainRun, kNotes, kSlowDownOrder, kTimetable };

// One text with the file name it is written under.
EmbeddedText embeddedText(EmbeddedTextId id, const ScenarioNames& names);

// All five, in writing order.
std::vector<EmbeddedText> embeddedTexts(const ScenarioNames& names);

}  // namespace pack
