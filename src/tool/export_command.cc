// scenario-tool export DIR: writes the scenario's two sources and three crew documents into DIR, byte
// for byte as the pack writes them. The pack deletes its sources after compiling; this is how an
// author gets them to read or to start a new scenario from.
#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

#include "app/form1.h"
#include "formats/file_names.h"
#include "platform/platform.h"
#include "tool/tool_command.h"

namespace pack {
namespace {

class ExportCommand : public ToolCommand {
 public:
  CLI::App* define(CLI::App& app) override {
    CLI::App* sub =
        app.add_subcommand("export", "Write the scenario's two sources and three crew documents into DIR");
    sub->footer(
        "Writes the route description and train run description (the sources that scenario-pack deletes\n"
        "after compiling), the timetable sheet, the slow-down order and the notes, byte for byte as\n"
        "scenario-pack writes them, and lists each file written with its lines and bytes. Files of the\n"
        "same names in DIR are replaced.\n"
        "Exit status: 0 done, 64 bad argument, 74 a file or folder could not be written.");
    sub->add_option("DIR", folder_, "Folder to write into; created with its parents if missing")->required();
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    if (folder_.empty()) {
      err << "scenario-tool: export: DIR must not be empty (see scenario-tool export --help)\n";
      return kExitUsage;
    }
    std::unique_ptr<Platform> platform = makeNativePlatform();
    try {
      platform->createDirectories(folder_);
      writeTexts(*platform);
      report(*platform, out);
    } catch (const IoError& e) {
      err << "scenario-tool: export: " << e.what() << "\n";
      return kExitIo;
    }
    return kExitOk;
  }

 private:
  // The pack's own writers, in the pack's order, so that the files cannot differ from its files.
  void writeTexts(Platform& platform) {
    Form1 form(platform, platform, folder_);
    form.setEmbeddedNames();
    form.writeTexts();
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
};

}  // namespace

std::unique_ptr<ToolCommand> makeExportCommand() { return std::make_unique<ExportCommand>(); }

}  // namespace pack
