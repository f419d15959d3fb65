// scenario-tool normalize FILE...: rewrites scenario sources saved by an editor in another form (LF or
// mixed line ends, a byte-order mark, UTF-8 text) into the form the compiler reads: code page 1252 with
// CR LF after every line. Each file is replaced whole through a temporary file, or left untouched.
#include <cctype>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "output/file_writer.h"
#include "platform/platform.h"
#include "tool/check/source_form.h"
#include "tool/commands/output_guard.h"
#include "tool/commands/tool_command.h"

namespace pack {
namespace {

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

class NormalizeCommand : public ToolCommand {
 public:
  NormalizeCommand() : ToolCommand("normalize") {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command(
        "normalize", "Rewrite sources in code page 1252 with CR LF line ends, the form the compiler reads");
    sub.footer(
        "Changes LF-only, mixed and lone CR line ends to CR LF, removes a byte-order mark and converts text\n"
        "saved as UTF-8 into code page 1252. A file that is not valid UTF-8 is taken to be code page 1252\n"
        "already and keeps its characters. A file already in that form is not rewritten. A character that\n"
        "code page 1252 cannot hold is reported with its line and column, and that file is left as it was.\n"
        "Only source texts are rewritten: a file named as a compiled file (.dat, .sim) or holding a NUL\n"
        "byte is refused untouched. Through a symbolic link the file it leads to is rewritten; a file with\n"
        "several names (hard links) is refused, as a rewritten file would no longer be shared.\n"
        "Exit status: 0 done, 65 a file holds a character code page 1252 cannot hold or is not a source\n"
        "text, 64 bad argument, 73 a file has several names, 74 a file could not be read or written.\n"
        "More in docs/authoring.md.");
    sub.option("FILE", files_, "Source files to rewrite in place").required().notEmpty();
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::unique_ptr<Platform> platform = makeNativePlatform();
    int status = kExitOk;
    for (const std::string& file : files_) {
      int fileStatus = normalizeOne(*platform, file, out, voice(err), err);
      if (fileStatus != kExitOk && (status == kExitOk || fileStatus == kExitIo)) status = fileStatus;
    }
    return status;
  }

 private:
  static int normalizeOne(FileSystem& fs, const std::string& file, std::ostream& out, const CommandVoice& say,
                          std::ostream& err) {
    try {
      if (isCompiledFileName(file)) {
        return refuse(say, file, "named as a compiled file (.dat, .sim), not a source text");
      }
      // Through a link, the file it leads to is rewritten and the link stays.
      const std::string target = fs.resolvedPath(file);
      const std::string bytes = fs.read(target);
      std::optional<FileIdentity> identity = fs.identity(target);
      if (identity && identity->links > 1) {
        say.line() << file << " has " << identity->links
            << " names (hard links), which a rewritten file would no longer share; the file was not changed\n";
        return kExitCannotCreate;
      }
      if (std::size_t nul = bytes.find('\0'); nul != std::string::npos) {
        return refuse(say, file, "holds a NUL byte at offset " + std::to_string(nul) + ", so it is not a source text");
      }
      NormalizedSource result = normalizeSource(bytes);
      if (result.refusal) {
        err << file << ":" << result.refusal->line << ":" << result.refusal->column
            << ": error: " << result.refusal->message << "; the file was not changed\n";
        return kExitData;
      }
      if (result.changes.empty()) {
        out << file << ": already in code page 1252 with CR LF line ends; not rewritten\n";
        return kExitOk;
      }
      writeFile(fs, target, [&](BinaryWriter& writer) { writer.bytes(result.bytes); });
      out << "normalized " << file << ": " << joined(result.changes) << '\n';
      return kExitOk;
    } catch (const IoError& e) {
      return say.fail(kExitIo, e.what());
    }
  }

  // Only source texts are rewritten: a compiled file, told by its name, or a file holding a NUL byte,
  // which no text holds, is refused before anything is written.
  static bool isCompiledFileName(const std::string& file) {
    std::string lower = file;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.ends_with(".dat") || lower.ends_with(".sim");
  }

  static int refuse(const CommandVoice& say, const std::string& file, const std::string& why) {
    return say.fail(kExitData, file + ": " + why + "; the file was not changed");
  }

  std::vector<std::string> files_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeNormalizeCommand() { return std::make_unique<NormalizeCommand>(); }

}  // namespace pack
