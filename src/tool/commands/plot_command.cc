// scenario-tool plot DIR: one SVG picture of a compiled scenario, or with --html one interactive page.
#include <CLI/CLI.hpp>
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

  CLI::App* define(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand("plot", "Draw a compiled scenario: one SVG picture, or an interactive page");
    sub->footer(
        "Reads DIR/SCENARIO_TRAIN.dat, DIR/SCENARIO_TRAIN.sim and, when present, DIR/SCENARIO_linea.dat,\n"
        "and writes one self-contained SVG: the line seen from above with a scale bar, and under it the\n"
        "panels along the line (stations and platforms, elevation, gradient, curves, speed with the\n"
        "slow-downs, adhesion, signals and boards), labelled with the line's own kilometre posts.\n"
        "With --html DIR2 it writes DIR2/SCENARIO_TRAIN.html instead: one file that opens from disk in a\n"
        "browser, to zoom and pan along the line (mouse wheel, drag, + - arrows 0), with what is at each\n"
        "point on hover and a list to jump to; when the sources lie in DIR, each feature names its line.\n"
        "A plan file left by an earlier compile (another length, or older than the cell file) is refused.\n"
        "The picture never replaces a file that is not a picture of this kind (a compiled file, a source).\n"
        "Exit status: 0 done, 64 bad argument, 65 a compiled file is malformed, the plan does not belong to\n"
        "the cells or holds a point that is not a number, 73 the output would replace one of the inputs or a\n"
        "file that is not a picture (nothing written), 74 a file could not be read or written.");
    sub->add_option("-o,--output", output_, "The SVG file to write (default: DIR/SCENARIO_TRAIN.svg)")->check(kNotEmpty);
    sub->add_option("--html", htmlDir_, "Write the interactive page SCENARIO_TRAIN.html into this folder")
        ->check(kNotEmpty);
    sub->add_flag("--no-plan", noPlan_, "Leave the plan file out, even when there is one");
    addScenarioArguments(sub, "the compiled files");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::unique_ptr<Platform> platform = makeNativePlatform();
    int status = kExitOk;
    std::optional<ChosenScenario> chosen = chooseScenario(*platform, err, status);
    if (!chosen) return status;
    const ScenarioNames names = chosen->names();
    // The SVG unless only the page is asked for; the page with --html.
    struct Target {
      std::string path;
      bool html;
    };
    std::vector<Target> targets;
    if (htmlDir_.empty() || !output_.empty()) {
      targets.push_back({output_.empty() ? platform->join(chosen->dir, plotName(names)) : output_, false});
    }
    if (!htmlDir_.empty()) targets.push_back({platform->join(htmlDir_, plotPageName(names)), true});
    std::string current;
    try {
      PlotInput input = readPlotInput(*platform, chosen->dir, names, !noPlan_, current);
      input.title = chosen->title;
      PlotData data = makePlotData(input);
      for (const Target& target : targets) {
        // Only a picture of our own is replaced: never a compiled file or source it was drawn from.
        if (std::optional<std::string> refused =
                outputProblem(*platform, target.path, inputs(*platform, *chosen), target.html ? "<html" : "<svg")) {
          return voice(err).fail(kExitCannotCreate, *refused);
        }
        std::string text = target.html ? renderScenarioHtml(data) : renderScenarioSvg(data);
        if (target.html) platform->createDirectories(htmlDir_);
        writeFile(*platform, target.path, [&](BinaryWriter& w) { w.bytes(text); });
        out << "wrote " << target.path << "\n";
      }
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

  std::string output_;
  std::string htmlDir_;
  bool noPlan_ = false;
};

}  // namespace

std::unique_ptr<ToolCommand> makePlotCommand() { return std::make_unique<PlotCommand>(); }

}  // namespace pack
