#include "tool/commands/output_guard.h"

#include <algorithm>
#include <cctype>

namespace pack {

std::optional<std::string> outputProblem(FileSystem& fs, const std::string& output,
                                         const std::vector<std::string>& inputs, std::string_view kindMark) {
  std::optional<FileIdentity> target = fs.identity(output);
  for (const std::string& input : inputs) {
    std::optional<FileIdentity> source = fs.identity(input);
    bool same = target && source ? target->sameFile(*source) : output == input;
    if (same) return output + " is " + input + ", which this command reads; nothing was written";
  }
  if (kindMark.empty() || !fs.exists(output)) return std::nullopt;
  std::string head = fs.read(output).substr(0, 4096);
  if (head.find(kindMark) == std::string::npos) {
    return output + " exists and is not a file this command writes; it was kept and nothing was written";
  }
  return std::nullopt;
}

bool hasExtension(std::string_view path, std::string_view extension) {
  if (path.size() <= extension.size()) return false;
  return std::equal(extension.begin(), extension.end(), path.end() - static_cast<std::ptrdiff_t>(extension.size()),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                    });
}

std::string outputFilePath(FileSystem& fs, const std::string& output, const std::string& defaultFolder,
                           const std::string& fileName) {
  if (output.empty()) return fs.join(defaultFolder, fileName);
  const std::string_view extension = std::string_view(fileName).substr(std::min(fileName.rfind('.'), fileName.size()));
  if (hasExtension(output, extension)) return output;
  // A file already there is meant as the file, whatever its name: replacing it is outputProblem's to judge.
  if (fs.exists(output) && !fs.listFiles(output)) return output;
  return fs.join(output, fileName);
}

void createFolderFor(FileSystem& fs, const std::string& path) {
  if (std::string folder = fs.folderOf(path); !folder.empty()) fs.createDirectories(folder);
}

std::optional<std::string> folderNameProblem(const std::string& folder,
                                             std::initializer_list<std::string_view> extensions) {
  for (std::string_view extension : extensions) {
    if (hasExtension(folder, extension)) {
      return folder + " names a file, but this command writes several files into a folder; give a folder name";
    }
  }
  return std::nullopt;
}

}  // namespace pack
