// The one walk through a scenario source, as the compiler reads it: the fields skipped up to the start
// header, the comment fields that stand in for a key field (so many in a row, depending on the part), the
// last field of the file that is never interpreted, the end of the route's general part and the key field
// of each entry. The readers hand each key to their entries and read the values through reader(); the
// authoring tool walks the same way, so what it says about a line is what the compiler does with it.
//
// Every step reads forward only: a walk over a source is linear in its size.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/field_reader.h"

namespace pack {

// What a field read in the place of a key turned out to be.
enum class KeyPlaceRole {
  kBeforeStart,  // read while looking for the start header (the header itself too)
  kComment,      // a comment field passed over in the place of a key
  kKey,          // the key field of an entry, handed to the entries
  kLastField,    // the file's last field, never interpreted
};

// One field read in the place of a key, with where it stands.
struct KeyField {
  std::string text;
  std::size_t line = 0;    // from 1
  std::size_t column = 0;  // from 1, in bytes, after the leading blanks
  bool endsLine = false;   // ended by the line end or the file's end, not by a comma
};

// Told of every field read in the place of a key, before the walk goes on (a failure to read the next
// one then finds the listener at the last field read).
class KeyPlaceListener {
 public:
  virtual ~KeyPlaceListener() = default;
  virtual void keyPlaceField(const KeyField& field, KeyPlaceRole role) = 0;
};

// Which source is walked: its start header and its parts.
enum class SourceLayout {
  kRoute,     // "[generale]"; a general part up to the first header, then the feature part
  kTrainRun,  // "[generale]"; one part of entries
};

enum class SourcePart {
  kStart,     // before the start header
  kGeneral,   // the route's general part
  kFeatures,  // the route's feature part
  kEntries,   // the train run's entries
};

class SourceWalk {
 public:
  SourceWalk(std::string_view bytes, SourceLayout layout, KeyPlaceListener* listener = nullptr)
      : reader_(bytes), layout_(layout), listener_(listener) {}

  // Reads up to and including the first field holding the start header (any case). False when there is
  // none, or when it is the file's last field, which opens nothing. An empty route source is a read
  // past the end (a run-time failure), as the compiler has it; an empty train run source has no start.
  bool findStart();

  // The next key field, after the comment fields that stand in for it; nothing when the entries end
  // (the file's end, or its last field). In the route's general part the end of the file is not tested
  // within a run of comments: a run that reaches it is a read past the end (a run-time failure).
  std::optional<KeyField> nextKey();

  // After the entry of `key` was handled: the route's general part ends after a key that ends it.
  void entryHandled(const KeyField& key);

  // The values of the current entry are read through it.
  FieldReader& reader() { return reader_; }
  SourcePart part() const { return part_; }
  bool atEnd() const { return reader_.atEnd(); }

  // How many comment fields in a row may stand in for a key field in the current part.
  int commentRun() const;

  // Goes on at the next line after a field that could not be read (the authoring tool's recovery; the
  // compiler stops instead).
  void skipRestOfLine() { reader_.skipRestOfLine(); }

 private:
  KeyField read();
  void tell(const KeyField& field, KeyPlaceRole role) {
    if (listener_ != nullptr) listener_->keyPlaceField(field, role);
  }

  FieldReader reader_;
  SourceLayout layout_;
  KeyPlaceListener* listener_;
  SourcePart part_ = SourcePart::kStart;
};

}  // namespace pack
