// scenario-tool runtime --train T.yaml --path P.yaml: the fastest run of a train over an open running
// path, from rest to rest: its total time and the time and speed at each point of interest.
#include <ostream>

#include "platform/platform.h"
#include "running_time/fastest_run.h"
#include "running_time/railtoolkit_files.h"
#include "running_time/scenario_timetable.h"
#include "tool/commands/output_guard.h"
#include "tool/commands/timetable_text.h"
#include "tool/commands/tool_command.h"
#include "tool/describe/json_text.h"

namespace pack {
namespace {

using namespace running_time;

class RuntimeCommand : public ToolCommand {
 public:
  RuntimeCommand() : ToolCommand("runtime") {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("runtime", "The fastest run of a train over a running path, with its times");
    sub.footer(
        "Reads a rolling-stock file (--train) and a running-path file (--path), both in the open railtoolkit\n"
        "format (schema 2022.05, YAML), and runs the train's first formation over the path's first path\n"
        "from rest to rest: full traction up to the limit, cruising at it, braking at the train's constant\n"
        "deceleration for each lower limit and the stop, a higher limit taken once the whole train has\n"
        "left the lower one. Prints the total time and, for each point of interest, where the front stands,\n"
        "the time and the speed. The distance step is 20 m unless --step says otherwise (the published\n"
        "running times are reproduced with 20 m; see docs/running-time.md).\n"
        "Exit status: 0 done, 64 bad argument, 65 a file is not a valid train or path (file:line:column:\n"
        "field: what is wrong) or the train cannot run the path, 74 a file could not be read.\n"
        "More in docs/running-time.md.");
    sub.option("--train", trainFile_, "Rolling-stock file (YAML)").required().notEmpty();
    sub.option("--path", pathFile_, "Running-path file (YAML)").required().notEmpty();
    sub.flag("--json", json_, "Print JSON instead of text");
    sub.option("--step", step_, "Distance step in metres (default 20)").range(0.001, 1000.0);
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::unique_ptr<Platform> platform = makeNativePlatform();
    try {
      Train train = assembleTrain(readRollingStock(platform->read(trainFile_, kMaxRailtoolkitFileBytes), trainFile_));
      RunningPath path = readRunningPath(platform->read(pathFile_, kMaxRailtoolkitFileBytes), pathFile_);
      RunResult run = fastestRun(train, lineOf(path, train.lengthM), {step_, 0});
      json_ ? printJson(train, path, run, out) : printText(train, path, run, out);
    } catch (const IoError& e) {
      return voice(err).fail(kExitIo, e.what());
    } catch (const FileError& e) {
      return voice(err).fail(kExitData, e.what());
    } catch (const TrainError& e) {
      return voice(err).fail(kExitData, trainFile_ + ": " + e.what());
    } catch (const RunError& e) {
      return voice(err).fail(kExitData, pathFile_ + ": " + e.what() + " at " + metresText(e.atM) + " m");
    }
    return kExitOk;
  }

 private:
  void printText(const Train& train, const RunningPath& path, const RunResult& run, std::ostream& out) const {
    out << "train " << train.name << ": " << trainSummary(train) << "\n";
    out << "path " << path.name << ": " << metresText(path.sections.back().stationM - path.sections.front().stationM)
        << " m, step " << metresText(step_) << " m\n\n";
    TextTable table({"point", "front at", "time", "speed"}, {false, true, true, true});
    for (const PointPassage& p : run.points) {
      bool passed = p.tS == p.tS;
      table.add({p.label, metresText(p.sM) + " m", passed ? clockText(p.tS) + secondsText(p.tS) : "not on the path",
                 passed ? speedText(p.vMs) : ""});
    }
    table.add({"stop", metresText(path.sections.back().stationM - path.sections.front().stationM) + " m",
               clockText(run.totalS) + secondsText(run.totalS), speedText(0)});
    table.print(out);
    out << "\ntotal " << clockText(run.totalS) << " (" << fixedText(run.totalS, 2) << " s), top speed "
        << speedText(run.topSpeedMs) << "\n";
  }

  void printJson(const Train& train, const RunningPath& path, const RunResult& run, std::ostream& out) const {
    nlohmann::json points = nlohmann::json::array();
    for (const PointPassage& p : run.points) {
      bool passed = p.tS == p.tS;
      points.push_back({{"label", p.label}, {"s_m", p.sM}, {"t_s", passed ? nlohmann::json(p.tS) : nlohmann::json()},
                        {"v_m_s", passed ? nlohmann::json(p.vMs) : nlohmann::json()}});
    }
    nlohmann::json j = {{"total_s", run.totalS},   {"points", points},    {"top_speed_m_s", run.topSpeedMs},
                        {"step_m", step_},          {"path", path.name}, {"train", trainJson(train)}};
    out << jsonText(j) << "\n";
  }

  std::string trainFile_, pathFile_;
  bool json_ = false;
  double step_ = 20;
};

}  // namespace

std::unique_ptr<ToolCommand> makeRuntimeCommand() { return std::make_unique<RuntimeCommand>(); }

}  // namespace pack
