// The sources a decompile writes, as data: sections of entries, each entry a key and its values already
// spelled out, with an optional note that the writer puts on a comment line just before it. The writer
// lays them out as the embedded sources are laid out: one entry a line, columns aligned per section,
// code page 1252, CR LF after every line.
#pragma once

#include <string>
#include <vector>

namespace pack {

struct SourceEntry {
  std::string key;
  std::vector<std::string> values;  // a text value, when the entry has one, is the last
  std::string note;                 // why this entry was chosen where the compiled files left a choice
};

struct SourceSection {
  std::string header;  // "[pendenze]"; the readers skip headers, they only guide the human reader
  std::vector<SourceEntry> entries;
};

struct SourceText {
  std::vector<std::string> headNotes;  // comment lines before "[generale]", which both readers skip
  std::vector<SourceSection> sections;
  std::string footer = "[fine]";       // the last field of a source is never read: a closing header

  SourceSection& section(const std::string& header);  // the last section with this header, made if missing
};

// What the decompile found: a note where it chose one source among several that compile alike, a
// problem where no source it can write gives the compiled bytes back.
struct DecompileMessage {
  std::string where;  // "route", "train run", "cell 345", "row 80", "plan metre 1201"
  std::string text;
};

// A comment line for `text`: "-- " and the text with what the readers would not skip made harmless (a
// comma would end the field, so it becomes a semicolon; line ends become blanks).
std::string commentLine(const std::string& text);

// The source as code page 1252 bytes, CR LF after every line.
std::string renderSource(const SourceText& source);

}  // namespace pack
