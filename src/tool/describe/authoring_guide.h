// The parts of the authors' reference that no single entry holds: how positions become cells, what takes
// which cells and how far apart things must be, and where the kilometre posts come from. The numbers come
// from the cell codec and the track model, so the reference says what the compiler does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pack {

struct GuideSection {
  std::string name;                     // a word to find it by: "placement"
  std::string title;                    // "Placement and spacing"
  std::vector<std::string> paragraphs;  // each one rule, in the order an author needs them
};

// The sections, in the order the reference prints them after the reading rules.
const std::vector<GuideSection>& authoringGuide();

}  // namespace pack
