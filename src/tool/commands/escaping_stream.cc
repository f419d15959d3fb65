#include "tool/commands/escaping_stream.h"

namespace pack {
namespace {

void putEscape(std::ostream& out, unsigned code) {
  const char* digits = "0123456789abcdef";
  char text[] = {'\\', 'u', '0', '0', digits[(code >> 4) & 0xF], digits[code & 0xF]};
  out.write(text, sizeof text);
}

}  // namespace

void EscapingBuffer::put(unsigned char c) {
  if (pendingC2_) {
    pendingC2_ = false;
    if (c >= 0x80 && c <= 0x9F) {
      putEscape(target_, c);
      return;
    }
    target_.put(static_cast<char>(0xC2));
  }
  if (c == 0xC2) {
    pendingC2_ = true;
  } else if (c < 0x20 && c != '\n' && c != '\t') {
    putEscape(target_, c);
  } else {
    target_.put(static_cast<char>(c));
  }
}

void EscapingBuffer::flushPending() {
  if (pendingC2_) target_.put(static_cast<char>(0xC2));
  pendingC2_ = false;
}

EscapingBuffer::int_type EscapingBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  put(static_cast<unsigned char>(traits_type::to_char_type(c)));
  return target_ ? c : traits_type::eof();
}

std::streamsize EscapingBuffer::xsputn(const char* s, std::streamsize n) {
  // Runs of plain bytes go out in one piece; only the bytes that may need an escape go one by one.
  std::streamsize start = 0;
  for (std::streamsize i = 0; i < n; ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    bool plain = !pendingC2_ && c != 0xC2 && (c >= 0x20 || c == '\n' || c == '\t');
    if (plain) continue;
    target_.write(s + start, i - start);
    put(c);
    start = i + 1;
  }
  target_.write(s + start, n - start);
  return target_ ? n : 0;
}

int EscapingBuffer::sync() {
  target_.flush();
  return target_ ? 0 : -1;
}

}  // namespace pack
