// scenario-tool timetable DIR [SCENARIO [TRAIN]]: the scenario's train over its line, stop to stop: the
// technical minimum running time of each section against the scheduled one, the supplement left and the
// one the timetable rules recommend, and a verdict.
#include <cmath>
#include <ostream>

#include "compiler/cell_codec.h"
#include "formats/compiled_format.h"
#include "formats/file_names.h"
#include "output/compiled_decoders.h"
#include "running_time/default_train.h"
#include "running_time/railtoolkit_files.h"
#include "running_time/scenario_timetable.h"
#include "tool/commands/output_guard.h"
#include "tool/commands/scenario_command.h"
#include "tool/commands/timetable_text.h"
#include "tool/describe/json_text.h"

namespace pack {
namespace {

using namespace running_time;

struct CompiledFiles {
  std::vector<TrackCell> cells;
  std::array<ScenarioRecord, kTableRows> table{};
  std::vector<PlanPoint> plan;
  std::string planNote;  // why the plan is left out
};

class TimetableCommand : public ScenarioCommand {
 public:
  TimetableCommand() : ScenarioCommand("timetable", ScenarioFiles::kCompiled) {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("timetable", "Can the timetable be driven? Each section's minimum running time");
    sub.footer(
        "Reads DIR/SCENARIO_TRAIN.dat, .sim and, when present, DIR/SCENARIO_linea.dat, and runs the train\n"
        "from each stop to the next (the stations whose type places a stop point) as fast as the line\n"
        "allows: the speed limits with the slow-downs, the gradients, the curves (Roeckl's resistance) and\n"
        "the adhesion (25 % of the weight on the driven axles on dry rail, scaled by the scenario's adhesion\n"
        "per cent), braking with the service brake of the ETCS conversion model from the scenario's\n"
        "braked-mass percentage, the driver down to a lower limit 100 m before it. For each section: the\n"
        "scheduled time (from the stations' times), the minimum, the supplement left and the one UIC 451-1\n"
        "recommends, and a verdict: impossible (below the minimum), tight (below the recommended\n"
        "supplement), ok, padded (more than twice it). A stop without a time gives a section without a\n"
        "scheduled time and verdict; the stops between two times are then also taken as one section, with\n"
        "30 s at each stop between.\n"
        "The train is the built-in representative regional train (trains/regional_loco_hauled.yaml) with\n"
        "the scenario's number of coaches, or --train FILE (a rolling-stock file, as it is). With\n"
        "--reference-model: no curves, no adhesion limit, no driver margin, and the constant braking of\n"
        "the train file, as in the published running times.\n"
        "Exit status: 0 done (whatever the verdicts), 64 bad argument, 65 a compiled file is malformed or\n"
        "the train file is not valid (file:line:column: field: what is wrong), 74 a file could not be read.\n"
        "More in docs/running-time.md.");
    sub.option("--train", trainFile_, "Rolling-stock file (YAML) instead of the built-in train").notEmpty();
    sub.flag("--json", json_, "Print JSON instead of text");
    sub.flag("--reference-model", settings_.referenceModel,
                  "The published runs' model: no curves, adhesion or driver margin; the train file's braking");
    sub.option("--driver-margin", settings_.driverMarginM, "Metres before a lower limit the driver is down to it (100)")
        .range(0.0, 5000.0);
    sub.option("--brake", brake_, "service or emergency: the conversion model's brake (service)")
        .oneOf({"service", "emergency"});
    sub.option("--step", settings_.stepM, "Distance step in metres (20)").range(0.001, 1000.0);
    addScenarioArguments(sub, "the compiled files");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    settings_.brake = brake_ == "emergency" ? BrakeUse::kEmergency : BrakeUse::kService;
    std::unique_ptr<Platform> platform = makeNativePlatform();
    int status = kExitOk;
    std::optional<ChosenScenario> chosen = chooseScenario(*platform, err, status);
    if (!chosen) return status;
    std::string current;
    try {
      CompiledFiles files = readFiles(*platform, *chosen, current);
      current = trainFile_;
      Train train = trainFile_.empty()
                        ? defaultScenarioTrain(scenarioCars(files.table))
                        : assembleTrain(readRollingStock(platform->read(trainFile_, kMaxRailtoolkitFileBytes), trainFile_));
      CompiledScenario scenario{files.cells, files.table, codec::cellCurvatures(files.plan, files.cells.size())};
      Timetable tt = scenarioTimetable(train, scenario, settings_);
      if (!files.planNote.empty()) tt.notes.push_back(files.planNote);
      json_ ? printJson(*chosen, tt, out) : printText(*chosen, tt, out);
    } catch (const IoError& e) {
      return voice(err).fail(kExitIo, e.what());
    } catch (const DecodeError& e) {
      return voice(err).fail(kExitData, current + ": " + e.what());
    } catch (const FileError& e) {
      return voice(err).fail(kExitData, e.what());
    } catch (const TrainError& e) {
      return voice(err).fail(kExitData, (trainFile_.empty() ? std::string(kDefaultTrainName) : trainFile_) + ": " + e.what());
    }
    return kExitOk;
  }

 private:
  static CompiledFiles readFiles(FileSystem& fs, const ChosenScenario& chosen, std::string& current) {
    const ScenarioNames names = chosen.names();
    CompiledFiles f;
    current = fs.join(chosen.dir, trackCellFileName(names));
    f.cells = decodeTrackCells(fs.read(current, kMaxCellFileBytes));
    current = fs.join(chosen.dir, scenarioTableFileName(names));
    f.table = decodeScenarioTable(fs.read(current, kMaxTableFileBytes));
    current = fs.join(chosen.dir, planFileName(names));
    if (fs.exists(current)) {
      f.plan = decodePlan(fs.read(current, kMaxPlanFileBytes));
      // A plan left by a compile of another length does not belong to these cells.
      double covered = static_cast<double>(codec::cellMetre(f.cells.empty() ? 0 : f.cells.size() - 1));
      if (std::abs(static_cast<double>(f.plan.size()) - 1 - covered) > kCellLength / 2.0) {
        f.plan.clear();
        f.planNote = planFileName(names) + " belongs to a line of another length: curves left out";
      }
    }
    return f;
  }

