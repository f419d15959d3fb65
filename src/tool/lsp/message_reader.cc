#include "tool/lsp/message_reader.h"

#include <cctype>
#include <string_view>

namespace pack::lsp {
namespace {

constexpr std::string_view kLengthHeader = "content-length:";

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<long long> contentLengthOf(const std::string& line) {
  if (!startsWithIgnoreCase(line, kLengthHeader)) return std::nullopt;
  std::string_view value = std::string_view(line).substr(kLengthHeader.size());
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  if (value.empty() || value.size() > 12) return -1;  // 12 digits already exceed any accepted body
  long long n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::optional<std::string> MessageReader::headerLine() {
  std::string line;
  bool any = false;
  for (int c = in_.get(); c != std::char_traits<char>::eof(); c = in_.get()) {
    any = true;
    if (c == '\n') break;
    if (line.size() < kMaxHeaderLine) line += static_cast<char>(c);
  }
  if (!any) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<Frame> MessageReader::next() {
  long long length = -2;  // -2: no Content-Length header seen yet
  bool anyHeader = false;
  for (;;) {
    std::optional<std::string> line = headerLine();
    if (!line) return std::nullopt;
    if (line->empty()) {
      if (anyHeader) break;
      continue;  // blank lines between messages are harmless
    }
    anyHeader = true;
    if (std::optional<long long> n = contentLengthOf(*line)) length = *n;
  }
  if (length == -2) return Frame{std::nullopt, "a message without a Content-Length header was skipped"};
  if (length < 0 || static_cast<unsigned long long>(length) > kMaxBodyBytes) {
    return Frame{std::nullopt, "a message with an unusable Content-Length was skipped"};
  }
  std::string body(static_cast<std::size_t>(length), '\0');
  in_.read(body.data(), length);
  if (in_.gcount() != length) return std::nullopt;
  return Frame{std::move(body), {}};
}

}  // namespace pack::lsp
