// The framing of the language server's messages: a block of header lines ("Content-Length: N"), an empty
// line, then N bytes of JSON. The reader takes whatever arrives on a stream and hands out one body at a
// time. A damaged header block is reported and skipped, and the reader finds the next message at the next
// Content-Length header, even where the skipped body runs into it: one bad message never ends the session.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>

namespace pack::lsp {

// The largest body accepted: well above the largest source an editor sends (a route of 1,000,000 m is
// a few MB), well below what a machine with little memory can hold twice.
inline constexpr std::size_t kMaxBodyBytes = 64u << 20;
// A header line longer than this is not a header: only its last part is kept, where a header may follow.
inline constexpr std::size_t kMaxHeaderLine = 1024;

struct Frame {
  std::optional<std::string> body;  // the message, when the header block was sound
  std::string problem;              // why there is none: what the log should say
};

class MessageReader {
 public:
  explicit MessageReader(std::istream& in) : in_(in) {}

  // The next frame, or nothing at the end of the stream (a body cut short by the end is dropped).
  std::optional<Frame> next();

 private:
  // One header line without its line end; nothing at the end of the stream.
  std::optional<std::string> headerLine();

  std::istream& in_;
};

// The Content-Length of one header line: nothing when the line is another header, a negative value when
// it is a Content-Length header whose value is not a number that fits.
std::optional<long long> contentLengthOf(const std::string& line);

}  // namespace pack::lsp
