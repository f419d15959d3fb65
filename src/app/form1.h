// The program's one object: the scenario's state and every step of the job.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile.h"
#include "compiler/model.h"
#include "output/file_writer.h"
#include "output/pack_payload.h"
#include "platform/platform.h"
#include "writers/embedded_tables.h"

namespace pack {

constexpr std::string_view kWaitLabel = "Attendere";

class Form1 {
 public:
  // Sources are read from and compiled files written to `programFolder`.
  Form1(FileSystem& fs, UserInterface& ui, const std::string& programFolder);

  // The whole job: names, window, the five writers, the compile with the plan.
  void Form_Load();

  // The same job for a scenario the program carries: its names, the window, its crew documents and its
  // two sources written as they came, the compile with the plan.
  void Form_Load(const PackPayload& carried);

  // The compile driver; `j` nonzero builds and writes the plan.
  void memorizza_percorso(std::int32_t& j);

  // Ends the compile with " Errore n. " and the code text (throws FatalError).
  [[noreturn]] void errore(const std::string& a);

  // The names of the embedded scenario, which every file is named from.
  void setEmbeddedNames();

  // The five writers, in start-up order: the two sources, then the three crew documents, written as one
  // set (all five new, or the older ones left as they were).
  void writeTexts();

  void dati_linea();
  void dati_treno();
  void dati_note();
  void dati_rallentamenti();
  void dati_scheda();

  Model model;
  std::string sourceFolder;
  std::string outputFolder;

 private:
  void writeDocument(EmbeddedTextId id);
  void writeCarried(const std::string& name, std::string_view bytes);

  FileSystem& fs_;
  UserInterface& ui_;
  std::vector<FileInSet>* gathering_ = nullptr;  // while writeTexts() gathers the texts into one set
};

// Runs the program on a platform and returns the process exit status: 0 after a normal run, 1 after
// " Errore n. ", 2 after a file operation failed (its message names the operation, path and reason), 3
// when the scenario appended to the program cannot be used (nothing is written), 4 when another program
// writing files in its folder held the folder's lock too long (nothing is written). `appendedLength` is what
// the program's payload slot holds: 0 runs the embedded scenario.
int runPack(Platform& platform, std::uint32_t appendedLength = 0);

// The scenario appended to the program, every field checked; throws PayloadError, or IoError when the
// program's file cannot be read.
PackPayload readCarriedScenario(Platform& platform, std::uint32_t appendedLength);

}  // namespace pack
