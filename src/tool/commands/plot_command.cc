// scenario-tool plot DIR: one SVG picture of a compiled scenario, or with --html one interactive page.
#include <ostream>

#include "formats/file_names.h"
#include "formats/compiled_format.h"
#include "output/compiled_decoders.h"
#include "output/file_writer.h"
#include "tool/plot/plot_html.h"
#include "tool/plot/plot_input.h"
#include "tool/plot/plot_svg.h"
#include "tool/commands/output_guard.h"
#include "tool/commands/scenario_command.h"

namespace pack {
namespace {

class PlotCommand : public ScenarioCommand {
 public:
  PlotCommand() : ScenarioCommand("plot", ScenarioFiles::kCompiled) {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("plot", "Draw a compiled scenario: one SVG picture, or an interactive page");
    sub.footer(
        "Reads DIR/SCENARIO_TRAIN.dat, DIR/SCENARIO_TRAIN.sim and, when present, DIR/SCENARIO_linea.dat,\n"
        "and writes one self-contained SVG, DIR/SCENARIO_TRAIN.svg: the line seen from above with a scale\n"
        "bar, and under it the panels along the line (stations and platforms, elevation, gradient, curves,\n"
        "speed with the slow-downs, adhesion, signals and boards), labelled with the line's kilometre posts.\n"
        "With --html it writes DIR/SCENARIO_TRAIN.html instead: one file that opens from disk in a browser,\n"
        "to zoom and pan along the line (mouse wheel, drag, + - arrows 0), with what is at each point on\n"
        "hover and a list to jump to; when the sources lie in DIR, each feature names its line.\n"
        "-o names the file when it ends in .svg (.html with --html) or is a file already, and otherwise a\n"
        "folder for SCENARIO_TRAIN.svg (.html); missing folders are created.\n"
        "When a source in DIR is newer than the compiled files, plot says so (and so does the page).\n"
        "A plan file left by an earlier compile (another length, or older than the cell file) is refused.\n"
        "The picture never replaces a file that is not a picture of this kind (a compiled file, a source).\n"
        "Exit status: 0 done, 64 bad argument, 65 a compiled file is malformed, the plan does not belong to\n"
        "the cells or holds a point that is not a number, 73 the output would replace one of the inputs or a\n"
        "file that is not a picture (nothing written), 74 a file could not be read or written.\n"
        "More in docs/looking.md.");
    sub.option("-o,--output", output_, "The file to write, or a folder for it (default: DIR)").notEmpty();
    sub.flag("--html", html_, "Write the interactive page SCENARIO_TRAIN.html instead of the SVG");
    sub.flag("--no-plan", noPlan_, "Leave the plan file out, even when there is one");
    addScenarioArguments(sub, "the compiled files");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    if (std::optional<std::string> wrong = outputKindProblem()) return voice(err).fail(kExitUsage, *wrong);
    std::unique_ptr<Platform> platform = makeNativePlatform();
    if (pageNamedAsFolder(*platform)) {
      return voice(err).fail(kExitUsage, "--html takes no file name: it writes the page beside the compiled files "
                                         "in DIR, or where -o says (plot --html DIR -o " +
                                             scenarioArguments().dir + ")");
    }
    int status = kExitOk;
    std::optional<ChosenScenario> chosen = chooseScenario(*platform, err, status);
    if (!chosen) return status;
    const ScenarioNames names = chosen->names();
    std::string current;
    try {
      const std::string target =
          outputFilePath(*platform, output_, chosen->dir, html_ ? plotPageName(names) : plotName(names));
      PlotInput input = readPlotInput(*platform, chosen->dir, names, !noPlan_, current);
      input.title = chosen->title;
      PlotData data = makePlotData(input);
      // Only a picture of our own is replaced: never a compiled file or source it was drawn from.
      if (std::optional<std::string> refused =
              outputProblem(*platform, target, inputs(*platform, *chosen), html_ ? "<html" : "<svg")) {
        return voice(err).fail(kExitCannotCreate, *refused);
      }
      if (input.sourcesNewer) voice(err).line() << chosen->dir << ": " << kSourcesNewerNote << "\n";
      std::string text = html_ ? renderScenarioHtml(data) : renderScenarioSvg(data);
      createFolderFor(*platform, target);
      writeFile(*platform, target, [&](BinaryWriter& w) { w.bytes(text); });
      out << "wrote " << target << "\n";
    } catch (const IoError& e) {
      return voice(err).fail(kExitIo, e.what());
    } catch (const DecodeError& e) {
      err << current << ": " << e.what() << "\n";
      return kExitData;
    } catch (const StalePlan& e) {
      err << current << ": " << e.what() << "\n";
      return kExitData;
    }
    return kExitOk;
  }

 private:
  static std::vector<std::string> inputs(FileSystem& fs, const ChosenScenario& chosen) {
    const ScenarioNames names = chosen.names();
    return {fs.join(chosen.dir, trackCellFileName(names)), fs.join(chosen.dir, scenarioTableFileName(names)),
            fs.join(chosen.dir, planFileName(names)), fs.join(chosen.dir, routeSourceName(names)),
            fs.join(chosen.dir, trainRunSourceName(names))};
  }

  // The page's name where the folder goes, and no folder of that name: the form `plot --html PAGE DIR` of
  // earlier versions, which would otherwise be read as DIR and SCENARIO.
  bool pageNamedAsFolder(FileSystem& fs) const {
    const std::string& dir = scenarioArguments().dir;
    if (!html_ || !hasExtension(dir, ".html")) return false;
    try {
      return !fs.listFiles(dir);
    } catch (const IoError&) {
      return false;  // the folder's own problem is said where it is looked into
    }
  }

  // An -o that names the other kind of file than the one asked for.
  std::optional<std::string> outputKindProblem() const {
    if (html_ && hasExtension(output_, ".svg")) return "-o " + output_ + " names an SVG picture; --html writes a page";
    if (!html_ && hasExtension(output_, ".html")) {
      return "-o " + output_ + " names a page; add --html to write the interactive page";
    }
    return std::nullopt;
  }

  std::string output_;
  bool html_ = false;
  bool noPlan_ = false;
};

}  // namespace

std::unique_ptr<ToolCommand> makePlotCommand() { return std::make_unique<PlotCommand>(); }

}  // namespace pack
