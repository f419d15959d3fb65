// scenario-tool plot DIR: one SVG picture of a compiled scenario, or with --html one interactive page.
#include <CLI/CLI.hpp>
#include <cmath>
#include <ostream>

#include "writers/embedded_tables.h"
#include "formats/file_names.h"
#include "formats/compiled_format.h"
#include "output/compiled_decoders.h"
#include "output/file_writer.h"
#include "tool/plot/plot_html.h"
#include "tool/plot/plot_svg.h"
#include "tool/commands/output_guard.h"
#include "tool/commands/tool_command.h"

namespace pack {
namespace {

constexpr int kExitMalformed = 1;

// A plan file that cannot be drawn with the cell file beside it: left by another compile, or holding
// points that are not numbers.
class StalePlan : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A plan point no compile writes and no drawing can place.
std::optional<std::size_t> firstNonFinitePoint(const std::vector<PlanPoint>& plan) {
  for (std::size_t metre = 0; metre < plan.size(); ++metre) {
    if (!std::isfinite(plan[metre].x.value) || !std::isfinite(plan[metre].y.value)) return metre;
  }
  return std::nullopt;
}

class PlotCommand : public ToolCommand {
 public:
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
        "Exit status: 0 done, 1 a compiled file is malformed, the plan does not belong to the cells or holds\n"
        "a point that is not a number, 64 bad argument, 73 the output would replace one of the inputs or a\n"
        "file that is not a picture (nothing written), 74 a file could not be read or written.");
    sub->add_option("-o,--output", output_, "The SVG file to write (default: DIR/SCENARIO_TRAIN.svg)")->check(kNotEmpty);
    sub->add_option("--html", htmlDir_, "Write the interactive page SCENARIO_TRAIN.html into this folder")
        ->check(kNotEmpty);
    sub->add_flag("--no-plan", noPlan_, "Leave the plan file out, even when there is one");
    sub->add_option("DIR", dir_, "Folder holding the compiled files")->required()->check(kNotEmpty);
    sub->add_option("SCENARIO", scenario_, "Scenario name (default: Borgorosso_MontegranoC)");
    sub->add_option("TRAIN", train_, "Train number (default: 517)");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::string problem;
    std::optional<OwnedScenarioNames> checked = checkScenarioNames(scenario_, train_, problem);
    if (!checked) {
      err << "scenario-tool plot: " << problem << "\n";
      return kExitUsage;
    }
    ScenarioNames names{checked->scenarioName, checked->trainNumber};
    std::unique_ptr<Platform> platform = makeNativePlatform();
    // The SVG unless only the page is asked for; the page with --html.
    struct Target {
      std::string path;
      bool html;
    };
    std::vector<Target> targets;
    if (htmlDir_.empty() || !output_.empty()) {
      targets.push_back({output_.empty() ? platform->join(dir_, plotName(names)) : output_, false});
    }
    if (!htmlDir_.empty()) targets.push_back({platform->join(htmlDir_, plotPageName(names)), true});
    std::string current;
    try {
      PlotInput input = read(*platform, names, current);
      PlotData data = makePlotData(input);
      for (const Target& target : targets) {
        // Only a picture of our own is replaced: never a compiled file or source it was drawn from.
        if (std::optional<std::string> refused =
                outputProblem(*platform, target.path, inputs(*platform, names), target.html ? "<html" : "<svg")) {
          err << "scenario-tool plot: " << *refused << "\n";
          return kExitCannotCreate;
        }
        std::string text = target.html ? renderScenarioHtml(data) : renderScenarioSvg(data);
        if (target.html) platform->createDirectories(htmlDir_);
        writeFile(*platform, target.path, [&](BinaryWriter& w) { w.bytes(text); });
        out << "wrote " << target.path << "\n";
      }
    } catch (const IoError& e) {
      err << "scenario-tool plot: " << e.what() << "\n";
      return kExitIo;
    } catch (const DecodeError& e) {
      err << current << ": " << e.what() << "\n";
      return kExitMalformed;
    } catch (const StalePlan& e) {
      err << current << ": " << e.what() << "\n";
      return kExitMalformed;
    }
    return kExitOk;
  }

 private:
  std::vector<std::string> inputs(FileSystem& fs, const ScenarioNames& names) const {
    return {fs.join(dir_, trackCellFileName(names)), fs.join(dir_, scenarioTableFileName(names)),
            fs.join(dir_, planFileName(names)), fs.join(dir_, routeSourceName(names)),
            fs.join(dir_, trainRunSourceName(names))};
  }

  PlotInput read(Platform& platform, const ScenarioNames& names, std::string& current) const {
    PlotInput input;
    input.title = scenario_ + ", train " + train_;
    std::string cellsPath = platform.join(dir_, trackCellFileName(names));
    current = cellsPath;
    input.cells = decodeTrackCells(platform.read(current, kMaxCellFileBytes));
    if (input.cells.empty()) throw DecodeError(0, "empty file: a compiled track cell file is never empty");
    current = platform.join(dir_, scenarioTableFileName(names));
    input.table = decodeScenarioTable(platform.read(current, kMaxTableFileBytes));
    current = platform.join(dir_, planFileName(names));
    if (!noPlan_ && platform.exists(current)) {
      input.plan = decodePlan(platform.read(current, kMaxPlanFileBytes));
      if (std::optional<std::size_t> metre = firstNonFinitePoint(input.plan)) {
        throw StalePlan("metre " + std::to_string(*metre) +
                        " is not a number or is infinite; no compile writes such a plan: compile again, or plot "
                        "with --no-plan");
      }
      std::optional<std::int64_t> planTime = platform.modifiedMilliseconds(current);
      std::optional<std::int64_t> cellsTime = platform.modifiedMilliseconds(cellsPath);
      std::optional<std::int64_t> olderBy;
      if (planTime && cellsTime) olderBy = *cellsTime - *planTime;
      if (std::optional<std::string> why =
              planMismatch(input.plan.size(), input.cells.size(), input.table[kRowTrain].numberB, olderBy)) {
        throw StalePlan("does not belong to " + cellsPath + ": " + *why +
                        "; compile again, or plot with --no-plan");
      }
    }
    // The sources, when they lie beside the compiled files, name the line each feature came from.
    input.routeSourceName = routeSourceName(names);
    input.trainSourceName = trainRunSourceName(names);
    current = platform.join(dir_, input.routeSourceName);
    if (platform.exists(current)) input.routeSource = platform.read(current);
    current = platform.join(dir_, input.trainSourceName);
    if (platform.exists(current)) input.trainSource = platform.read(current);
    return input;
  }

  std::string output_;
  std::string htmlDir_;
  bool noPlan_ = false;
  std::string dir_;
  std::string scenario_{kScenarioName};
  std::string train_{kTrainNumber};
};

}  // namespace

std::unique_ptr<ToolCommand> makePlotCommand() { return std::make_unique<PlotCommand>(); }

}  // namespace pack
