#include "writers/embedded_tables.h"

namespace pack {

EmbeddedText embeddedText(EmbeddedTextId id, const ScenarioNames& names) {
  switch (id) {
    case EmbeddedTextId::kRoute: return {routeSourceName(names), routeLines()};
    case EmbeddedTextId::kTrainRun: return {trainRunSourceName(names), trainRunLines()};
    case EmbeddedTextId::kNotes: return {notesName(names), notesLines()};
    case EmbeddedTextId::kSlowDownOrder: return {slowDownOrderName(names), slowDownOrderLines()};
    case EmbeddedTextId::kTimetable: break;
  }
  return {timetableName(names), timetableLines()};
}

std::vector<EmbeddedText> embeddedTexts(const ScenarioNames& names) {
  std::vector<EmbeddedText> texts;
  for (EmbeddedTextId id : {EmbeddedTextId::kRoute, EmbeddedTextId::kTrainRun, EmbeddedTextId::kNotes,
                            EmbeddedTextId::kSlowDownOrder, EmbeddedTextId::kTimetable}) {
    texts.push_back(embeddedText(id, names));
  }
  return texts;
}

}  // namespace pack
