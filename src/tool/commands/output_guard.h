// The rules every command keeps before it replaces a file: never over one of its own inputs, never over a
// file of another kind, and never from an argument that names no path at all; and the one rule for what
// `-o` names.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace pack {

// Why `output` may not be written: it leads to one of `inputs` (the same file, whatever the spelling or
// link), or an existing file there does not begin with `kindMark` (the first bytes of what the command
// writes; empty: any file of that name may be replaced). Nothing when it may.
std::optional<std::string> outputProblem(FileSystem& fs, const std::string& output,
                                         const std::vector<std::string>& inputs, std::string_view kindMark);

// Whether the path ends in `extension` (".svg"), in any letter case, as Windows reads names.
bool hasExtension(std::string_view path, std::string_view extension);

// Where a command that writes one file puts it. `output` (-o) names the file itself when it ends in the
// file's extension or is a file already (which outputProblem then judges), and otherwise a folder that
// gets the file under its usual name `fileName`; empty, the file goes into `defaultFolder`.
std::string outputFilePath(FileSystem& fs, const std::string& output, const std::string& defaultFolder,
                           const std::string& fileName);

// Makes the folder that `path` lies in, with its parents, when they are missing.
void createFolderFor(FileSystem& fs, const std::string& path);

// Why a command that writes a set of files cannot take `folder` (-o or DIR) as the folder for them: its
// name ends in the extension of one of those files, so the author meant a file and would get a folder of
// that name. Nothing when it may.
std::optional<std::string> folderNameProblem(const std::string& folder,
                                             std::initializer_list<std::string_view> extensions);

}  // namespace pack
