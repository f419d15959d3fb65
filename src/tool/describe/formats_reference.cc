// The reference for authors, from the entry tables of src/formats: as text for a terminal, as the
// Markdown of docs/formats.md, its index, and the lookup of a word.
#include "tool/describe/formats_reference.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "formats/cp1252.h"
#include "formats/route_format.h"
#include "formats/train_run_format.h"
#include "tool/describe/authoring_guide.h"
#include "tool/describe/value_words.h"

namespace pack {
namespace {

constexpr std::size_t kTextWidth = 100;

struct SourceDescription {
  std::string_view title;
  std::string_view fileName;
  std::string_view summary;
  std::span<const SectionDefinition> sections;
};

constexpr SourceDescription kRoute{"The route description", "SCENARIO_linea.txt", kRouteSummary, kRouteSections};
constexpr SourceDescription kRun{"The train run description", "SCENARIO_TRAIN-.txt", kTrainRunSummary,
                                 kTrainRunSections};

// What holds for both sources, in the order an author meets it.
constexpr std::string_view kCommonRules[] = {
    "Both sources are plain text in code page 1252 with CR LF at the end of every line, the last one "
    "included; `scenario-tool normalize` turns a file saved with other line ends or as UTF-8 into that form.",
    "A line is a key followed by its values, separated by commas. Blanks before a value do not count. A "
    "number is a whole number that must fit the width it is read with; it may also end at a blank, and an "
    "empty number reads as 0. A text runs to the next comma or the end of the line, so it cannot hold a comma.",
    "Values are read by count, not by line: a line with a value too few takes the next line's first field, "
    "and extra fields are read as keys. Write each entry on one line with exactly its values.",
    "A key is recognised when the key field holds the entry's words; a field that holds none is ignored. A "
    "field holding a dash is a comment (up to ten in a row in the route's general part, two elsewhere).",
    "Positions are whole metres from the start of the line; \"Placement and spacing\" below says which cell "
    "each feature takes and how far apart things must be.",
    "The last field of a source is never read: end each source with the line [fine].",
};

std::string widthText(ValueWidth width) {
  switch (width) {
    case ValueWidth::kInt16: return "16-bit";
    case ValueWidth::kUint8: return "byte";
    case ValueWidth::kText: return "text";
    default: return "32-bit";
  }
}

// The range as an author reads it: the described one, or what the width alone allows.
std::string rangeOrWidth(const ValueDefinition& v) {
  if (v.width == ValueWidth::kText) return "text, no comma";
  std::string range = rangeText(v);
  if (!range.empty()) return range;
  ValueRange whole = widthRange(v.width);
  return "any, " + std::to_string(whole.min) + " to " + std::to_string(whole.max);
}

std::string keyRule(const EntryDefinition& e) {
  std::string words;
  int count = 0;
  for (std::string_view w : e.words) {
    if (w.empty()) continue;
    words += (count++ > 0 ? " and \"" : "\"") + std::string(w) + '"';
  }
  return "a key field holding " + words +
         (e.keyCase == KeyCase::kExact ? ", in lower case as written" : ", in any letter case");
}

// Words of `text` on lines of at most kTextWidth characters, each line after `indent`.
std::string wrapped(std::string_view text, std::size_t indent) {
  std::string out;
  std::string line(indent, ' ');
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    if (line.size() > indent && line.size() + 1 + word.size() > kTextWidth) {
      out += line + '\n';
      line.assign(indent, ' ');
    }
    if (line.size() > indent) line += ' ';
    line += word;
  }
  return out + line + '\n';
}

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// "0", "5 to 6", "25 and above": a code or run of codes as an author reads it.
std::string codeText(const ValueCode& c, const ValueDefinition& v) {
  ValueRange whole = widthRange(v.width);
  if (c.from == c.to) return std::to_string(c.from);
  if (c.to == whole.max) return std::to_string(c.from) + " and above";
  if (c.from == whole.min) return std::to_string(c.to) + " and below";
  return std::to_string(c.from) + " to " + std::to_string(c.to);
}

// --- Text --------------------------------------------------------------------------------------------

std::string entryText(const EntryDefinition& e) {
  std::string out = "  " + std::string(e.writtenKey) + '\n' + wrapped(e.meaning, 4);
  out += wrapped("Key: " + keyRule(e) + '.', 4);
  out += "    Values:\n";
  for (std::size_t i = 0; i < e.values.size(); ++i) {
    const ValueDefinition& v = e.values[i];
    std::string head = padded(std::to_string(i + 1), 4) + padded(std::string(v.name), 32) +
                       padded(std::string(v.unit), 11) + rangeOrWidth(v);
    out += "      " + head + '\n' + wrapped(v.meaning, 10);
    for (const ValueCode& c : v.codes) {
      // The meaning hangs beside its code: "0:            no signal on this side".
      std::string label = "          " + padded(codeText(c, v) + ':', 14);
      std::string meaning = wrapped(c.meaning, label.size());
      out += label + meaning.substr(label.size());
    }
  }
  out += "    Example: " + cp1252ToUtf8(e.example) + '\n';
  out += wrapped("Compiler: " + std::string(e.compiled), 4);
  return out;
}

std::string sourceText(const SourceDescription& s, const std::vector<const EntryDefinition*>& only) {
  std::string out;
  for (const SectionDefinition& section : s.sections) {
    std::string entries;
    for (const EntryDefinition* e : section.entries) {
      if (only.empty() || std::find(only.begin(), only.end(), e) != only.end()) entries += '\n' + entryText(*e);
    }
    if (!only.empty() && entries.empty()) continue;
    out += '\n' + std::string(section.header) + '\n' + wrapped(section.meaning, 2) + entries;
  }
  if (only.empty()) out = wrapped(s.summary, 2) + out;
  return std::string(s.title) + " (" + std::string(s.fileName) + ")\n" + out;
}

// --- Markdown ----------------------------------------------------------------------------------------

// The codes of a value as one sentence for its table cell.
std::string codesMarkdown(const ValueDefinition& v) {
  std::string out;
  for (const ValueCode& c : v.codes) {
    out += (out.empty() ? " Codes: " : "; ") + codeText(c, v) + ": " + std::string(c.meaning);
  }
  return out.empty() ? out : out + '.';
}

std::string entryMarkdown(const EntryDefinition& e) {
  std::string out = "#### `" + std::string(e.writtenKey) + "`\n\n" + std::string(e.meaning) + "\n\n";
  out += "Key: " + keyRule(e) + ".\n\n";
  out += "| No. | Value | Unit | Read as | Range | Meaning |\n|---|---|---|---|---|---|\n";
  for (std::size_t i = 0; i < e.values.size(); ++i) {
    const ValueDefinition& v = e.values[i];
    std::string range = v.width == ValueWidth::kText ? "" : rangeText(v);
    out += "| " + std::to_string(i + 1) + " | " + std::string(v.name) + " | " + std::string(v.unit) + " | " +
           widthText(v.width) + " | " + (range.empty() ? "any" : range) + " | " + std::string(v.meaning) +
           codesMarkdown(v) + " |\n";
  }
  out += "\nExample:\n\n    " + cp1252ToUtf8(e.example) + "\n\n";
  out += "What the compiler does: " + std::string(e.compiled) + "\n\n";
  return out;
}

std::string sourceMarkdown(const SourceDescription& s, const std::vector<const EntryDefinition*>& only) {
  std::string out = "## " + std::string(s.title) + ": `" + std::string(s.fileName) + "`\n\n";
  if (only.empty()) out += std::string(s.summary) + "\n\n";
  for (const SectionDefinition& section : s.sections) {
    std::string entries;
    for (const EntryDefinition* e : section.entries) {
      if (only.empty() || std::find(only.begin(), only.end(), e) != only.end()) entries += entryMarkdown(*e);
    }
    if (!only.empty() && entries.empty()) continue;
    out += "### `" + std::string(section.header) + "`\n\n" + std::string(section.meaning) + "\n\n" + entries;
  }
  return out;
}

std::string guideMarkdown(const GuideSection& g) {
  std::string out = "## " + g.title + "\n\n";
  for (const std::string& p : g.paragraphs) out += "- " + p + '\n';
  return out + '\n';
}

std::string guideText(const GuideSection& g) {
  std::string out = g.title + '\n';
  for (const std::string& p : g.paragraphs) {
    std::string item = wrapped(p, 4);
    item[2] = '-';
    out += item;
  }
  return out;
}

std::string commonMarkdown() {
  std::string out =
      "# The scenario source formats\n\n"
      "A scenario is written as two text sources: the route description (the line) and the train run "
      "description (one train on it). This page describes every section and entry of both. It is made by "
      "`scenario-tool formats --markdown` from the same tables the compiler reads; "
      "`scenario-tool formats [route|run] [KEY]` shows the same on a terminal.\n\n"
      "## Reading rules\n\n";
  for (std::string_view rule : kCommonRules) out += "- " + std::string(rule) + '\n';
  out += '\n';
  for (const GuideSection& g : authoringGuide()) out += guideMarkdown(g);
  return out;
}

std::string commonText() {
  std::string out = "Reading rules\n";
  for (std::string_view rule : kCommonRules) {
    std::string item = wrapped(rule, 4);
    item[2] = '-';
    out += item;
  }
  for (const GuideSection& g : authoringGuide()) out += '\n' + guideText(g);
  return out;
}

// The entries of `source` a key field is read as.
std::vector<const EntryDefinition*> matching(const SourceDescription& source, std::string_view key) {
  std::vector<const EntryDefinition*> found;
  std::string lower = cp1252ToLower(key);
  for (const SectionDefinition& section : source.sections) {
    for (const EntryDefinition* e : section.entries) {
      if (e->matches(key) || lower == e->writtenKey) found.push_back(e);
    }
  }
  return found;
}

}  // namespace

