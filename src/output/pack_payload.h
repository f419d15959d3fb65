// A scenario carried by a copy of the pack program: `scenario-tool pack` appends it to the program's file
// and records its length in a slot inside the program, which the pack reads at start-up. The layout is
// described for authors in docs/pack-payload.md.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pack {

// One file the pack writes as it is: its name (UTF-8, as formats/file_names.h gives it) and its bytes.
struct CarriedFile {
  std::string name;
  std::string bytes;

  bool operator==(const CarriedFile&) const = default;
};

struct PackPayload {
  std::string scenarioName;  // code page 1252, as the model holds it
  std::string trainNumber;   // code page 1252
  std::vector<CarriedFile> documents;  // crew documents, in writing order; none is fine
  std::string routeSource;
  std::string trainRunSource;

  bool operator==(const PackPayload&) const = default;
};

// A payload that cannot be used: damaged, cut short, made for another version, or naming files that do
// not fit. The message says what, in words for the person who started the program.
class PayloadError : public std::runtime_error {
 public:
  explicit PayloadError(const std::string& reason);
};

constexpr std::uint32_t kPayloadVersion = 1;
constexpr std::size_t kPayloadTrailerSize = 20;  // magic, version, body length, CRC-32
// Far above any scenario (the longest route's sources take well under 1 MiB); a larger length is damage.
constexpr std::uint32_t kMaxPayloadBytes = 64u << 20;

// A program that cannot be made into a pack: not a pack program, or one whose payload cannot be told
// from the program. The message says why, to the author.
class TemplateError : public std::runtime_error {
 public:
  explicit TemplateError(const std::string& reason);
};

// A scenario too large for any pack to carry: the program would do, the scenario would not.
class PayloadTooLarge : public std::runtime_error {
 public:
  explicit PayloadTooLarge(std::size_t bytes);
};

// A copy of the pack program `program` that carries `payload`, replacing the payload it carried already;
// throws TemplateError, or PayloadTooLarge.
std::string attachPayload(std::string_view program, const PackPayload& payload);

// The body and its trailer, ready to be appended to the program's file.
std::string encodePayload(const PackPayload& payload);

// Checks every field of `appended` (body and trailer, as appended) before using it; throws PayloadError.
PackPayload decodePayload(std::string_view appended);

// CRC-32 (the one of zip and PNG: reflected, polynomial 0xEDB88320).
std::uint32_t crc32(std::string_view bytes);

// The slot: a marker found in the program's file, then the length of what was appended, little-endian,
// 0 in the program as built.
struct PayloadSlot {
  std::uint8_t marker[16];
  std::uint8_t appendedLength[4];
};
constexpr std::size_t kPayloadSlotMarkerSize = sizeof PayloadSlot{}.marker;

namespace payload_detail {
// The marker is kept masked outside the slot itself, so that no program but the pack holds it and so no
// other program (the tool above all) can pass for a pack.
constexpr std::uint8_t kMarkerMask = 0x5A;
consteval std::array<std::uint8_t, kPayloadSlotMarkerSize> maskedMarker() {
  constexpr char kText[] = "SCNPACK:PAYLOAD=";
  std::array<std::uint8_t, kPayloadSlotMarkerSize> masked{};
  for (std::size_t i = 0; i < masked.size(); ++i) masked[i] = static_cast<std::uint8_t>(kText[i] ^ kMarkerMask);
  return masked;
}
}  // namespace payload_detail

// The slot as the pack program is built with it: the marker and the length 0.
consteval PayloadSlot emptyPayloadSlot() {
  PayloadSlot slot{};
  std::array<std::uint8_t, kPayloadSlotMarkerSize> masked = payload_detail::maskedMarker();
  for (std::size_t i = 0; i < masked.size(); ++i) {
    slot.marker[i] = static_cast<std::uint8_t>(masked[i] ^ payload_detail::kMarkerMask);
  }
  return slot;
}

// The length recorded in the program's own slot (read through volatile, so that the compiler cannot take
// the 0 it was built with for granted).
std::uint32_t appendedLength(const volatile PayloadSlot& slot);

// The marker's bytes, made at run time, for finding the slot in a program's file.
std::string payloadSlotMarker();

}  // namespace pack
