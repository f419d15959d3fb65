#include "writers/embedded_tables.h"

namespace pack {

std::vector<EmbeddedText> embeddedTexts(const ScenarioNames& names) {
  return {{routeSourceName(names), routeLines()},
          {trainRunSourceName(names), trainRunLines()},
          {notesName(names), notesLines()},
          {slowDownOrderName(names), slowDownOrderLines()},
          {timetableName(names), timetableLines()}};
}

}  // namespace pack
