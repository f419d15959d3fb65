#include "tool/check/check_in_memory.h"

#include "compiler/error_codes.h"
#include "formats/file_names.h"
#include "tool/check/compile_report.h"
#include "tool/check/run_source.h"

namespace pack {

void checkInMemory(FileSystem& disk, const CompileRequest& request, SourcesInMemory& result) {
  ScenarioNames names{request.scenarioName, request.trainNumber};
  const std::string routePath = disk.join(request.sourceFolder, routeSourceName(names));
  const std::string trainPath = disk.join(request.sourceFolder, trainRunSourceName(names));
  for (const std::string& path : {routePath, trainPath}) {
    if (disk.exists(path)) result.files.files[path] = disk.read(path);
  }
  SameNames files(result.files, disk);
  CompileRequest inMemory = request;
  inMemory.deleteSources = false;
  result.missingRun = missingTrainRunSource(files, routePath, trainPath);
  result.warnings = lintSources(files, routePath, trainPath, request.buildPlan);
  // Compiled files go to the memory too: nothing reaches the disk.
  result.compile = compileExplained(files, inMemory, request.sourceFolder, result.warnings);
  explainReadingStop(result.compile.error, result.warnings);
  // Without its train run source the compile fails reading it: that failure is the missing file.
  if (result.missingRun && result.compile.error.code == kErrRunTime) result.compile.error = {};
}

}  // namespace pack