std::optional<std::string> formatsReference(const FormatsQuery& query, bool markdown) {
  std::string out = query.key ? "" : markdown ? commonMarkdown() : commonText();
  bool any = false;
  for (const SourceDescription* s : {&kRoute, &kRun}) {
    if ((s == &kRoute && !query.route) || (s == &kRun && !query.run)) continue;
    std::vector<const EntryDefinition*> only;
    if (query.key) {
      only = matching(*s, *query.key);
      if (only.empty()) continue;
    }
    any = true;
    if (!out.empty()) out += markdown ? "" : "\n";
    out += markdown ? sourceMarkdown(*s, only) : sourceText(*s, only);
  }
  if (!any) return std::nullopt;
  while (markdown && out.size() > 1 && out.ends_with("\n\n")) out.pop_back();
  return out;
}

namespace {

// A section with every entry written under it.
std::string sectionText(const SourceDescription& s, const SectionDefinition& section) {
  std::string out = std::string(s.title) + " (" + std::string(s.fileName) + ")\n\n" + std::string(section.header) +
                    '\n' + wrapped(section.meaning, 2);
  for (const EntryDefinition* e : section.entries) out += '\n' + entryText(*e);
  return out;
}

// Everything `lower` names in one source: its sections by header, else its entries by key.
std::string foundIn(const SourceDescription& s, const std::string& lower, std::string_view word) {
  std::string out;
  for (const SectionDefinition& section : s.sections) {
    if (lower.size() >= 3 && contains(section.header, lower)) {
      out += (out.empty() ? "" : "\n") + sectionText(s, section);
    }
  }
  if (!out.empty()) return out;
  std::vector<const EntryDefinition*> only = matching(s, word);
  for (const SectionDefinition& section : s.sections) {
    for (const EntryDefinition* e : section.entries) {
      bool listed = std::find(only.begin(), only.end(), e) != only.end();
      if (!listed && lower.size() >= 3 && contains(e->writtenKey, lower)) only.push_back(e);
    }
  }
  return only.empty() ? "" : sourceText(s, only);
}

std::string sectionWhere(const SourceDescription& s, const std::string& lower, std::string_view word) {
  for (const SectionDefinition& section : s.sections) {
    for (const EntryDefinition* e : section.entries) {
      if (e->matches(word) || contains(e->writtenKey, lower)) return ", under " + std::string(section.header);
    }
  }
  return "";
}

}  // namespace

