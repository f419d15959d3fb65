// Where a place in a source is, in the three ways the server meets it. The compiler and the lint count
// lines from 1 and columns in code page 1252 bytes from 1, on CR LF lines; the editor sends UTF-8 text whose
// lines may end in CR LF, LF or CR, and counts lines from 0 and columns in the units of the position encoding
// agreed at the start (UTF-16 code units unless the client offers another). Every character of the editor's
// text becomes exactly one byte of the compiled text (a character code page 1252 cannot hold becomes "?"),
// so a byte column is the number of characters before it on its line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pack::lsp {

enum class PositionEncoding : std::uint8_t { kUtf16, kUtf8, kUtf32 };

// "utf-16", "utf-8", "utf-32".
std::string_view encodingName(PositionEncoding encoding);

struct Position {
  std::size_t line = 0;       // from 0
  std::size_t character = 0;  // in the encoding's units, from 0
  bool operator==(const Position&) const = default;
};

// A character of the editor's text that code page 1252 cannot hold: its line and its column in
// characters, both from 0.
struct Unencodable {
  std::size_t line = 0;
  std::size_t column = 0;
  char32_t codePoint = 0;
};

// The editor's text as the compiler reads the saved file: code page 1252, CR LF after every line.
struct CompilerText {
  std::string bytes;
  std::vector<Unencodable> unencodable;
};

// The lines of one UTF-8 text, split where the protocol splits them (CR LF, LF or CR).
class LineIndex {
 public:
  explicit LineIndex(std::string_view utf8);

  std::size_t lineCount() const { return starts_.size(); }
  std::string_view line(std::size_t index) const;  // without its line end; empty past the last line

  // A column in characters (= code page 1252 bytes) from 0 → the encoding's units, and back. Columns past
  // the line's end are held at it.
  std::size_t toUnits(std::size_t line, std::size_t characters, PositionEncoding encoding) const;
  std::size_t toCharacters(std::size_t line, std::size_t units, PositionEncoding encoding) const;

  // The text converted for the compiler (see CompilerText).
  CompilerText compilerText() const;

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;   // byte offset of each line's first character
  std::vector<std::size_t> lengths_;  // byte length of each line without its line end
};

// A position of the compiler's (line and byte column from 1; column 0 for the whole line) as the editor's.
Position editorPosition(const LineIndex& lines, std::size_t line, std::size_t column, PositionEncoding encoding);

}  // namespace pack::lsp
