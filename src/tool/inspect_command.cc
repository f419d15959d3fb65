// scenario-tool inspect FILE: decodes a compiled file (told apart by its name) and shows what it holds.
#include <CLI/CLI.hpp>
#include <ostream>

#include "output/compiled_decoders.h"
#include "platform/platform.h"
#include "tool/inspect.h"
#include "tool/tool_command.h"

namespace pack {
namespace {

constexpr int kExitMalformed = 1;

class InspectCommand : public ToolCommand {
 public:
  CLI::App* define(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand("inspect", "Show what a compiled scenario file holds");
    sub->footer(
        "FILE is told apart by its name: NAME_linea.dat is the plan, any other .dat the track cells, .sim\n"
        "the scenario table. Cells: every cell holding a feature, mark or mountain, and every cell where\n"
        "the speed limit, gradient or adhesion changes (all cells with --all). Table: every row that holds\n"
        "anything. Plan: points, bounding box, length along the line and total turning.\n"
        "Exit status: 0 done, 1 the file is cut short or malformed (what and at which offset), 64 bad\n"
        "argument, 74 the file could not be read.");
    sub->add_flag("--json", json_, "Print JSON instead of text");
    sub->add_flag("--all", all_, "Track cells: list every cell");
    sub->add_option("--every", every_, "Plan: also list every N-th point")->check(CLI::PositiveNumber);
    sub->add_option("FILE", file_, "A compiled file: .dat, .sim or _linea.dat")->required();
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    CompiledFileKind kind = compiledFileKind(file_);
    if (kind == CompiledFileKind::kUnknown) {
      err << "scenario-tool: inspect: \"" << file_ << "\" is not named as a compiled file (.dat, .sim)\n";
      return kExitUsage;
    }
    std::unique_ptr<Platform> platform = makeNativePlatform();
    std::string bytes;
    try {
      bytes = platform->read(file_);
    } catch (const IoError& e) {
      err << "scenario-tool: inspect: " << e.what() << "\n";
      return kExitIo;
    }
    try {
      show(kind, bytes, out);
    } catch (const DecodeError& e) {
      err << file_ << ": " << e.what() << "\n";
      return kExitMalformed;
    }
    return kExitOk;
  }

 private:
  void show(CompiledFileKind kind, const std::string& bytes, std::ostream& out) const {
    switch (kind) {
      case CompiledFileKind::kTrackCells: {
        std::vector<TrackCell> cells = decodeTrackCells(bytes);
        json_ ? void(out << cellsJson(cells, all_).dump(2) << "\n") : printCells(cells, all_, out);
        break;
      }
      case CompiledFileKind::kScenarioTable: {
        auto table = decodeScenarioTable(bytes);
        json_ ? void(out << tableJson(table).dump(2) << "\n") : printTable(table, out);
        break;
      }
      case CompiledFileKind::kPlan: {
        std::vector<PlanPoint> plan = decodePlan(bytes);
        json_ ? void(out << planJson(plan, every_).dump(2) << "\n") : printPlan(plan, every_, out);
        break;
      }
      case CompiledFileKind::kUnknown:
        break;
    }
  }

  std::string file_;
  bool json_ = false;
  bool all_ = false;
  std::size_t every_ = 0;
};

}  // namespace

std::unique_ptr<ToolCommand> makeInspectCommand() { return std::make_unique<InspectCommand>(); }

}  // namespace pack
