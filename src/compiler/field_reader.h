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
  std::size_t offset() const { return pos_; }

 private:
  void beginField();                       // skips blanks, fails when nothing is left
  bool atLineEnd() const;                  // CR LF at the current position
  void consumeLineEnd();
  std::int64_t readInteger(std::int64_t min, std::int64_t max);

  std::string_view data_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  std::size_t fieldLine_ = 1;
};

}  // namespace pack
