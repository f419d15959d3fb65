// file: URIs as the editor names documents, and the paths the tool reads. A URI whose path begins with a
// drive letter ("file:///C:/lines/x.txt") is a Windows path and becomes "C:\lines\x.txt"; any other is a
// POSIX path. Only file: URIs name sources; every other scheme (an unsaved buffer) has no path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pack::lsp {

std::optional<std::string> uriToPath(std::string_view uri);
std::string pathToUri(std::string_view path);

}  // namespace pack::lsp