std::string formatsIndex() {
  std::string out = wrapped("The reference for scenario authors. 'scenario-tool formats WORD' shows one part, "
                            "section or entry (any part of a key will do); 'scenario-tool formats all' shows "
                            "everything.", 0) +
                    "\nParts\n  rules        Reading rules\n";
  for (const GuideSection& g : authoringGuide()) out += "  " + padded(g.name, 13) + g.title + '\n';
  for (const SourceDescription* s : {&kRoute, &kRun}) {
    out += '\n' + std::string(s->title) + " (" + std::string(s->fileName) + ")\n";
    for (const SectionDefinition& section : s->sections) {
      std::string keys;
      for (const EntryDefinition* e : section.entries) keys += (keys.empty() ? "" : ", ") + std::string(e->writtenKey);
      std::string line = wrapped(keys.empty() ? "(no entries)" : keys, 19);
      out += "  " + padded(std::string(section.header), 17) + line.substr(19);
    }
  }
  return out;
}

std::optional<std::string> formatsLookup(std::string_view word, bool route, bool run) {
  std::string lower = cp1252ToLower(word);
  if (lower == "all") return formatsReference(FormatsQuery{route, run, std::nullopt}, false);
  if (lower == "rules" || lower == "reading") return commonText().substr(0, commonText().find("\n\n") + 1);
  for (const GuideSection& g : authoringGuide()) {
    if (lower.size() >= 3 && (g.name.starts_with(lower) || contains(cp1252ToLower(g.title), lower))) {
      return guideText(g);
    }
  }
  std::string out;
  for (const SourceDescription* s : {&kRoute, &kRun}) {
    if ((s == &kRoute && !route) || (s == &kRun && !run)) continue;
    std::string found = foundIn(*s, lower, word);
    if (!found.empty()) out += (out.empty() ? "" : "\n") + found;
  }
  if (!out.empty() || (route && run)) return out.empty() ? std::nullopt : std::optional(out);
  // Asked in one source, found in the other: say where it lives.
  const SourceDescription& other = route ? kRun : kRoute;
  std::string found = foundIn(other, lower, word);
  if (found.empty()) return std::nullopt;
  return "\"" + std::string(word) + "\" is not part of the " + std::string(route ? "route" : "train run") +
         " description: it belongs to " + cp1252ToLower(other.title) + " (" + std::string(other.fileName) + ")" +
         sectionWhere(other, lower, word) + ".\n\n" + found;
}

}  // namespace pack
