#include "tool/compile_report.h"

#include "compiler/error_codes.h"

namespace pack {
namespace {

std::string where(const RecordedError& e) {
  if (e.source.empty()) return "";
  return e.source + (e.line > 0 ? ":" + std::to_string(e.line) : "") + ": ";
}

template <typename T>
nlohmann::json orNull(bool present, const T& value) {
  return present ? nlohmann::json(value) : nlohmann::json(nullptr);
}

}  // namespace

std::string recordedErrorText(const RecordedError& e) {
  const ErrorInfo* info = findError(e.code);
  std::string text = where(e) + "error " + std::to_string(e.code);
  if (info != nullptr && info->hasPosition) text += " at " + std::to_string(e.position) + " m";
  text += ": " + std::string(errorMessage(e.code));
  return text;
}

// A code of its own says what stopped the compile; the reader's code stops it when no track model was made.
std::string fatalStopText(std::int32_t fatal) {
  const ErrorInfo* info = findError(fatal);
  std::string text = "error " + std::to_string(fatal) + ": ";
  text += info != nullptr && info->fatal ? std::string(info->message) : "no track model was made from the sources";
  return text + "; the compile stopped and wrote nothing";
}

nlohmann::json compileReportJson(const CompileReport& r, const std::vector<LintWarning>& lint) {
  nlohmann::json warnings = nlohmann::json::array();
  for (const LintWarning& w : lint) {
    warnings.push_back({{"file", w.file}, {"line", w.line}, {"column", w.column}, {"message", w.message}});
  }
  const RecordedError& e = r.error;
  const bool hasFile = !e.source.empty();
  return {{"errorCode", e.code},
          {"errorPosition", e.position},
          {"file", orNull(hasFile, e.source)},
          {"line", orNull(hasFile && e.line > 0, e.line)},
          {"message", orNull(e.code != 0, recordedErrorText(e))},
          {"fatal", orNull(r.fatal != 0, r.fatal)},
          {"fatalMessage", orNull(r.fatal != 0, fatalStopText(r.fatal))},
          {"warnings", warnings}};
}

}  // namespace pack
