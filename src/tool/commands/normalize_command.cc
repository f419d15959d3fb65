// scenario-tool normalize FILE...: rewrites scenario sources saved by an editor in another form (LF or
// mixed line ends, a byte-order mark, UTF-8 text) into the form the compiler reads: code page 1252 with
// CR LF after every line. Each file is replaced whole through a temporary file, or left untouched.
#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "output/file_writer.h"
#include "platform/platform.h"
#include "tool/check/source_form.h"
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
  CLI::App* define(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand(
        "normalize", "Rewrite sources in code page 1252 with CR LF line ends, the form the compiler reads");
    sub->footer(
        "Changes LF-only, mixed and lone CR line ends to CR LF, removes a byte-order mark and converts text\n"
        "saved as UTF-8 into code page 1252. A file that is not valid UTF-8 is taken to be code page 1252\n"
        "already and keeps its characters. A file already in that form is not rewritten. A character that\n"
        "code page 1252 cannot hold is reported with its line and column, and that file is left as it was.\n"
        "Exit status: 0 done, 65 a file holds a character code page 1252 cannot hold, 64 bad argument,\n"
        "74 a file could not be read or written.");
    sub->add_option("FILE", files_, "Source files to rewrite in place")->required();
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::unique_ptr<Platform> platform = makeNativePlatform();
    int status = kExitOk;
    for (const std::string& file : files_) {
      int fileStatus = normalizeOne(*platform, file, out, err);
      if (fileStatus != kExitOk && (status == kExitOk || fileStatus == kExitIo)) status = fileStatus;
    }
    return status;
  }

 private:
  static int normalizeOne(FileSystem& fs, const std::string& file, std::ostream& out, std::ostream& err) {
    try {
      NormalizedSource result = normalizeSource(fs.read(file));
      if (result.refusal) {
        err << file << ":" << result.refusal->line << ":" << result.refusal->column
            << ": error: " << result.refusal->message << "; the file was not changed\n";
        return kExitData;
      }
      if (result.changes.empty()) {
        out << file << ": already in code page 1252 with CR LF line ends; not rewritten\n";
        return kExitOk;
      }
      writeFile(fs, file, [&](BinaryWriter& writer) { writer.bytes(result.bytes); });
      out << "normalized " << file << ": " << joined(result.changes) << '\n';
      return kExitOk;
    } catch (const IoError& e) {
      err << "scenario-tool normalize: " << e.what() << '\n';
      return kExitIo;
    }
  }

  std::vector<std::string> files_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeNormalizeCommand() { return std::make_unique<NormalizeCommand>(); }

}  // namespace pack
