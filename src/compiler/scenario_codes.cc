#include "compiler/scenario_codes.h"

#include <cstddef>
#include <limits>
#include <string_view>

#include "formats/cp1252.h"

namespace pack {
namespace {

// Pads a short name, so that the codes always sum exactly kCodedCharacters characters.
constexpr std::string_view kCodeFiller = "aabbccddeeffgghhiillmmnnoo";
constexpr std::int32_t kCodedCharacters = 25;
static_assert(kCodeFiller.size() > kCodedCharacters);

// Every character code is below 256, so even the weighted sum stays far inside 32 bits (and the plain
// sum inside the 16 bits of the cell field that keeps it).
constexpr std::int32_t kHighestWeightedCode = 255 * (kCodedCharacters * (kCodedCharacters + 1) / 2);
static_assert(kHighestWeightedCode <= std::numeric_limits<std::int32_t>::max());
static_assert(255 * kCodedCharacters <= std::numeric_limits<std::int16_t>::max());

// The lower-cased train number and scenario name followed by the filler, left in currentField. The texts
// are code page 1252 bytes, so a character's code is its byte value.
const std::string& buildCodeString(Model& model) {
  std::string joined = model.scenarioTable[kRowRun].text + model.scenarioTable[kRowScenario].text;
  model.currentField = cp1252ToLower(joined);
  model.currentField += kCodeFiller;
  return model.currentField;
}

std::int32_t characterCode(const std::string& text, std::int32_t position) {
  return static_cast<unsigned char>(text[static_cast<std::size_t>(position - 1)]);
}

}  // namespace

std::int32_t codice_gara_st(Model& model) {
  const std::string& codeString = buildCodeString(model);
  std::int32_t sum = 0;
  for (std::int32_t k = 1; k <= kCodedCharacters; ++k) sum += k * characterCode(codeString, k);
  return sum;
}

std::int32_t codice_gara_og(Model& model) {
  const std::string& codeString = buildCodeString(model);
  std::int32_t sum = 0;
  for (std::int32_t k = 1; k <= kCodedCharacters; ++k) sum += characterCode(codeString, k);
  return sum;
}

}  // namespace pack
