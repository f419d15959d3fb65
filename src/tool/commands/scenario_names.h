// The scenario name and train number an author gives on the command line: checked before anything is
// read or written, because every file name is built from them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pack {

// The name in code page 1252, or nothing with `problem` set: empty, a path separator, "..", a control
// character, or a character code page 1252 cannot hold.
std::optional<std::string> checkNamePart(std::string_view utf8, std::string_view what, std::string& problem);

}  // namespace pack
