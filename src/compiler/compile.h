// The compile below the program: reads a scenario's two sources into a model, completes the signal codes,
// checks the reserved slots and stamps the identification codes. Writing the compiled files is the
// caller's step (output/compiled_files.h), so the program, the authoring tool, the fuzzer and the benchmark
// share this one sequence and differ only in where the sources come from and whether files are written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/model.h"
#include "platform/platform.h"

namespace pack {

// What one compile is asked to do.
struct CompileRequest {
  std::string scenarioName;
  std::string trainNumber;
  std::string sourceFolder;
  bool buildPlan = true;       // build the plan of the line
  bool deleteSources = true;   // the program deletes its sources after reading; an authoring tool keeps them
};

// The error the compile recorded in the model (its file and line when it belongs to a source).
struct RecordedError {
  std::int32_t code = 0;      // 0: no error
  std::int32_t position = 0;  // errorPosition as the compile left it
  std::string source;         // path of the source it belongs to; empty when it belongs to none
  std::size_t line = 0;       // line of its entry's key in that source; 0 when there is none
  std::string detail;         // what a caller found out about it (the authoring tool: what holds the cell)
  std::string failure = {};   // for a reading failure (25): what stopped the reading, in the reader's words
};

// What one compile came to. After a fatal stop nothing is to be written; the recorded error, when there is
// one, is usually its cause.
struct CompileReport {
  RecordedError error;
  std::int32_t fatal = 0;             // the code of the fatal stop (" Errore n. "); 0 when the compile ran on
  std::vector<std::string> written;   // names of the compiled files the caller wrote, in writing order
};

// Compiles the sources named by `request` in `request.sourceFolder` of `files` into `model` (cleared first;
// its placement observer, when set, is told what each entry placed). A fatal stop is reported, not thrown;
// file-system failures throw IoError.
CompileReport compileScenario(FileSystem& files, const CompileRequest& request, Model& model);

}  // namespace pack
