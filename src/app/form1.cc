#include "app/form1.h"

#include "app/fatal_error.h"
#include "formats/file_names.h"
#include "output/compiled_files.h"
#include "output/file_writer.h"
#include "writers/embedded_tables.h"
#include "writers/line_table.h"

namespace pack {

Form1::Form1(FileSystem& fs, UserInterface& ui, const std::string& programFolder)
    : sourceFolder(programFolder), outputFolder(programFolder), fs_(fs), ui_(ui) {}

void Form1::Form_Load() {
  setEmbeddedNames();
  ui_.showWaitWindow(kWaitLabel);
  writeTexts();
  std::int32_t option = 1;
  memorizza_percorso(option);
}

void Form1::Form_Load(const PackPayload& carried) {
  model.scenarioName = carried.scenarioName;
  model.trainNumber = carried.trainNumber;
  ui_.showWaitWindow(kWaitLabel);
  for (const CarriedFile& document : carried.documents) writeCarried(document.name, document.bytes);
  const ScenarioNames names{model.scenarioName, model.trainNumber};
  writeCarried(routeSourceName(names), carried.routeSource);
  writeCarried(trainRunSourceName(names), carried.trainRunSource);
  std::int32_t option = 1;
  memorizza_percorso(option);
}

void Form1::memorizza_percorso(std::int32_t& j) {
  CompileRequest request{model.scenarioName, model.trainNumber, sourceFolder, j != 0, true};
  const CompileReport report = compileAndWrite(fs_, request, outputFolder, model);
  if (report.fatal != 0) errore(std::to_string(report.fatal));
}

void Form1::setEmbeddedNames() {
  model.scenarioName = std::string(kScenarioName);
  model.trainNumber = std::string(kTrainNumber);
}

void Form1::writeTexts() {
  // The five texts belong together: gathered, then written as one set.
  std::vector<FileInSet> texts;
  gathering_ = &texts;
  dati_linea();
  dati_treno();
  dati_note();
  dati_rallentamenti();
  dati_scheda();
  gathering_ = nullptr;
  writeFileSet(fs_, texts);
}

void Form1::errore(const std::string& a) { throw FatalError(std::stoi(a), " Errore n. " + a); }

void Form1::writeDocument(EmbeddedTextId id) {
  const EmbeddedText text = embeddedText(id, {model.scenarioName, model.trainNumber});
  std::string path = fs_.join(sourceFolder, text.name);
  if (gathering_ != nullptr) {
    gathering_->push_back(lineTableFile(path, text.lines));
  } else {
    writeLineTable(fs_, path, text.lines);
  }
}

void Form1::writeCarried(const std::string& name, std::string_view bytes) {
  writeFile(fs_, fs_.join(sourceFolder, name), [&](BinaryWriter& out) { out.bytes(bytes); });
}

void Form1::dati_linea() { writeDocument(EmbeddedTextId::kRoute); }

void Form1::dati_treno() { writeDocument(EmbeddedTextId::kTrainRun); }

void Form1::dati_note() { writeDocument(EmbeddedTextId::kNotes); }

void Form1::dati_rallentamenti() { writeDocument(EmbeddedTextId::kSlowDownOrder); }

void Form1::dati_scheda() { writeDocument(EmbeddedTextId::kTimetable); }

PackPayload readCarriedScenario(Platform& platform, std::uint32_t appendedLength) {
  // The slot is checked like any other field: a length past the cap is damage, not a size to read.
  if (appendedLength < kPayloadTrailerSize || appendedLength > kMaxPayloadBytes) {
    throw PayloadError("the program gives its length as " + std::to_string(appendedLength) + " bytes");
  }
  std::string appended = platform.readProgramTail(appendedLength);
  if (appended.size() < appendedLength) {
    throw PayloadError("the program's file is cut short (" + std::to_string(appended.size()) + " bytes of " +
                       std::to_string(appendedLength) + ")");
  }
  return decodePayload(appended);
}

int runPack(Platform& platform, std::uint32_t appendedLength) {
  try {
    Form1 form(platform, platform, platform.programFolder());
    if (appendedLength == 0) {
      form.Form_Load();
    } else {
      form.Form_Load(readCarriedScenario(platform, appendedLength));
    }
    return 0;
  } catch (const FatalError& e) {
    platform.showMessage(e.what());
    return 1;
  } catch (const IoError& e) {
    platform.showMessage(e.what());
    return 2;
  } catch (const PayloadError& e) {
    platform.showMessage(e.what());
    return 3;
  } catch (const FolderBusy& e) {
    platform.showMessage(e.what());
    return 4;
  }
}

}  // namespace pack
