// What the tool prints passes through here: control characters that a name, a key or a path brought
// along are shown as \u escapes instead of reaching the terminal, where an escape sequence from a station
// name could move the cursor, recolour or retitle it. Line ends and tabs pass; so does everything else.
// An escape is valid JSON inside a JSON string, so the JSON output stays what it was.
#pragma once

#include <ostream>
#include <streambuf>

namespace pack {

class EscapingBuffer : public std::streambuf {
 public:
  explicit EscapingBuffer(std::ostream& target) : target_(target) {}
  ~EscapingBuffer() override { flushPending(); }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  void put(unsigned char c);
  void flushPending();

  std::ostream& target_;
  bool pendingC2_ = false;  // a UTF-8 lead byte 0xC2 waiting for what follows (C1 controls are C2 80..9F)
};

// An output stream through an EscapingBuffer onto `target`.
class EscapingStream : public std::ostream {
 public:
  explicit EscapingStream(std::ostream& target) : std::ostream(nullptr), buffer_(target) { rdbuf(&buffer_); }

 private:
  EscapingBuffer buffer_;
};

}  // namespace pack
