#include "compiler/source_walk.h"

#include "formats/cp1252.h"
#include "formats/entry.h"
#include "formats/route_format.h"
#include "formats/train_run_format.h"

namespace pack {

KeyField SourceWalk::read() {
  std::string text = reader_.readText();
  return {std::move(text), reader_.fieldLine(), reader_.fieldColumn(), reader_.fieldEndedLine()};
}

bool SourceWalk::findStart() {
  if (layout_ == SourceLayout::kTrainRun && reader_.atEnd()) return false;
  const std::string_view header = layout_ == SourceLayout::kRoute ? kRouteGeneralHeader : kTrainRunStart;
  while (true) {
    KeyField field = read();
    if (reader_.atEnd()) {
      tell(field, KeyPlaceRole::kLastField);
      return false;
    }
    tell(field, KeyPlaceRole::kBeforeStart);
    if (containsIgnoreCase(field.text, header)) break;
  }
  part_ = layout_ == SourceLayout::kRoute ? SourcePart::kGeneral : SourcePart::kEntries;
  return true;
}

int SourceWalk::commentRun() const {
  switch (part_) {
    case SourcePart::kGeneral: return kGeneralCommentRun;
    case SourcePart::kFeatures: return kFeatureCommentRun;
    case SourcePart::kEntries: return kTrainRunCommentRun;
    default: return 0;
  }
}

std::optional<KeyField> SourceWalk::nextKey() {
  if (reader_.atEnd()) return std::nullopt;
  const bool endTestedInRun = part_ != SourcePart::kGeneral;
  KeyField field = read();
  for (int replaced = 0;; ++replaced) {
    if (reader_.atEnd() && (replaced == 0 || endTestedInRun)) {
      tell(field, KeyPlaceRole::kLastField);
      return std::nullopt;
    }
    if (replaced == commentRun() || !isCommentField(field.text)) break;
    tell(field, KeyPlaceRole::kComment);
    field = read();
  }
  tell(field, KeyPlaceRole::kKey);
  return field;
}

void SourceWalk::entryHandled(const KeyField& key) {
  if (part_ == SourcePart::kGeneral && endsGeneralPart(key.text)) part_ = SourcePart::kFeatures;
}

}  // namespace pack
