#include "output/pack_payload.h"

#include <algorithm>
#include <optional>

#include "formats/cp1252.h"
#include "formats/file_names.h"
#include "output/binary_writer.h"
#include "output/byte_reader.h"
#include "platform/byte_sink.h"

namespace pack {
namespace {

constexpr std::string_view kTrailerMagic = "SCNPAYLD";

constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

struct MaskedMarker {
  std::uint8_t bytes[kPayloadSlotMarkerSize];
};
consteval MaskedMarker maskedMarkerBytes() {
  MaskedMarker m{};
  std::array<std::uint8_t, kPayloadSlotMarkerSize> masked = payload_detail::maskedMarker();
  for (std::size_t i = 0; i < masked.size(); ++i) m.bytes[i] = masked[i];
  return m;
}
// Volatile: read at run time, so that the unmasked marker never stands in this program's file.
const volatile MaskedMarker kMaskedMarker = maskedMarkerBytes();

struct Trailer {
  std::uint32_t version = 0;
  std::uint32_t bodyLength = 0;
  std::uint32_t crc = 0;
};

void text16(BinaryWriter& out, std::string_view text) {
  out.u16(static_cast<std::uint16_t>(text.size()));
  out.bytes(text);
}

void entry(BinaryWriter& out, std::string_view utf8Name, std::string_view bytes) {
  text16(out, utf8ToCp1252(utf8Name));
  out.u32(static_cast<std::uint32_t>(bytes.size()));
  out.bytes(bytes);
}

Trailer readTrailer(std::string_view appended) {
  if (appended.size() < kPayloadTrailerSize) throw PayloadError("it is shorter than its own trailer");
  std::string_view tail = appended.substr(appended.size() - kPayloadTrailerSize);
  if (tail.substr(0, kTrailerMagic.size()) != kTrailerMagic) {
    throw PayloadError("the end of the program's file is not the scenario it should carry: the file is damaged or "
                       "cut short");
  }
  ByteReader in(tail.substr(kTrailerMagic.size()));
  Trailer t;
  t.version = in.u32("version");
  t.bodyLength = in.u32("body length");
  t.crc = in.u32("checksum");
  return t;
}

// The body of a payload whose trailer was checked: the names, then the files.
class BodyReader {
 public:
  explicit BodyReader(std::string_view body) : in_(body) {}

  PackPayload read() {
    PackPayload p;
    p.scenarioName = in_.text(in_.u16("scenario name length"), "scenario name");
    p.trainNumber = in_.text(in_.u16("train number length"), "train number");
    std::string problem;
    if (!checkScenarioNames(cp1252ToUtf8(p.scenarioName), cp1252ToUtf8(p.trainNumber), problem)) {
      throw PayloadError(problem);
    }
    names_ = {p.scenarioName, p.trainNumber};
    std::uint16_t count = in_.u16("file count");
    std::vector<std::string> seen;
    for (std::uint16_t i = 0; i < count; ++i) {
      CarriedFile file;
      file.name = cp1252ToUtf8(in_.text(in_.u16("file name length"), "file name"));
      file.bytes = in_.text(in_.u32("file length"), "carried file");
      if (std::find(seen.begin(), seen.end(), file.name) != seen.end()) {
        throw PayloadError("it carries \"" + file.name + "\" twice");
      }
      seen.push_back(file.name);
      place(p, std::move(file));
    }
    if (!in_.atEnd()) throw PayloadError("bytes follow its last file");
    if (!hasRoute_) throw PayloadError("it carries no route source \"" + routeSourceName(names_) + "\"");
    if (!hasTrainRun_) {
      throw PayloadError("it carries no train run source \"" + trainRunSourceName(names_) + "\"");
    }
    return p;
  }

 private:
  // Only the scenario's own texts: a file of any other name could overwrite the compiled files, the
  // program itself or anything else beside it.
  void place(PackPayload& p, CarriedFile file) {
    if (file.name == routeSourceName(names_)) {
      p.routeSource = std::move(file.bytes);
      hasRoute_ = true;
    } else if (file.name == trainRunSourceName(names_)) {
      p.trainRunSource = std::move(file.bytes);
      hasTrainRun_ = true;
    } else if (file.name == notesName(names_) || file.name == slowDownOrderName(names_) ||
               file.name == timetableName(names_)) {
      p.documents.push_back(std::move(file));
    } else {
      throw PayloadError("it carries \"" + file.name + "\", which is neither a source nor a crew document of " +
                         "scenario " + cp1252ToUtf8(names_.scenarioName) + ", train " +
                         cp1252ToUtf8(names_.trainNumber));
    }
  }

