// How both readers hand a key field to their entries: one table per source of {entry, handler}, in the
// order of the source's entry list (checked when compiling), and one EntryValues through which a handler
// reads its entry's values with the widths the entry declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "compiler/entry_outcome.h"
#include "compiler/field_reader.h"
#include "formats/entry.h"

namespace pack {

// Reads one entry's values in order, each with the width its definition gives. Asking for another width
// than the definition's, or for more values than it has, is a fault of this program, not of the source.
class EntryValues {
 public:
  EntryValues(FieldReader& reader, const EntryDefinition& entry, std::string_view key)
      : reader_(reader), entry_(entry), key_(key) {}

  // The key field that matched: some keys carry a value of their own (a curve's class and side).
  std::string_view key() const { return key_; }

  std::int32_t int32() { return expect(ValueWidth::kInt32), reader_.readInt32(); }
  std::int16_t int16() { return expect(ValueWidth::kInt16), reader_.readInt16(); }
  std::uint8_t uint8() { return expect(ValueWidth::kUint8), reader_.readUint8(); }
  std::string text() { return expect(ValueWidth::kText), reader_.readText(); }

 private:
  void expect(ValueWidth width) {
    if (next_ >= entry_.values.size() || entry_.values[next_] != width) {
      throw std::logic_error("an entry's value read with a width its definition does not give");
    }
    ++next_;
  }

  FieldReader& reader_;
  const EntryDefinition& entry_;
  std::string_view key_;
  std::size_t next_ = 0;
};

// One row of a reader's table: the entry and the member of the reading that handles it.
template <typename Reading>
struct EntryHandler {
  const EntryDefinition* entry;
  EntryOutcome (Reading::*handle)(EntryValues&);
};

// Whether the table names exactly the source's entries, in their order.
template <typename Reading, std::size_t N, std::size_t M>
constexpr bool inEntryOrder(const EntryHandler<Reading> (&handlers)[N], const EntryDefinition* const (&entries)[M]) {
  if (N != M) return false;
  for (std::size_t i = 0; i < N; ++i) {
    if (handlers[i].entry != entries[i]) return false;
  }
  return true;
}

// Hands the key field to every entry it matches, in the table's order, until one does not go on.
template <typename Reading, std::size_t N>
EntryOutcome handleKey(Reading& reading, FieldReader& reader, const EntryHandler<Reading> (&handlers)[N],
                       std::string_view key) {
  for (const EntryHandler<Reading>& h : handlers) {
    if (!h.entry->matches(key)) continue;
    EntryValues values(reader, *h.entry, key);
    if (EntryOutcome outcome = (reading.*h.handle)(values)) return outcome;
  }
  return EntryOutcome::goOn();
}

}  // namespace pack
