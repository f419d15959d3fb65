// The reference for scenario authors: every section and entry of both sources with its values (names,
// units, ranges), an example line and what the compiler does with it, all taken from the entry tables of
// src/formats. `scenario-tool formats` prints it as text; docs/formats.md is its Markdown form.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/entry.h"

namespace pack {

struct FormatsQuery {
  bool route = true;             // include the route description
  bool run = true;               // include the train run description
  std::optional<std::string> key;  // only the entries this key field is read as
};

// The reference as text for a terminal, or as Markdown (the whole of it is docs/formats.md). Nothing when
// the key matches no entry of the sources asked for.
std::optional<std::string> formatsReference(const FormatsQuery& query, bool markdown);

// The index for a terminal: the parts of the reference, each source's sections and their keys.
std::string formatsIndex();

// What an author finds under a word, as text: "all" (everything), a part of the reference ("placement",
// "kilometre"), a section ("generale", "montagne"), or an entry by any part of its key ("cartello").
// A word of the other source than the one asked for is shown with where it lives. Nothing when nothing
// matches.
std::optional<std::string> formatsLookup(std::string_view word, bool route, bool run);

}  // namespace pack