  static std::string optionalClock(const std::optional<double>& s) { return s ? clockText(*s) : "-"; }
  static std::string optionalPercent(const std::optional<double>& p) { return p ? fixedText(*p, 1) + " %" : "-"; }

  std::string settingsText(const Timetable& tt) const {
    std::string text = "braking " + fixedText(tt.brakingMs2, 3) + " m/s²";
    if (settings_.referenceModel) return text + " from the train file; reference model: no curves, adhesion or driver margin";
    text += std::string(" (") + (settings_.brake == BrakeUse::kService ? "service" : "emergency") +
            " brake of the ETCS conversion model, " + fixedText(tt.brakedMassPercent.value_or(0), 0) +
            " % braked mass), driver down to a lower limit " + metresText(settings_.driverMarginM) +
            " m before it, curves and adhesion counted";
    return text;
  }

  void printText(const ChosenScenario& chosen, const Timetable& tt, std::ostream& out) const {
    out << chosen.title << "\n";
    out << "train " << tt.train.name << ": " << trainSummary(tt.train) << "\n";
    out << settingsText(tt) << "\n";
    out << "UIC 451-1 supplement: " << fixedText(tt.supplement.secondsPer100Km / 60.0, 1) << " min per 100 km + "
        << fixedText(tt.supplement.percent, 0) << " %\n\n";
    TextTable table({"from", "to", "distance", "scheduled", "minimum", "supplement", "recommended", "verdict"},
                    {false, false, true, true, true, true, true, false});
    bool untimed = false;
    for (const TimetableSection& s : tt.sections) {
      untimed = untimed || !s.scheduledS;
      std::string to = tt.stops[s.to].name;
      if (s.spansStops) to += " (" + std::to_string(s.to - s.from - 1) + (s.to - s.from == 2 ? " stop" : " stops") + " between)";
      std::string verdict = verdictName(s.verdict);
      table.add({tt.stops[s.from].name, to, fixedText(s.distanceM / 1000.0, 2) + " km", optionalClock(s.scheduledS),
                 optionalClock(s.minimumS), optionalPercent(s.supplementPercent()), optionalPercent(s.recommendedPercent()),
                 verdict.empty() ? "-" : verdict});
    }
    table.print(out);
    for (const TimetableSection& s : tt.sections) {
      if (!s.problem.empty() && !s.spansStops) {
        out << tt.stops[s.from].name << " - " << tt.stops[s.to].name << ": " << s.problem << "\n";
      }
    }
    if (untimed) out << "\n- : a stop without a time, so the section has no scheduled time and no verdict\n";
    for (const std::string& note : tt.notes) out << "note: " << note << "\n";
  }

  void printJson(const ChosenScenario& chosen, const Timetable& tt, std::ostream& out) const {
    auto optional = [](const std::optional<double>& v) { return v ? nlohmann::json(*v) : nlohmann::json(); };
    nlohmann::json sections = nlohmann::json::array();
    for (const TimetableSection& s : tt.sections) {
      std::string verdict = verdictName(s.verdict);
      nlohmann::json j = {{"from", tt.stops[s.from].name},
                          {"to", tt.stops[s.to].name},
                          {"scheduled_s", optional(s.scheduledS)},
                          {"minimum_s", optional(s.minimumS)},
                          {"supplement_pct", optional(s.supplementPercent())},
                          {"recommended_pct", optional(s.recommendedPercent())},
                          {"verdict", verdict.empty() ? nlohmann::json() : nlohmann::json(verdict)},
                          {"distance_m", s.distanceM},
                          {"recommended_s", s.minimumS ? nlohmann::json(s.recommendedS) : nlohmann::json()},
                          {"top_speed_m_s", s.topSpeedMs},
                          {"spans_stops", s.spansStops}};
      if (!s.problem.empty()) j["problem"] = s.problem;
      sections.push_back(j);
    }
    nlohmann::json stops = nlohmann::json::array();
    for (const Stop& s : tt.stops) {
      stops.push_back({{"name", s.name}, {"row", s.row}, {"stop_m", s.positionM},
                       {"time_s", s.timeS ? nlohmann::json(*s.timeS) : nlohmann::json()}});
    }
    nlohmann::json settings = {{"reference_model", settings_.referenceModel},
                               {"step_m", settings_.stepM},
                               {"braking_m_s2", tt.brakingMs2},
                               {"brake", settings_.referenceModel ? "train file" : brake_},
                               {"driver_margin_m", settings_.referenceModel ? 0.0 : settings_.driverMarginM},
                               {"braked_mass_pct", tt.brakedMassPercent ? nlohmann::json(*tt.brakedMassPercent) : nlohmann::json()},
                               {"supplement_min_per_100_km", tt.supplement.secondsPer100Km / 60.0},
                               {"supplement_pct", tt.supplement.percent}};
    nlohmann::json j = {{"scenario", chosen.title}, {"sections", sections}, {"stops", stops},
                        {"train", trainJson(tt.train)}, {"settings", settings}, {"notes", tt.notes}};
    out << jsonText(j) << "\n";
  }

  std::string trainFile_;
  bool json_ = false;
  std::string brake_ = "service";
  TimetableSettings settings_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeTimetableCommand() { return std::make_unique<TimetableCommand>(); }

}  // namespace pack
