// The route reader's test fixture: route sources in memory and one whole reading of them, shared by the
// reader's tests and by the tests of the recorders it drives.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/reader_context.h"
#include "compiler/runtime_failure.h"
#include "compiler/source_reader.h"
#include "platform/memory_file_system.h"

namespace pack::route_test {

inline const std::string kRoutePath = "/pack/route_linea.txt";
inline const std::string kTrainRunPath = "/pack/route_1-.txt";
inline constexpr std::string_view kTinyTrainRun = "[generale]\r\n[fine]\r\n";

// Lines as the writers write them: CR LF after every line, the last included.
inline std::string lines(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& text : texts) out += text + "\r\n";
  return out;
}

// A route of `length` metres with nothing but its length in the general part, then `features`.
// With the default length the track model has cells 0 to 200 and the plan metres 0 to 10000.
inline std::string route(const std::vector<std::string>& features, std::int32_t length = 3000) {
  return lines({"[generale]", "lunghezza percorso,    " + std::to_string(length), "[curve]"}) + lines(features) +
         lines({"[fine]"});
}

// One whole reading (both halves and the failure handler) of a route source and a tiny train run source.
struct Compile {
  explicit Compile(std::optional<std::string> routeSource, std::int32_t buildPlan = 1) {
    if (routeSource) fs.files[kRoutePath] = *routeSource;
    fs.files[kTrainRunPath] = std::string(kTinyTrainRun);
    model.buildPlan = buildPlan;
    memorizza_dati(model, sources);
  }

  bool routeLeft() { return fs.exists(kRoutePath); }
  bool trainRunLeft() { return fs.exists(kTrainRunPath); }
  const TrackCell& cell(std::int32_t i) const { return model.trackCells.at(static_cast<std::size_t>(i)); }
  const PlanPoint& point(std::int32_t m) const { return model.trackPlan.at(static_cast<std::size_t>(m)); }
  const ScenarioRecord& row(int r) const { return model.scenarioTable.at(static_cast<std::size_t>(r)); }

  MemoryFileSystem fs;
  SourceAccess sources{fs, kRoutePath, kTrainRunPath};
  Model model;
};

// The route half alone, to see whether the train run would be read next.
struct RouteOnly {
  explicit RouteOnly(const std::string& routeSource, std::int32_t buildPlan = 1) {
    fs.files[kRoutePath] = routeSource;
    model.buildPlan = buildPlan;
    ReaderContext ctx{model, sources};
    try {
      outcome = readRouteSource(ctx);
    } catch (const RuntimeFailure&) {
      failed = true;
    }
  }

  MemoryFileSystem fs;
  SourceAccess sources{fs, kRoutePath, kTrainRunPath};
  Model model;
  RouteOutcome outcome;
  bool failed = false;
};

// Cells from..to (inclusive) hold `value` in the given field.
struct CellRun {
  std::int32_t from, to, value;
};

inline void expectGradients(const Compile& c, const std::vector<CellRun>& runs, const std::string& what) {
  for (const CellRun& run : runs) {
    for (std::int32_t i = run.from; i <= run.to; ++i) {
      ASSERT_EQ(c.cell(i).gradient, run.value) << what << ": cell " << i;
    }
  }
}

}  // namespace pack::route_test
