#include "tool/lsp/source_help.h"

#include <string>

#include "compiler/cell_codec.h"
#include "compiler/rounding.h"
#include "formats/cp1252.h"
#include "tool/describe/formats_reference.h"
#include "tool/describe/scenario_facts.h"
#include "tool/describe/value_words.h"

namespace pack::lsp {
namespace {

constexpr int kCompletionKeyword = 14;
constexpr int kCompletionModule = 9;
constexpr int kSnippet = 2;

const SourceLine* lineAt(const SourceView& view, std::size_t line) {
  return line < view.outline.size() ? &view.outline[line] : nullptr;
}

json markdown(const std::string& text) { return {{"kind", "markdown"}, {"value", text}}; }

std::string entryReference(const SourceView& view, std::string_view key) {
  FormatsQuery query;
  query.route = view.role == SourceRole::kRoute;
  query.run = view.role == SourceRole::kTrainRun;
  query.key = std::string(key);
  return formatsReference(query, true).value_or("");
}

// "value 3 of 17: platform length, m".
std::string valueHeading(const EntryDefinition& entry, std::size_t index) {
  const ValueDefinition& v = entry.values[index];
  std::string text = "value " + std::to_string(index + 1) + " of " + std::to_string(entry.valueCount()) + ": " +
                     std::string(v.name);
  if (!v.unit.empty()) text += ", " + std::string(v.unit);
  return text;
}

std::string valueDetails(const EntryDefinition& entry, std::size_t index) {
  const ValueDefinition& v = entry.values[index];
  std::string text = std::string(v.meaning);
  std::string range = rangeText(v);
  if (range.empty()) return text;
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string once inlined.
  text += "\n\nRange: ";
  text += range;
  if (!v.unit.empty()) {
    text += ' ';
    text += v.unit;
  }
  text += '.';
  return text;
}

// What the compiled cells around a position hold, and the kilometre post there.
std::string positionFacts(const Model& model, std::int64_t metre) {
  KilometreScale scale(model.scenarioTable, model.trackCells);
  std::string text = "Kilometre post " + kilometrePostText(scale.at(metre)) + ".";
  std::int64_t cell = roundHalfEven<std::int64_t>(static_cast<double>(metre) / kCellLength);
  for (std::int64_t c = cell; c <= cell + 1; ++c) {
    if (c < 0 || c >= static_cast<std::int64_t>(model.trackCells.size())) continue;
    std::string feature = cellFeatureText(model.trackCells[c], static_cast<std::size_t>(c), &model.scenarioTable);
    text += "\n\nCell " + std::to_string(c) + " (" + std::to_string(codec::cellMetre(static_cast<std::size_t>(c))) + " m): " +
            (feature.empty() ? "free" : feature) + ".";
  }
  return text;
}

json valueHover(const SourceView& view, const SourceLine& line, std::size_t index) {
  const EntryDefinition& entry = *line.entry;
  const FieldSpan& field = line.values[index];
  std::string text = "**" + valueHeading(entry, index) + "** (`" + std::string(entry.writtenKey) + "`)\n\n" +
                     valueDetails(entry, index);
  std::optional<std::int64_t> number = wholeNumber(field.text);
  // What the simulator will see, where it is not the number written.
  if (std::string stored = number ? codec::storedAs(entry, index, *number) : ""; !stored.empty()) {
    text += "\n\n" + stored + ".";
  }
  if (entry.values[index].alongLine && number && view.model != nullptr && view.model->hasCells()) {
    text += "\n\n" + positionFacts(*view.model, *number);
  }
  return {{"contents", markdown(cp1252ToUtf8(text))}, {"range", rangeOf(view, line.line, field.begin, field.end)}};
}

json sectionHover(const SourceView& view, const SourceLine& line) {
  for (const SectionDefinition& s : sectionsOf(view.role)) {
    if (containsIgnoreCase(line.key.text, s.header)) {
      return {{"contents", markdown("**" + std::string(s.header) + "**\n\n" + std::string(s.meaning))},
              {"range", rangeOf(view, line.line, line.key.begin, line.key.end)}};
    }
  }
  return nullptr;
}

std::string snippetOf(const EntryDefinition& entry) {
  std::string text(entry.writtenKey);
  for (std::size_t i = 0; i < entry.valueCount(); ++i) {
    std::string name(entry.values[i].name);
    for (char& c : name) {
      if (c == '}' || c == '$' || c == '\\') c = ' ';
    }
    text += ",  ${" + std::to_string(i + 1) + ":" + name + "}";
  }
  return text;
}

std::string symbolName(const SourceLine& line) {
  std::string name = cp1252ToUtf8(line.key.text);
  if (!line.values.empty()) {
    name += ' ';
    name += cp1252ToUtf8(line.values.front().text);
  }
  if (line.values.size() > 1 && line.entry->values.back().width == ValueWidth::kText &&
      line.values.size() == line.entry->valueCount()) {
    name += " " + cp1252ToUtf8(line.values.back().text);
  }
  return name;
}

int symbolKind(const EntryDefinition& entry) {
  std::string_view key = entry.writtenKey;
  if (key == "stazione") return 5;        // Class
  if (key == "segnale") return 24;        // Event
  if (key == "rallentamento") return 8;   // Field
  if (contains(key, "cartello") || contains(key, "indicatori")) return 15;  // String
  return 7;                               // Property
}

}  // namespace

json rangeOf(const SourceView& view, std::size_t line, std::size_t begin, std::size_t end) {
  auto at = [&](std::size_t c) {
    return json{{"line", line}, {"character", view.lines.toUnits(line, c, view.encoding)}};
  };
  return {{"start", at(begin)}, {"end", at(end)}};
}

json hover(const SourceView& view, Position at) {
  const SourceLine* line = lineAt(view, at.line);
  if (line == nullptr || line->comment) return nullptr;
  std::size_t column = view.lines.toCharacters(at.line, at.character, view.encoding);
  if (line->header && column <= line->key.end) return sectionHover(view, *line);
  if (line->entry == nullptr) return nullptr;
  if (column >= line->key.begin && column <= line->key.end) {
    return {{"contents", markdown(entryReference(view, line->key.text))},
            {"range", rangeOf(view, line->line, line->key.begin, line->key.end)}};
  }
  std::size_t index = valueAt(*line, column);
  if (index >= line->values.size()) return nullptr;
  return valueHover(view, *line, index);
}

json completion(const SourceView& view, Position at) {
  json items = json::array();
  const SourceLine* line = lineAt(view, at.line);
  if (line == nullptr || line->part == SourcePart::kBeforeStart) return items;
  std::size_t column = view.lines.toCharacters(at.line, at.character, view.encoding);
  if (column > line->key.end || contains(line->key.text.substr(0, column), ",")) return items;
  json range = rangeOf(view, line->line, line->key.begin, line->key.end);
  for (const EntryDefinition* entry : entriesOf(view.role, line->part)) {
    items.push_back({{"label", std::string(entry->writtenKey)},
                     {"kind", kCompletionKeyword},
                     {"detail", std::string(entry->meaning)},
                     {"documentation", markdown(entryReference(view, entry->writtenKey))},
                     {"insertTextFormat", kSnippet},
                     {"textEdit", {{"range", range}, {"newText", snippetOf(*entry)}}}});
  }
  for (const SectionDefinition& s : sectionsOf(view.role)) {
    items.push_back({{"label", std::string(s.header)},
                     {"kind", kCompletionModule},
                     {"detail", std::string(s.meaning)},
                     {"textEdit", {{"range", range}, {"newText", std::string(s.header)}}}});
  }
  return items;
}

json signatureHelp(const SourceView& view, Position at) {
  const SourceLine* line = lineAt(view, at.line);
  if (line == nullptr || line->entry == nullptr) return nullptr;
  std::size_t column = view.lines.toCharacters(at.line, at.character, view.encoding);
  if (column <= line->key.end) return nullptr;
  const EntryDefinition& entry = *line->entry;
  std::size_t index = valueAt(*line, column);
  if (index >= entry.valueCount()) return nullptr;
  std::string label = std::string(entry.writtenKey) + ":";
  json parameters = json::array();
  for (std::size_t i = 0; i < entry.valueCount(); ++i) {
    label += i == 0 ? " " : ", ";
    std::size_t begin = label.size();  // names and keys are ASCII: bytes are UTF-16 units
    label += entry.values[i].name;
    parameters.push_back({{"label", {begin, label.size()}}, {"documentation", markdown(valueDetails(entry, i))}});
  }
  json signature = {{"label", label},
                    {"documentation", markdown("**" + valueHeading(entry, index) + "**")},
                    {"parameters", parameters},
                    {"activeParameter", index}};
  return {{"signatures", json::array({signature})}, {"activeSignature", 0}, {"activeParameter", index}};
}

json documentSymbols(const SourceView& view) {
  json symbols = json::array();
  json* section = nullptr;
  for (const SourceLine& line : view.outline) {
    if (line.header && !line.comment) {
      json range = rangeOf(view, line.line, line.key.begin, line.key.end);
      symbols.push_back({{"name", cp1252ToUtf8(line.key.text)}, {"kind", 3}, {"range", range},
                         {"selectionRange", range}, {"children", json::array()}});
      section = &symbols.back();
      continue;
    }
    if (line.entry == nullptr) continue;
    std::size_t end = line.values.empty() ? line.key.end : line.values.back().end;
    json symbol = {{"name", symbolName(line)}, {"kind", symbolKind(*line.entry)},
                   {"range", rangeOf(view, line.line, line.key.begin, end)},
                   {"selectionRange", rangeOf(view, line.line, line.key.begin, line.key.end)}};
    if (section != nullptr) {
      json& children = (*section)["children"];
      children.push_back(std::move(symbol));
      (*section)["range"]["end"] = children.back()["range"]["end"];
    } else {
      symbols.push_back(std::move(symbol));
    }
  }
  return symbols;
}

json inlayHints(const SourceView& view, std::size_t firstLine, std::size_t lastLine) {
  json hints = json::array();
  if (view.model == nullptr || !view.model->hasCells()) return hints;
  KilometreScale scale(view.model->scenarioTable, view.model->trackCells);
  for (std::size_t l = firstLine; l <= lastLine && l < view.outline.size(); ++l) {
    const SourceLine& line = view.outline[l];
    for (std::size_t i = 0; i < line.values.size(); ++i) {
      std::optional<std::int64_t> metre = wholeNumber(line.values[i].text);
      if (!line.entry->values[i].alongLine || !metre) continue;
      json position = rangeOf(view, l, line.values[i].end, line.values[i].end)["start"];
      hints.push_back({{"position", position}, {"label", "km " + kilometrePostText(scale.at(*metre))},
                       {"paddingLeft", true}});
    }
  }
  return hints;
}

}  // namespace pack::lsp
