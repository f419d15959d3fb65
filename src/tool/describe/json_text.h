// JSON as the tool prints it: indented, and always valid, whatever bytes a name or path holds (a folder
// name that is not UTF-8 shows its undecodable bytes as U+FFFD instead of ending the output).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace pack {

// `value`, or null when it is not there (a line 0, an empty id).
template <typename T>
nlohmann::json orNull(bool present, const T& value) {
  return present ? nlohmann::json(value) : nlohmann::json(nullptr);
}

inline std::string jsonText(const nlohmann::json& j, int indent = 2) {
  return j.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace pack
