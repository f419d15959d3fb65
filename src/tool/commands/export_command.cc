// scenario-tool export DIR: writes the scenario's two sources and three crew documents into DIR, byte
// for byte as the pack writes them. The pack deletes its sources after compiling; this is how an
// author gets them to read or to start a new scenario from.
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "formats/file_names.h"
#include "platform/memory_file_system.h"
#include "platform/platform.h"
#include "writers/embedded_tables.h"
#include "writers/line_table.h"
#include "tool/commands/output_guard.h"
#include "tool/commands/tool_command.h"

namespace pack {
namespace {

class ExportCommand : public ToolCommand {
 public:
  ExportCommand() : ToolCommand("export") {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub =
        tool.command("export", "Write the scenario's two sources and three crew documents into DIR");
    sub.footer(
        "Writes the route description and train run description (the sources that scenario-pack deletes\n"
        "after compiling), the timetable sheet, the slow-down order and the notes, byte for byte as\n"
        "scenario-pack writes them, and lists each file written with its lines and bytes. A file of the\n"
        "same name in DIR that differs from what export would write (a source being edited) is kept, and\n"
        "nothing is written, unless --force is given; files that are already the same are fine.\n"
        "Exit status: 0 done, 64 bad argument, 73 a file in DIR differs and --force was not given, 74 a\n"
        "file or folder could not be written.\n"
        "More in docs/authoring.md.");
    sub.flag("--force", force_, "Replace files in DIR even when they differ from the scenario's texts");
    sub.option("DIR", folder_, "Folder to write into; created with its parents if missing").required();
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    if (folder_.empty()) {
      return voice(err).fail(kExitUsage, "DIR must not be empty (see scenario-tool export --help)");
    }
    if (std::optional<std::string> wrong = folderNameProblem(folder_, {".txt"})) {
      return voice(err).fail(kExitUsage, *wrong);
    }
    std::unique_ptr<Platform> platform = makeNativePlatform();
    try {
      if (!force_) {
        std::vector<std::string> changed = changedFiles(*platform);
        if (!changed.empty()) {
          voice(err).line() << changed.front() << " differs from the scenario's text and was kept"
              << (changed.size() > 1 ? " (with " + std::to_string(changed.size() - 1) + " more)" : "")
              << "; nothing was written (--force replaces it)\n";
          return kExitCannotCreate;
        }
      }
      platform->createDirectories(folder_);
      writeTexts(*platform);
      report(*platform, out);
    } catch (const IoError& e) {
      return voice(err).fail(kExitIo, e.what());
    }
    return kExitOk;
  }

 private:
  // The pack's own texts, as one set as the pack writes them, so that the files cannot differ from its
  // files and a failure leaves the older five.
  void writeTexts(FileSystem& fs) { writeLineTables(fs, folder_, embeddedTexts({kScenarioName, kTrainNumber})); }

  // The files in DIR that exist and hold other bytes than export would write there.
  std::vector<std::string> changedFiles(FileSystem& fs) {
    MemoryFileSystem memory;
    writeTexts(memory);
    std::vector<std::string> changed;
    for (const auto& [memoryPath, bytes] : memory.files) {
      std::string path = fs.join(folder_, memoryPath.substr(memory.join(folder_, "").size()));
      if (fs.exists(path) && fs.read(path) != bytes) changed.push_back(path);
    }
    return changed;
  }

  void report(FileSystem& fs, std::ostream& out) const {
    ScenarioNames names{kScenarioName, kTrainNumber};
    for (const std::string& name : {routeSourceName(names), trainRunSourceName(names), notesName(names),
                                    slowDownOrderName(names), timetableName(names)}) {
      std::string path = fs.join(folder_, name);
      std::string bytes = fs.read(path);
      out << "wrote " << path << " (" << lineCount(bytes) << " lines, " << bytes.size() << " bytes)\n";
    }
  }

  // Every line ends in CR LF, the last included.
  static std::size_t lineCount(const std::string& bytes) {
    std::size_t count = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) {
      ++count;
    }
    return count;
  }

  std::string folder_;
  bool force_ = false;
};

}  // namespace

std::unique_ptr<ToolCommand> makeExportCommand() { return std::make_unique<ExportCommand>(); }

}  // namespace pack
