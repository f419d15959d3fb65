#include "output/pack_payload.h"

#include <gtest/gtest.h>

#include <functional>

#include "output/binary_writer.h"
#include "output/byte_reader.h"
#include "tests/support/bytes.h"

namespace pack {
namespace {

PackPayload sample() {
  PackPayload p;
  p.scenarioName = "Citt\xE0_Valdoro";
  p.trainNumber = "2291";
  p.documents = {{"Citt\xC3\xA0_Valdoro_2291_note.txt", "note\r\n"},
                 {"Citt\xC3\xA0_Valdoro_2291_scheda_treno.txt", std::string("orario\0\xFF\r\n", 10)}};
  p.routeSource = "[generale]\r\nlunghezza, 5000\r\n";
  p.trainRunSource = "segnale, 450, 1, 4\r\n";
  return p;
}

// A body as written by hand, one field at a time, closed by a trailer that fits it: for payloads whose
// checksum is right but whose content is not.
struct Body {
  StringSink sink;
  BinaryWriter out{sink};

  Body& text16(std::string_view text) {
    out.u16(static_cast<std::uint16_t>(text.size()));
    out.bytes(text);
    return *this;
  }
  Body& file(std::string_view name, std::string_view bytes) {
    text16(name);
    out.u32(static_cast<std::uint32_t>(bytes.size()));
    out.bytes(bytes);
    return *this;
  }
  std::string sealed(std::uint32_t version = kPayloadVersion) {
    out.flush();
    std::string body = sink.bytes;
    StringSink trailer;
    BinaryWriter t(trailer);
    t.bytes("SCNPAYLD");
    t.u32(version);
    t.u32(static_cast<std::uint32_t>(body.size()));
    t.u32(crc32(body));
    t.flush();
    return body + trailer.bytes;
  }
};

// The scenario "Valdoro", train "7", with `files` entries written by `add`.
std::string valdoro(std::uint16_t files, const std::function<void(Body&)>& add, const char* scenario = "Valdoro") {
  Body b;
  b.text16(scenario).text16("7");
  b.out.u16(files);
  add(b);
  return b.sealed();
}

void bothSources(Body& b) { b.file("Valdoro_linea.txt", "L").file("Valdoro_7-.txt", "T"); }

TEST(PackPayload, WhatIsEncodedDecodesToTheSame) {
  std::string appended = encodePayload(sample());
  EXPECT_EQ(decodePayload(appended), sample());
  // The trailer closes the file: magic, version 1, body length, CRC-32 of the body.
  std::string_view trailer = std::string_view(appended).substr(appended.size() - kPayloadTrailerSize);
  EXPECT_EQ(trailer.substr(0, 8), "SCNPAYLD");
  EXPECT_EQ(test::hex(trailer.substr(8, 4)), "01 00 00 00");
  EXPECT_EQ(ByteReader(trailer.substr(12, 4)).u32("length"), appended.size() - kPayloadTrailerSize);
}

TEST(PackPayload, Crc32IsTheCommonOne) {
  EXPECT_EQ(crc32(""), 0u);
  EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
}

struct Damage {
  const char* what;
  std::function<std::string()> appended;
  const char* reason;
};

// Whatever is wrong, decoding refuses with a reason before anything is used.
TEST(PackPayload, ADamagedOrForeignPayloadIsRefusedWithItsReason) {
  const std::string good = encodePayload(sample());
  const Damage cases[] = {
      {"a flipped bit", [&] { std::string s = good; s[20] ^= 0x10; return s; }, "its checksum does not match"},
      {"the first byte missing", [&] { return good.substr(1); }, "gives a length of"},
      {"too short for a trailer", [&] { return good.substr(good.size() - 5); }, "shorter than its own trailer"},
      {"a foreign trailer", [&] { std::string s = good; s[s.size() - 20] = 'X'; return s; },
       "is not the scenario it should carry"},
      {"a file longer than the body",
       [] { return valdoro(1, [](Body& b) { b.text16("Valdoro_linea.txt").out.u32(99); }); },
       "it is cut short: offset 37: file ends inside carried file"},
      {"more files than there are", [] { return valdoro(3, bothSources); }, "file ends inside file name length"},
      {"bytes after the last file", [] { return valdoro(2, [](Body& b) { bothSources(b); b.out.u8(0); }); },
       "bytes follow its last file"},
      {"a name leading out of the folder", [] { return valdoro(2, bothSources, "..\\Valdoro"); },
       "contains a path separator"},
      {"a device name", [] { return valdoro(2, bothSources, "AUX.v"); }, "which Windows keeps for a device"},
      {"an undefined code page byte", [] { return valdoro(2, bothSources, "Val\x8D"); }, "control character"},
      {"a file of another name",
       [] { return valdoro(3, [](Body& b) { bothSources(b); b.file("Valdoro_7.dat", "x"); }); },
       "carries \"Valdoro_7.dat\", which is neither a source nor a crew document of scenario Valdoro, train 7"},
      {"the program's own name", [] { return valdoro(1, [](Body& b) { b.file("scenario-pack.exe", "x"); }); },
       "carries \"scenario-pack.exe\""},
      {"a file twice", [] { return valdoro(3, [](Body& b) { bothSources(b); b.file("Valdoro_7-.txt", "T"); }); },
       "carries \"Valdoro_7-.txt\" twice"},
      {"no route source", [] { return valdoro(1, [](Body& b) { b.file("Valdoro_7-.txt", "T"); }); },
       "no route source \"Valdoro_linea.txt\""},
      {"no train run source", [] { return valdoro(1, [](Body& b) { b.file("Valdoro_linea.txt", "L"); }); },
       "no train run source \"Valdoro_7-.txt\""},
  };
  for (const Damage& c : cases) {
    try {
      decodePayload(c.appended());
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const PayloadError& e) {
      std::string message = e.what();
      EXPECT_TRUE(message.starts_with("the scenario this program carries cannot be used: ")) << message;
      EXPECT_NE(message.find(c.reason), std::string::npos) << c.what << ": " << message;
    }
  }
}

// Every byte changed and every cut: decoding either gives a payload or refuses with PayloadError, never
// reads outside the bytes (the sanitizer build watches) and never fails another way. The checksum is kept
// right where a change would break it, so that the body's own checks are reached too.
TEST(PackPayload, NoDamageMakesDecodingFailAnotherWay) {
  const std::string good = encodePayload(sample());
  auto decodes = [](const std::string& appended) {
    try {
      decodePayload(appended);
    } catch (const PayloadError&) {
    }
  };
  const std::size_t body = good.size() - kPayloadTrailerSize;
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (std::uint8_t value : {0x00, 0x01, 0x7F, 0xFF}) {
      std::string damaged = good;
      damaged[at] = static_cast<char>(value);
      EXPECT_NO_THROW(decodes(damaged)) << at;
      if (at < body) {
        BinaryWriter::store<4>(reinterpret_cast<std::uint8_t*>(damaged.data() + good.size() - 4),
                               crc32(std::string_view(damaged).substr(0, body)));
        EXPECT_NO_THROW(decodes(damaged)) << at;
      }
    }
  }
  for (std::size_t size = 0; size < good.size(); ++size) EXPECT_NO_THROW(decodes(good.substr(0, size))) << size;
}

TEST(PackPayload, AnotherVersionIsRefusedBeforeItsBodyIsRead) {
  Body b;
  b.text16("Valdoro");
  try {
    decodePayload(b.sealed(2));
    ADD_FAILURE() << "accepted";
  } catch (const PayloadError& e) {
    EXPECT_NE(std::string(e.what()).find("made for format version 2; this program reads version 1"),
              std::string::npos)
        << e.what();
  }
}

// A program file with its slot somewhere inside, as the pack program is built.
std::string program(std::string_view prefix = "MZ") {
  const PayloadSlot slot = emptyPayloadSlot();
  std::string file(prefix);
  file += std::string(100, '\x90');
  file.append(reinterpret_cast<const char*>(&slot), sizeof slot);
  file += std::string(50, '\xCC');
  return file;
}

std::uint32_t slotLength(std::string_view file) {
  std::size_t at = file.find(payloadSlotMarker());
  return ByteReader(file.substr(at + kPayloadSlotMarkerSize, 4)).u32("length");
}

TEST(AttachPayload, AppendsThePayloadAndRecordsItsLengthInTheSlot) {
  const std::string plain = program();
  std::string packed = attachPayload(plain, sample());
  std::string appended = encodePayload(sample());
  ASSERT_EQ(packed.size(), plain.size() + appended.size());
  EXPECT_EQ(packed.substr(plain.size()), appended);
  EXPECT_EQ(slotLength(packed), appended.size());
  EXPECT_EQ(slotLength(plain), 0u);
  // Only the slot's length changed in the program itself.
  std::string restored = packed.substr(0, plain.size());
  restored.replace(plain.find(payloadSlotMarker()) + kPayloadSlotMarkerSize, 4, std::string(4, '\0'));
  EXPECT_EQ(restored, plain);
}

TEST(AttachPayload, ReplacesThePayloadAPackCarriesAlready) {
  const std::string plain = program("\x7F" "ELF");
  PackPayload other = sample();
  other.documents.clear();
  other.routeSource = std::string(3000, 'r');
  std::string twice = attachPayload(attachPayload(plain, other), sample());
  EXPECT_EQ(twice, attachPayload(plain, sample()));
}

TEST(AttachPayload, RefusesWhatIsNoPackProgram) {
  const std::string plain = program();
  std::string damaged = attachPayload(plain, sample());
  damaged.back() ^= 1;  // the trailer's checksum: still told from the program by its length
  std::string cut = attachPayload(plain, sample());
  cut.pop_back();
  std::string twoSlots = plain + plain.substr(2);
  const std::pair<std::string, const char*> cases[] = {
      {"#!/bin/sh\n", "it is not a program"},
      {"MZ" + std::string(500, '\0'), "it has no payload slot"},
      {plain.substr(0, plain.find(payloadSlotMarker()) + kPayloadSlotMarkerSize + 2), "it has no payload slot"},
      {twoSlots, "more than one payload slot"},
      {cut, "it carries a damaged payload"},
  };
  for (const auto& [file, reason] : cases) {
    try {
      attachPayload(file, sample());
      ADD_FAILURE() << reason << ": accepted";
    } catch (const TemplateError& e) {
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(attachPayload(damaged, sample()), attachPayload(plain, sample()));
  // A scenario too large to carry is the scenario's fault, not the program's.
  PackPayload huge = sample();
  huge.routeSource.assign(kMaxPayloadBytes, 'x');
  try {
    attachPayload(plain, huge);
    ADD_FAILURE() << "a payload over the limit was accepted";
  } catch (const PayloadTooLarge& e) {
    EXPECT_NE(std::string(e.what()).find("a pack can carry"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace pack
