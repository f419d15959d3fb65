// Helpers for the decompile tests: compile two sources in memory as the tool does, decompile the files,
// and compile the written sources again.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "output/compiled_files.h"
#include "writers/embedded_tables.h"
#include "formats/file_names.h"
#include "output/compiled_decoders.h"
#include "platform/fake_platform.h"
#include "tool/decompile/decompile.h"
#include "tool/decompile/decompile_check.h"

namespace pack::decompile_testing {

// Lines joined with CR LF after each, as the sources are written.
inline std::string lines(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += row + "\r\n";
  return text;
}

struct Compiled {
  CompiledScenario files;
  std::int32_t errorCode = 0;
  bool fatal = false;
};

// The compile of `scenario-tool compile`, in memory: with the plan unless `plan` is false.
inline Compiled compileSources(const std::string& route, const std::string& trainRun, bool plan = true,
                               const std::string& scenario = std::string(kScenarioName),
                               const std::string& train = std::string(kTrainNumber)) {
  FakePlatform platform;
  CompileRequest request{scenario, train, platform.folder, plan, false};
  ScenarioNames names{request.scenarioName, request.trainNumber};
  auto path = [&](const std::string& name) { return platform.join(platform.folder, name); };
  platform.fs.files[path(routeSourceName(names))] = route;
  platform.fs.files[path(trainRunSourceName(names))] = trainRun;
  Compiled out;
  Model model;
  CompileReport report = compileAndWrite(platform, request, platform.folder, model);
  out.fatal = report.fatal != 0;
  out.errorCode = report.error.code;
  if (out.fatal) return out;
  out.files.cells = decodeTrackCells(platform.fs.files.at(path(trackCellFileName(names))));
  out.files.table = decodeScenarioTable(platform.fs.files.at(path(scenarioTableFileName(names))));
  if (plan) out.files.plan = decodePlan(platform.fs.files.at(path(planFileName(names))));
  return out;
}

struct RoundTrip {
  DecompiledSources sources;
  std::string route;     // the written sources
  std::string trainRun;
  std::vector<DecompileMessage> differences;  // what compiling the written sources does not give back

  bool identical() const { return sources.problems.empty() && differences.empty(); }

  bool noted(const std::string& words) const {
    for (const DecompileMessage& m : sources.notes) {
      if ((m.where + ": " + m.text).find(words) != std::string::npos) return true;
    }
    return false;
  }

  std::string report() const {
    std::string text;
    for (const DecompileMessage& m : sources.problems) text += "problem " + m.where + ": " + m.text + "\n";
    for (const DecompileMessage& m : differences) text += "difference " + m.where + ": " + m.text + "\n";
    return text + "--- route\n" + route + "--- train run\n" + trainRun;
  }
};

inline RoundTrip decompileAndRecompile(const CompiledScenario& files,
                                       const std::string& scenario = std::string(kScenarioName),
                                       const std::string& train = std::string(kTrainNumber)) {
  RoundTrip trip;
  trip.sources = decompileScenario(files);
  trip.route = renderSource(trip.sources.route);
  trip.trainRun = renderSource(trip.sources.trainRun);
  trip.differences = recompileDifferences(files, scenario, train, trip.route, trip.trainRun);
  return trip;
}

}  // namespace pack::decompile_testing
