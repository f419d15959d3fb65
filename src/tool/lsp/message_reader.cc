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

std::size_t lengthHeaderAt(std::string_view line) {
  for (std::size_t at = 0; at + kLengthHeader.size() <= line.size(); ++at) {
    if (startsWithIgnoreCase(line.substr(at), kLengthHeader)) return at;
  }
  return std::string_view::npos;
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
  // A line longer than a header keeps only its last part: after a skipped message, the next message's
  // header may follow the skipped body on the same line.
  std::string line;
  bool any = false;
  for (int c = in_.get(); c != std::char_traits<char>::eof(); c = in_.get()) {
    any = true;
    if (c == '\n') break;
    if (line.size() == 2 * kMaxHeaderLine) line.erase(0, kMaxHeaderLine);
    line += static_cast<char>(c);
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
    // Where a header block was damaged, its body is read as header lines: the next message starts at the
    // next Content-Length header, wherever it stands on its line.
    if (std::size_t at = lengthHeaderAt(*line); at != std::string_view::npos) {
      if (std::optional<long long> n = contentLengthOf(line->substr(at))) length = *n;
    }
  }
  if (length == -2) return Frame{std::nullopt, "a message without a Content-Length header was skipped"};
  if (length < 0) return Frame{std::nullopt, "a message with an unusable Content-Length was skipped"};
  if (static_cast<unsigned long long>(length) > kMaxBodyBytes) {
    in_.ignore(length);
    return Frame{std::nullopt, "a message of " + std::to_string(length) + " bytes was skipped: more than " +
                                   std::to_string(kMaxBodyBytes) + " bytes"};
  }
  std::string body(static_cast<std::size_t>(length), '\0');
  in_.read(body.data(), length);
  if (in_.gcount() != length) return std::nullopt;
  return Frame{std::move(body), {}};
}

}  // namespace pack::lsp