  ByteReader in_;
  ScenarioNames names_;
  bool hasRoute_ = false;
  bool hasTrainRun_ = false;
};

std::uint32_t littleU32(std::string_view four) {
  return ByteReader(four).u32("length");
}

// How many bytes at the end of `program` are a payload appended after it, as its slot at `slot` says;
// refuses what does not look like one, since cutting it off would cut into the program.
std::size_t carriedLength(std::string_view program, std::size_t slot) {
  std::uint32_t length = littleU32(program.substr(slot + kPayloadSlotMarkerSize, 4));
  if (length == 0) return 0;
  std::size_t slotEnd = slot + sizeof(PayloadSlot);
  if (length < kPayloadTrailerSize || length > program.size() - slotEnd) {
    throw TemplateError("its payload slot gives a length of " + std::to_string(length) +
                        " bytes, which does not fit the file");
  }
  std::string_view tail = program.substr(program.size() - kPayloadTrailerSize);
  if (!tail.starts_with(kTrailerMagic) ||
      littleU32(tail.substr(kTrailerMagic.size() + 4, 4)) != length - kPayloadTrailerSize) {
    throw TemplateError("it carries a damaged payload; start from the pack program as built");
  }
  return length;
}

}  // namespace

TemplateError::TemplateError(const std::string& reason) : std::runtime_error(reason) {}

PayloadTooLarge::PayloadTooLarge(std::size_t bytes)
    : std::runtime_error("the scenario takes " + std::to_string(bytes) + " bytes, more than the " +
                         std::to_string(kMaxPayloadBytes) + " a pack can carry") {}

std::string attachPayload(std::string_view program, const PackPayload& payload) {
  if (!program.starts_with("MZ") && !program.starts_with("\x7F" "ELF")) throw TemplateError("it is not a program");
  const std::string marker = payloadSlotMarker();
  std::size_t slot = program.find(marker);
  if (slot == std::string_view::npos || program.size() - slot < sizeof(PayloadSlot)) {
    throw TemplateError("it is not a scenario pack program (it has no payload slot)");
  }
  std::string_view kept = program.substr(0, program.size() - carriedLength(program, slot));
  if (kept.find(marker, slot + 1) != std::string_view::npos) {
    throw TemplateError("it holds more than one payload slot, so it is not a scenario pack program as built");
  }
  std::string appended = encodePayload(payload);
  if (appended.size() > kMaxPayloadBytes) {
    throw PayloadTooLarge(appended.size());
  }
  std::string result(kept);
  for (std::size_t i = 0; i < 4; ++i) {
    result[slot + kPayloadSlotMarkerSize + i] = static_cast<char>(appended.size() >> (8 * i));
  }
  result += appended;
  return result;
}

PayloadError::PayloadError(const std::string& reason)
    : std::runtime_error("the scenario this program carries cannot be used: " + reason) {}

std::uint32_t crc32(std::string_view bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (char b : bytes) c = kCrcTable[(c ^ static_cast<std::uint8_t>(b)) & 0xFFu] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string encodePayload(const PackPayload& payload) {
  StringSink body;
  {
    BinaryWriter out(body);
    text16(out, payload.scenarioName);
    text16(out, payload.trainNumber);
    out.u16(static_cast<std::uint16_t>(payload.documents.size() + 2));
    for (const CarriedFile& document : payload.documents) entry(out, document.name, document.bytes);
    const ScenarioNames names{payload.scenarioName, payload.trainNumber};
    entry(out, routeSourceName(names), payload.routeSource);
    entry(out, trainRunSourceName(names), payload.trainRunSource);
    out.flush();
  }
  StringSink appended;
  appended.bytes = std::move(body.bytes);
  BinaryWriter out(appended);
  out.bytes(kTrailerMagic);
  out.u32(kPayloadVersion);
  out.u32(static_cast<std::uint32_t>(appended.bytes.size()));
  out.u32(crc32(appended.bytes));
  out.flush();
  return std::move(appended.bytes);
}

PackPayload decodePayload(std::string_view appended) {
  Trailer trailer = readTrailer(appended);
  if (trailer.version != kPayloadVersion) {
    throw PayloadError("it was made for format version " + std::to_string(trailer.version) +
                       "; this program reads version " + std::to_string(kPayloadVersion));
  }
  if (trailer.bodyLength != appended.size() - kPayloadTrailerSize) {
    throw PayloadError("its trailer gives a length of " + std::to_string(trailer.bodyLength) + " bytes, but " +
                       std::to_string(appended.size() - kPayloadTrailerSize) + " bytes were appended");
  }
  std::string_view body = appended.substr(0, trailer.bodyLength);
  if (crc32(body) != trailer.crc) throw PayloadError("its checksum does not match: the program file is damaged");
  try {
    return BodyReader(body).read();
  } catch (const DecodeError& e) {
    throw PayloadError(std::string("it is cut short: ") + e.what());
  }
}

std::uint32_t appendedLength(const volatile PayloadSlot& slot) {
  std::uint32_t length = 0;
  for (std::size_t i = 0; i < sizeof slot.appendedLength; ++i) {
    length |= std::uint32_t{slot.appendedLength[i]} << (8 * i);
  }
  return length;
}

std::string payloadSlotMarker() {
  std::string marker(kPayloadSlotMarkerSize, '\0');
  for (std::size_t i = 0; i < marker.size(); ++i) {
    marker[i] = static_cast<char>(kMaskedMarker.bytes[i] ^ payload_detail::kMarkerMask);
  }
  return marker;
}

}  // namespace pack
