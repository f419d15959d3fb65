// scenario-tool inspect FILE: decodes a compiled file (told apart by its name) and shows what it holds.
#include <charconv>
#include <ostream>

#include "formats/compiled_format.h"
#include "output/compiled_decoders.h"
#include "platform/platform.h"
#include "tool/describe/inspect.h"
#include "tool/describe/json_text.h"
#include "tool/commands/tool_command.h"

namespace pack {
namespace {

constexpr int kExitUnusualValues = 1;  // --strict: a value no compile writes
constexpr std::size_t kProblemsShown = 20;

// The problems found: the first few, to be shown, and how many in all.
struct Tally {
  Tally() = default;
  explicit Tally(std::vector<SanityProblem> all) {
    for (SanityProblem& p : all) add(std::move(p));
  }
  void add(SanityProblem p) {
    if (shown.size() < kProblemsShown) shown.push_back(std::move(p));
    ++count;
  }

  std::vector<SanityProblem> shown;
  std::size_t count = 0;
};

class InspectCommand : public ToolCommand {
 public:
  InspectCommand() : ToolCommand("inspect") {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("inspect", "Show what a compiled scenario file holds, in words");
    sub.footer(
        "FILE is told apart by its name: NAME_linea.dat is the plan, any other .dat the track cells, .sim\n"
        "the scenario table. Cells: every cell holding a feature, mark or mountain, and every cell where\n"
        "the speed limit, gradient or adhesion changes (all cells with --all), each in words with its\n"
        "speed (km/h), gradient (per mille) and adhesion (%). Table: every row by its role (stations,\n"
        "board texts, kilometre posts as 160+950, train and route, scenario, run). Plan: points, bounding\n"
        "box, length along the line and total turning; --every N lists every N-th metre.\n"
        "Values that no compile of well-formed sources writes are reported on standard error (in the\n"
        "JSON as \"problems\").\n"
        "Exit status: 0 done, 1 --strict and a value no compile writes, 64 bad argument or an option that\n"
        "does not apply to FILE, 65 the file is empty, cut short or malformed (one line: what and at which\n"
        "offset), 74 the file could not be read.\n"
        "More in docs/looking.md.");
    sub.flag("--json", json_, "Print JSON instead of text");
    sub.flag("--all", all_, "Track cells: list every cell");
    sub.option("--every", everyText_, "Plan: also list every N-th metre (N from 1)");
    sub.flag("--strict", strict_, "Exit 1 when a value is one no compile writes");
    sub.option("FILE", file_, "A compiled file: .dat, .sim or _linea.dat").required();
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    CompiledFileKind kind = compiledFileKind(file_);
    if (kind == CompiledFileKind::kUnknown) {
      return voice(err).fail(kExitUsage, "\"" + file_ + "\" is not named as a compiled file (.dat, .sim)");
    }
    if (std::string problem = optionProblem(kind); !problem.empty()) {
      return voice(err).fail(kExitUsage, problem);
    }
    std::unique_ptr<Platform> platform = makeNativePlatform();
    std::string bytes;
    try {
      bytes = platform->read(file_, kind == CompiledFileKind::kPlan          ? kMaxPlanFileBytes
                                    : kind == CompiledFileKind::kScenarioTable ? kMaxTableFileBytes
                                                                               : kMaxCellFileBytes);
    } catch (const IoError& e) {
      return voice(err).fail(kExitIo, e.what());
    }
    if (bytes.empty()) {
      return voice(err).fail(kExitData, file_ + ": empty file: a compiled " +
                                            std::string(compiledFileKindName(kind)) + " is never empty");
    }
    Tally problems;
    try {
      problems = show(kind, bytes, *platform, out);
    } catch (const DecodeError& e) {
      return voice(err).fail(kExitData, file_ + ": " + e.what());
    }
    if (!json_) report(problems, err);
    return strict_ && problems.count > 0 ? kExitUnusualValues : kExitOk;
  }

 private:
  // An option meant for another kind of file is an error, not silently ignored.
  std::string optionProblem(CompiledFileKind kind) {
    std::string name(compiledFileKindName(kind));
    if (all_ && kind != CompiledFileKind::kTrackCells) return "--all lists every track cell; \"" + file_ + "\" is a " + name;
    if (!everyText_.empty()) {
      if (kind != CompiledFileKind::kPlan) return "--every lists metres of a plan; \"" + file_ + "\" is a " + name;
      const char* end = everyText_.data() + everyText_.size();
      auto [ptr, ec] = std::from_chars(everyText_.data(), end, every_);
      if (ec != std::errc() || ptr != end || every_ == 0) {
        return "--every wants a whole number of metres from 1 up, not \"" + everyText_ + "\"";
      }
    }
    return {};
  }

  // The scenario table beside a track cell file (same name, ".sim"), for stations' names and boards'
  // texts; nothing when it is missing or unreadable, as the cells are shown without it.
  std::optional<ScenarioTable> siblingTable(Platform& platform) const {
    std::string path = file_.substr(0, file_.size() - 4) + ".sim";
    try {
      if (!platform.exists(path)) return std::nullopt;
      return decodeScenarioTable(platform.read(path, kMaxTableFileBytes));
    } catch (const IoError&) {
    } catch (const DecodeError&) {
    }
    return std::nullopt;
  }

  Tally show(CompiledFileKind kind, const std::string& bytes, Platform& platform, std::ostream& out) const {
    switch (kind) {
      case CompiledFileKind::kTrackCells: {
        std::vector<TrackCell> cells = decodeTrackCells(bytes);
        std::optional<ScenarioTable> table = siblingTable(platform);
        const ScenarioTable* names = table ? &*table : nullptr;
        if (json_) {
          writeCellsJson(cells, all_, names, out);
        } else {
          printCells(cells, all_, names, out);
        }
        // Counted, not kept: a hostile file may hold a problem in every cell.
        Tally problems;
        forEachCellProblem(cells, [&](SanityProblem p) { problems.add(std::move(p)); });
        return problems;
      }
      case CompiledFileKind::kScenarioTable: {
        ScenarioTable table = decodeScenarioTable(bytes);
        std::vector<SanityProblem> problems = checkTable(table);
        if (json_) {
          nlohmann::json j = tableJson(table);
          j["problems"] = problemsJson(problems);
          out << jsonText(j) << "\n";
        } else {
          printTable(table, out);
        }
        return Tally(std::move(problems));
      }
      case CompiledFileKind::kPlan: {
        PlanSummary summary = summarizePlan(bytes);
        json_ ? writePlanJson(bytes, summary, every_, out) : printPlan(bytes, summary, every_, out);
        return Tally(std::move(summary.problems));
      }
      case CompiledFileKind::kUnknown:
        break;
    }
    return {};
  }

  void report(const Tally& problems, std::ostream& err) const {
    for (const SanityProblem& p : problems.shown) err << file_ << ": " << p.where << ": " << p.what << "\n";
    if (problems.count > kProblemsShown) err << file_ << ": and " << problems.count - kProblemsShown << " more\n";
    if (problems.count > 0) {
      err << file_ << ": " << problems.count << (problems.count == 1 ? " value" : " values")
          << " that no compile of well-formed sources writes" << (strict_ ? "" : " (--strict makes this an error)")
          << "\n";
    }
  }

  std::string file_;
  bool json_ = false;
  bool all_ = false;
  bool strict_ = false;
  std::string everyText_;
  std::size_t every_ = 0;
};

}  // namespace

std::unique_ptr<ToolCommand> makeInspectCommand() { return std::make_unique<InspectCommand>(); }

}  // namespace pack
