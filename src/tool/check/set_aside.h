// A source with some of its lines left out, in memory, and the way back to the author's line numbers.
// `check` sets aside the entry of each error it finds and compiles again, so that one run shows every
// error the compiler would otherwise report one per run.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace pack {

class SetAsideSource {
 public:
  explicit SetAsideSource(const std::string& bytes);

  // Leaves out the line numbered `line` in text() (lines end in CR LF, as the compiler counts them);
  // false when there is no such line.
  bool setAside(std::size_t line);

  // The source without the lines set aside.
  std::string text() const;

  // The author's number of the line numbered `line` in text().
  std::size_t authorLine(std::size_t line) const;

 private:
  std::vector<std::string> lines_;    // each with its line end
  std::vector<std::size_t> numbers_;  // the author's number of each line kept
  std::size_t total_ = 0;             // lines before any was set aside
};

}  // namespace pack
