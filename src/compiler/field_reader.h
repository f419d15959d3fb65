// Reads a scenario source field by field from its bytes (code page 1252):
//  - blanks (spaces) before a field are skipped;
//  - a text field runs to the next comma or line end (CR LF), which is consumed; its trailing blanks
//    are dropped;
//  - a number is an optional sign and decimal digits, or nothing (0); it ends at a blank, comma or line
//    end, and the blanks after it and one comma or line end following them are consumed;
//  - a read with nothing left, a malformed number or one that does not fit its target is a run-time
//    failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pack {

class FieldReader {
 public:
  explicit FieldReader(std::string_view data) : data_(data) {}

  // True when every byte has been consumed.
  bool atEnd() const { return pos_ >= data_.size(); }

  std::string readText();
  std::int32_t readInt32();
  std::int16_t readInt16();
  std::uint8_t readUint8();

  // Line (from 1) on which the last field read began; line of the next byte before any read.
  std::size_t fieldLine() const { return fieldLine_; }
  // Column (from 1, in bytes) at which the last field read began, after its leading blanks.
  std::size_t fieldColumn() const { return fieldColumn_; }
  // The last field as written: a text before its trailing blanks are dropped, a number's token (empty
  // for a number read as 0). Set before a malformed number fails, so it names what could not be read.
  std::string_view fieldToken() const { return token_; }
  // Whether the last field was ended by the line end or the end of the file, not by a comma.
  bool fieldEndedLine() const { return endedLine_; }
  std::size_t offset() const { return pos_; }

  // The rest of the current line, without its line end. Only for messages: it scans the line.
  std::string_view restOfLine() const;
  // Goes on after the current line's end (or at the end of the file), for a reading that recovers from
  // a field it could not read.
  void skipRestOfLine();

 private:
  void beginField();                       // skips blanks, fails when nothing is left
  bool atLineEnd() const;                  // CR LF at the current position
  void consumeLineEnd();
  void endField();                         // consumes the comma or line end that ends a field
  std::int64_t readInteger(std::int64_t min, std::int64_t max);

  std::string_view data_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  std::size_t fieldLine_ = 1;
  std::size_t lineStart_ = 0;
  std::size_t fieldColumn_ = 1;
  std::string_view token_;
  bool endedLine_ = false;
};

}  // namespace pack
