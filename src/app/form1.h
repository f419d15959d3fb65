// The program's one object: the scenario's state and every step of the job.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/model.h"
#include "compiler/source_reader.h"
#include "platform/platform.h"

namespace pack {

constexpr std::string_view kScenarioName = "Borgorosso_MontegranoC";
constexpr std::string_view kTrainNumber = "517";
constexpr std::string_view kWaitLabel = "Attendere";

// What a caller other than the program asks of one compile.
struct CompileRequest {
  std::string scenarioName{kScenarioName};
  std::string trainNumber{kTrainNumber};
  std::string sourceFolder;
  std::string outputFolder;    // where the compiled files go
  bool buildPlan = true;       // build and write the plan of the line
  bool deleteSources = true;   // the program deletes its sources after reading; an authoring tool keeps them
};

// The error the compile recorded in the model (its file and line when it belongs to a source).
struct RecordedError {
  std::int32_t code = 0;      // 0: no error
  std::int32_t position = 0;  // errorPosition as the compile left it
  std::string source;         // path of the source it belongs to; empty when it belongs to none
  std::size_t line = 0;       // line of its entry's key in that source; 0 when there is none
  std::string detail;         // what a caller found out about it (the authoring tool: what holds the cell)
};

// What one compile came to. After a fatal stop nothing was written; the recorded error, when there is
// one, is usually its cause.
struct CompileReport {
  RecordedError error;
  std::int32_t fatal = 0;             // the code of the fatal stop (" Errore n. "); 0 when the compile ran on
  std::vector<std::string> written;   // names of the compiled files written, in writing order
};

class Form1 {
 public:
  // Sources are read from and compiled files written to `programFolder`, unless the folders below are
  // changed before compiling (the authoring tool does).
  Form1(FileSystem& fs, UserInterface& ui, const std::string& programFolder);

  // The whole job: names, window, the five writers, the compile with the plan.
  void Form_Load();

  // The compile driver; `j` nonzero builds and writes the plan.
  void memorizza_percorso(std::int32_t& j);

  // The one compile for callers other than the program (the tool, the fuzzer, the benchmark, the tests):
  // takes the names, folders and options, runs the driver and reports instead of throwing a fatal stop.
  // File-system failures still throw IoError.
  CompileReport compile(const CompileRequest& request);

  // Ends the compile with " Errore n. " and the code text (throws FatalError).
  [[noreturn]] void errore(const std::string& a);

  // The names of the embedded scenario, which every file is named from.
  void setEmbeddedNames();

  // The five writers, in start-up order: the two sources, then the three crew documents.
  void writeTexts();

  void dati_linea();
  void dati_treno();
  void dati_note();
  void dati_rallentamenti();
  void dati_scheda();

  Model model;
  std::string sourceFolder;
  std::string outputFolder;
  bool deleteSources = true;

 private:
  // The driver on sources at the paths given; returns the names of the files written. Throws FatalError.
  std::vector<std::string> compileSources(SourceAccess& sources);
  SourceAccess sourcesIn(const std::string& folder);

  void writeDocument(const std::string& name, std::span<const std::string_view> lines);

  FileSystem& fs_;
  UserInterface& ui_;
};

// Runs the program on a platform and returns the process exit status: 0 after a normal run, 1 after
// " Errore n. ", 2 after a file operation failed (its message names the operation, path and reason).
int runPack(Platform& platform);

}  // namespace pack
