// scenario-tool plot DIR: one SVG picture of a compiled scenario, the line from above and its profile.
#include <CLI/CLI.hpp>
#include <ostream>

#include "app/form1.h"
#include "formats/cp1252.h"
#include "formats/file_names.h"
#include "output/compiled_decoders.h"
#include "output/file_writer.h"
#include "tool/plot_svg.h"
#include "tool/scenario_names.h"
#include "tool/tool_command.h"

namespace pack {
namespace {

constexpr int kExitMalformed = 1;

class PlotCommand : public ToolCommand {
 public:
  CLI::App* define(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand("plot", "Draw a compiled scenario as one SVG picture");
    sub->footer(
        "Reads DIR/SCENARIO_TRAIN.dat, DIR/SCENARIO_TRAIN.sim and, when present, DIR/SCENARIO_linea.dat,\n"
        "and writes one self-contained SVG: the line seen from above with stations, signals and kilometre\n"
        "posts, and under it the profile along the line (elevation from the gradients, speed limit,\n"
        "adhesion, mountain stretches, stations, signals, boards, slow-downs), with axes in km.\n"
        "Exit status: 0 done, 1 a compiled file is malformed, 64 bad argument, 74 a file could not be read\n"
        "or written.");
    sub->add_option("-o,--output", output_, "The SVG file to write (default: DIR/SCENARIO_TRAIN.svg)");
    sub->add_option("DIR", dir_, "Folder holding the compiled files")->required();
    sub->add_option("SCENARIO", scenario_, "Scenario name (default: Borgorosso_MontegranoC)");
    sub->add_option("TRAIN", train_, "Train number (default: 517)");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::string problem;
    std::optional<std::string> scenario = checkNamePart(scenario_, "scenario name", problem);
    std::optional<std::string> train = scenario ? checkNamePart(train_, "train number", problem) : std::nullopt;
    if (!scenario || !train) {
      err << "scenario-tool: plot: " << problem << "\n";
      return kExitUsage;
    }
    ScenarioNames names{*scenario, *train};
    std::unique_ptr<Platform> platform = makeNativePlatform();
    std::string target = output_.empty() ? platform->join(dir_, cp1252ToUtf8(*scenario + "_" + *train) + ".svg") : output_;
    std::string current;
    try {
      PlotInput input;
      input.title = scenario_ + ", train " + train_;
      current = platform->join(dir_, trackCellFileName(names));
      input.cells = decodeTrackCells(platform->read(current));
      current = platform->join(dir_, scenarioTableFileName(names));
      input.table = decodeScenarioTable(platform->read(current));
      current = platform->join(dir_, planFileName(names));
      if (platform->exists(current)) input.plan = decodePlan(platform->read(current));
      std::string svg = renderScenarioSvg(input);
      writeFile(*platform, target, [&](BinaryWriter& w) { w.bytes(svg); });
    } catch (const IoError& e) {
      err << "scenario-tool: plot: " << e.what() << "\n";
      return kExitIo;
    } catch (const DecodeError& e) {
      err << current << ": " << e.what() << "\n";
      return kExitMalformed;
    }
    out << "wrote " << target << "\n";
    return kExitOk;
  }

 private:
  std::string output_;
  std::string dir_;
  std::string scenario_{kScenarioName};
  std::string train_{kTrainNumber};
};

}  // namespace

std::unique_ptr<ToolCommand> makePlotCommand() { return std::make_unique<PlotCommand>(); }

}  // namespace pack
