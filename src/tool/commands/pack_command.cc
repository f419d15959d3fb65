// scenario-tool pack DIR [SCENARIO [TRAIN]] -o FILE: a copy of the pack program that carries the scenario
// in DIR, for publishing it the way the embedded scenario is published.
#include "tool/commands/pack_command.h"

#include <algorithm>
#include <optional>
#include <ostream>
#include <vector>

#include "formats/file_names.h"
#include "output/file_writer.h"
#include "output/pack_payload.h"
#include "tool/commands/check_command.h"
#include "tool/describe/findings.h"
#include "tool/commands/output_guard.h"
#include "tool/commands/scenario_command.h"

namespace pack {

constexpr std::uint64_t kMaxTemplateBytes = std::uint64_t{512} << 20;
namespace {

constexpr const char* kTemplateName = "scenario-pack.exe";

// The scenario's sources and those of its crew documents that DIR holds, as they are on disk.
PackPayload gatherScenario(FileSystem& disk, const ChosenScenario& chosen) {
  const ScenarioNames names = chosen.names();
  const std::string& dir = chosen.dir;
  PackPayload payload{chosen.scenario, chosen.train, {}, disk.read(disk.join(dir, routeSourceName(names))),
                      disk.read(disk.join(dir, trainRunSourceName(names)))};
  // In the order the pack writes the embedded scenario's documents.
  for (const std::string& name : {notesName(names), slowDownOrderName(names), timetableName(names)}) {
    std::string path = disk.join(dir, name);
    if (disk.exists(path)) payload.documents.push_back({name, disk.read(path)});
  }
  return payload;
}

// Every file a pack is made from: the template, the sources and the crew documents.
std::vector<std::string> packInputs(FileSystem& disk, const ChosenScenario& chosen, const std::string& templateFile) {
  const ScenarioNames names = chosen.names();
  std::vector<std::string> inputs{templateFile};
  for (const std::string& name : {routeSourceName(names), trainRunSourceName(names), notesName(names),
                                  slowDownOrderName(names), timetableName(names)}) {
    inputs.push_back(disk.join(chosen.dir, name));
  }
  return inputs;
}

// A source the simulator would show garbled: its text not in code page 1252, or lines it cannot read.
bool garbledSource(const Verdict& verdict) {
  return std::any_of(verdict.findings.begin(), verdict.findings.end(), [](const VerdictFinding& f) {
    return f.id == findingCode(FindingId::kUtf8Text) || f.id == findingCode(FindingId::kLineEnds) ||
           f.id == findingCode(FindingId::kByteOrderMark);
  });
}

// The check's verdict as the pack command's: 0 to go on, or the status to end with.
int checkFirst(const PackOptions& options, FileSystem& disk, const ChosenScenario& chosen, std::ostream& err) {
  const CommandVoice say("pack", err);
  Verdict verdict;
  try {
    verdict = checkScenario(CheckOptions{}, disk, chosen);
  } catch (const IoError& e) {
    return say.fail(kExitIo, e.what());
  }
  printVerdict(CheckOptions{}, verdict, err);
  if (verdict.hasError() && !options.allowErrors) {
    return say.fail(kExitCheckErrors, "the scenario has an error; nothing was written (--allow-errors packs it as it is)");
  }
  if (verdict.warningCount > 0 && options.strict) {
    return say.fail(kExitCheckWarnings, "the scenario has warnings and --strict refuses them; nothing was written");
  }
  if (garbledSource(verdict) && !options.allowWarnings) {
    return say.fail(kExitCheckWarnings,
                    "a source is not in the pack's form (code page 1252, CR LF), so the simulator would show its "
                    "text garbled; nothing was written (scenario-tool normalize puts it right; --allow-warnings "
                    "packs it as it is)");
  }
  return kExitOk;
}

std::string templatePath(const PackOptions& options, Platform& platform) {
  if (!options.templatePath.empty()) return options.templatePath;
  std::string beside = platform.join(platform.programFolder(), kTemplateName);
  if (!platform.exists(beside)) {
    throw IoError("find the pack program", beside,
                  "no such file; the Windows package has it beside scenario-tool.exe (or give --template PATH)");
  }
  return beside;
}

}  // namespace

int runPackCommand(const PackOptions& options, Platform& platform, const ChosenScenario& chosen, std::ostream& out,
                   std::ostream& err) {
  const CommandVoice say("pack", err);
  if (int status = checkFirst(options, platform, chosen, err); status != kExitOk) return status;

  std::string program;
  try {
    PackPayload payload = gatherScenario(platform, chosen);
    const std::string from = templatePath(options, platform);
    try {
      // A template is a program, not a scenario's file: it may be larger than the cap for those (a build
      // with sanitizers is), and reading it is the only way to tell whether it is a pack.
      program = attachPayload(platform.read(from, kMaxTemplateBytes), payload);
    } catch (const TemplateError& e) {
      return say.fail(kExitData, "the template " + from + " cannot be used: " + e.what());
    } catch (const PayloadTooLarge& e) {
      return say.fail(kExitData, e.what());
    }
    // The program written may be any kind of file, but never one the pack was made from.
    const std::vector<std::string> inputs = packInputs(platform, chosen, from);
    if (std::optional<std::string> refused = outputProblem(platform, options.output, inputs, "")) {
      return say.fail(kExitCannotCreate, *refused);
    }
    createFolderFor(platform, options.output);
    writeFile(platform, options.output, [&](BinaryWriter& w) { w.bytes(program); });
    platform.makeExecutable(options.output);
    out << "wrote " << options.output << " (" << payload.documents.size() << " crew document"
        << (payload.documents.size() == 1 ? "" : "s") << " and the two sources, " << program.size()
        << " bytes)\n";
  } catch (const IoError& e) {
    return say.fail(kExitIo, e.what());
  }
  return kExitOk;
}

namespace {

class PackCommand : public ScenarioCommand {
 public:
  PackCommand() : ScenarioCommand("pack", ScenarioFiles::kSources) {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("pack", "Make a Windows program that writes and compiles the scenario in DIR");
    sub.footer(
        "Checks DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt as check does, then writes FILE: a copy\n"
        "of the pack program that carries the two sources and the crew documents DIR holds under the\n"
        "scenario's names (SCENARIO_TRAIN_note.txt, _rallentamenti.txt, _scheda_treno.txt; none is fine).\n"
        "Started, it writes them into its own folder, compiles the sources exactly as compile does,\n"
        "deletes them and ends, with the window and message box of scenario-pack.exe. The template is\n"
        "scenario-pack.exe beside the tool unless --template is given; a scenario it carries already is\n"
        "replaced. FILE is written whole or not at all, whatever its name (a program made from a POSIX\n"
        "template has none), and missing folders on its way are created; it is never one of the files\n"
        "the pack is made from.\n"
        "A source in UTF-8, with a byte-order mark or with line ends other than CR LF is refused unless\n"
        "--allow-warnings, as the simulator would show its text garbled; --strict refuses any warning.\n"
        "Exit status: 0 written, 1 refused for warnings (a source's form, or any with --strict), 2 the\n"
        "scenario has an error (nothing written unless --allow-errors),\n"
        "64 bad argument, 65 the template is not the pack program, 73 FILE is one of the pack's own files,\n"
        "74 a file could not be read or written.\n"
        "More in docs/publishing.md.");
    sub.option("-o,--output", options_.output, "The program to write (for example ValSorgente.exe)").required().notEmpty();
    sub.option("--template", options_.templatePath, "The pack program to copy (default: " +
                                                              std::string(kTemplateName) + " beside the tool)");
    sub.flag("--allow-errors", options_.allowErrors,
                  "Pack a scenario with an error; the pack then writes what the compile gives, as compile does");
    sub.flag("--strict", options_.strict, "Refuse a scenario with warnings, as check --strict fails on them");
    sub.flag("--allow-warnings", options_.allowWarnings,
                  "Pack a source that is not in code page 1252 with CR LF line ends, as it is");
    addScenarioArguments(sub, "the two sources and the crew documents");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::unique_ptr<Platform> platform = makeNativePlatform();
    int status = kExitOk;
    std::optional<ChosenScenario> chosen = chooseScenario(*platform, err, status);
    if (!chosen) return status;
    return runPackCommand(options_, *platform, *chosen, out, err);
  }

 private:
  PackOptions options_;
};

}  // namespace

std::unique_ptr<ToolCommand> makePackCommand() { return std::make_unique<PackCommand>(); }

}  // namespace pack
