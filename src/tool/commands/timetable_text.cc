#include "tool/commands/timetable_text.h"

#include <cmath>
#include <cstdio>
#include <ostream>

#include "formats/cp1252.h"

namespace pack {

std::string fixedText(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  return text == "-0" || text == "-0.0" || text == "-0.00" ? text.substr(1) : text;
}

std::string metresText(double metres) {
  std::string text = fixedText(metres, 2);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

std::string speedText(double metresPerSecond) { return fixedText(metresPerSecond * 3.6, 1) + " km/h"; }

std::string secondsText(double seconds) { return " (" + fixedText(seconds, 1) + " s)"; }

std::string trainSummary(const running_time::Train& train) {
  std::string text = fixedText(train.lengthM, 1) + " m, " + fixedText(train.massKg / 1000.0, 0) + " t, " +
                     fixedText(train.maxSpeedMs * 3.6, 0) + " km/h";
  if (train.cars > 0) text += ", " + std::to_string(train.cars) + (train.cars == 1 ? " car" : " cars");
  return text + ", braking " + fixedText(train.brakingMs2, 3) + " m/s²";
}

nlohmann::json trainJson(const running_time::Train& train) {
  return {{"name", train.name},
          {"length_m", train.lengthM},
          {"mass_kg", train.massKg},
          {"max_speed_m_s", train.maxSpeedMs},
          {"cars", train.cars},
          {"braking_m_s2", train.brakingMs2},
          {"rotation_mass_factor", train.rotationFactor},
          {"passenger", train.passenger}};
}

TextTable::TextTable(std::vector<std::string> header, std::vector<bool> rightAligned) : right_(std::move(rightAligned)) {
  rows_.push_back(std::move(header));
}

void TextTable::add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }

void TextTable::print(std::ostream& out) const {
  // Widths in characters: the names are UTF-8, so count code points, not bytes.
  auto width = [](const std::string& text) {
    std::size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
  };
  std::vector<std::size_t> widths;
  for (const auto& row : rows_) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i >= widths.size()) widths.push_back(0);
      widths[i] = std::max(widths[i], width(row[i]));
    }
  }
  for (const auto& row : rows_) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      std::string pad(widths[i] - width(row[i]), ' ');
      bool right = i < right_.size() && right_[i];
      if (i > 0) line += "  ";
      line += right ? pad + row[i] : row[i] + (i + 1 < row.size() ? pad : "");
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << "\n";
  }
}

}  // namespace pack
