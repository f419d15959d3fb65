#include "compiler/field_reader.h"

#include <algorithm>
#include <limits>

#include "compiler/runtime_failure.h"

namespace pack {

bool FieldReader::atLineEnd() const {
  return pos_ + 1 < data_.size() && data_[pos_] == '\r' && data_[pos_ + 1] == '\n';
}

void FieldReader::consumeLineEnd() {
  pos_ += 2;
  ++line_;
  lineStart_ = pos_;
}

void FieldReader::beginField() {
  if (atEnd()) throw RuntimeFailure("read past the end of the source");
  while (pos_ < data_.size() && data_[pos_] == ' ') ++pos_;
  fieldLine_ = line_;
  fieldColumn_ = pos_ - lineStart_ + 1;
  token_ = {};
  endedLine_ = false;
}

void FieldReader::endField() {
  if (atLineEnd()) {
    consumeLineEnd();
    endedLine_ = true;
  } else if (pos_ < data_.size() && data_[pos_] == ',') {
    ++pos_;
  } else {
    endedLine_ = atEnd();
  }
}

std::string_view FieldReader::restOfLine() const {
  std::string_view rest = data_.substr(std::min(pos_, data_.size()));
  return rest.substr(0, rest.find("\r\n"));
}

void FieldReader::skipRestOfLine() {
  std::size_t end = data_.find("\r\n", std::min(pos_, data_.size()));
  if (end == std::string_view::npos) {
    pos_ = data_.size();
    return;
  }
  pos_ = end;
  consumeLineEnd();
}

std::string FieldReader::readText() {
  beginField();
  std::size_t start = pos_;
  while (pos_ < data_.size() && data_[pos_] != ',' && !atLineEnd()) ++pos_;
  std::string_view text = token_ = data_.substr(start, pos_ - start);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  endField();
  return std::string(text);
}

std::int64_t FieldReader::readInteger(std::int64_t min, std::int64_t max) {
  beginField();
  std::size_t start = pos_;
  while (pos_ < data_.size() && data_[pos_] != ' ' && data_[pos_] != ',' && !atLineEnd()) ++pos_;
  std::string_view token = token_ = data_.substr(start, pos_ - start);

  std::int64_t value = 0;
  if (!token.empty()) {
    bool negative = token.front() == '-';
    if (token.front() == '-' || token.front() == '+') token.remove_prefix(1);
    if (token.empty()) throw RuntimeFailure("a sign without digits where a number was expected");
    std::int64_t limit = negative ? -min : max;
    for (char c : token) {
      if (c < '0' || c > '9') throw RuntimeFailure("not a whole number");
      value = value * 10 + (c - '0');
      if (value > limit) throw RuntimeFailure("number out of range for its field");
    }
    if (negative) value = -value;
  }

  while (pos_ < data_.size() && data_[pos_] == ' ') ++pos_;
  endField();
  return value;
}

std::int32_t FieldReader::readInt32() {
  return static_cast<std::int32_t>(readInteger(std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
}

std::int16_t FieldReader::readInt16() {
  return static_cast<std::int16_t>(readInteger(std::numeric_limits<std::int16_t>::min(),
                                               std::numeric_limits<std::int16_t>::max()));
}

std::uint8_t FieldReader::readUint8() { return static_cast<std::uint8_t>(readInteger(0, 255)); }

}  // namespace pack
