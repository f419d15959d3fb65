// The rules every command keeps before it replaces a file: never over one of its own inputs, never over a
// file of another kind, and never from an argument that names no path at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "platform/platform.h"

namespace pack {

// For folder and file arguments: an empty one would mean the current folder or, joined to a name, the
// root, never what was meant.
inline const CLI::Validator kNotEmpty(
    [](const std::string& value) { return value.empty() ? std::string("must not be empty") : std::string(); },
    "NOT EMPTY", "not empty");

// Why `output` may not be written: it leads to one of `inputs` (the same file, whatever the spelling or
// link), or an existing file there does not begin with `kindMark` (the first bytes of what the command
// writes; empty: any file of that name may be replaced). Nothing when it may.
std::optional<std::string> outputProblem(FileSystem& fs, const std::string& output,
                                         const std::vector<std::string>& inputs, std::string_view kindMark);

}  // namespace pack
