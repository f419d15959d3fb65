// How `runtime` and `timetable` show running times: numbers in the units a person reads (km/h, h:mm:ss,
// t), a plain table with columns aligned, and the train's figures in words and in JSON.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "running_time/train.h"

namespace pack {

std::string fixedText(double value, int decimals);
std::string metresText(double metres);       // "9500.95", "10000"
std::string speedText(double metresPerSecond);  // "81.1 km/h"
std::string secondsText(double seconds);     // " (67.3 s)"
std::string trainSummary(const running_time::Train& train);  // "153.4 m, 443 t, 160 km/h, 5 cars"
nlohmann::json trainJson(const running_time::Train& train);

// Columns padded to their widest cell, text columns to the left and numbers to the right.
class TextTable {
 public:
  TextTable(std::vector<std::string> header, std::vector<bool> rightAligned);
  void add(std::vector<std::string> row);
  void print(std::ostream& out) const;

 private:
  std::vector<std::vector<std::string>> rows_;
  std::vector<bool> right_;
};

}  // namespace pack
