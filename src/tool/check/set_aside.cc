#include "tool/check/set_aside.h"

namespace pack {

SetAsideSource::SetAsideSource(const std::string& bytes) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    end = end == std::string::npos ? bytes.size() : end + 2;
    lines_.push_back(bytes.substr(start, end - start));
    numbers_.push_back(lines_.size());
    start = end;
  }
  total_ = lines_.size();
}

bool SetAsideSource::setAside(std::size_t line) {
  if (line == 0 || line > lines_.size()) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line - 1));
  numbers_.erase(numbers_.begin() + static_cast<std::ptrdiff_t>(line - 1));
  return true;
}

std::string SetAsideSource::text() const {
  std::string bytes;
  for (const std::string& line : lines_) bytes += line;
  return bytes;
}

std::size_t SetAsideSource::authorLine(std::size_t line) const {
  if (line == 0) return 0;
  if (line <= numbers_.size()) return numbers_[line - 1];
  return line + (total_ - numbers_.size());  // past the last line: as many lines on as the text ends
}

}  // namespace pack
