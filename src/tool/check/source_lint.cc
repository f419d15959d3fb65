#include "tool/check/source_lint.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "compiler/cell_codec.h"
#include "compiler/error_codes.h"
#include "compiler/field_reader.h"
#include "compiler/source_walk.h"
#include "compiler/runtime_failure.h"
#include "formats/cp1252.h"
#include "formats/route_format.h"
#include "formats/train_run_format.h"
#include "tool/check/source_form.h"
#include "tool/describe/findings.h"
#include "tool/describe/scenario_facts.h"
#include "tool/describe/value_words.h"

namespace pack {
namespace {

// A key or text of the sources (code page 1252) in quotes, for the messages. Built by appending: GCC 12
// warns falsely (-Wrestrict) about "literal" + std::string once inlined.
std::string quotedCp1252(std::string_view text) {
  std::string q = "\"";
  q += cp1252ToUtf8(text);
  q += '"';
  return q;
}

std::string metres(std::int64_t m) { return std::to_string(m) + " m"; }

// One field as the compiler reads it, with where it stands for the messages.
struct Field {
  std::string text;  // a text field's text; a number's token as written (empty: read as 0)
  std::size_t line = 0;
  std::size_t column = 0;
  bool endsLine = false;                // its separator was the line end (or the file ended)
  std::optional<std::int64_t> number;   // a number that was read
  std::string problem;                  // why the field could not be read; empty when it was
};

Field fromKey(const KeyField& key) { return {key.text, key.line, key.column, key.endsLine, std::nullopt, {}}; }

std::string whyNotRead(std::string_view token, ValueWidth width) {
  std::string_view digits = token;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
  if (digits.empty()) return quotedCp1252(token) + " is a sign without digits";
  if (digits.find_first_not_of("0123456789") != std::string_view::npos) {
    bool separator = token.find_first_of("\t;") != std::string_view::npos;
    return quotedCp1252(token) + " is not a whole number" +
           (separator ? " (values are separated by commas, numbers also by blanks; not by tabs or semicolons)" : "");
  }
  switch (width) {
    case ValueWidth::kInt16: return quotedCp1252(token) + " does not fit a 16-bit value (-32768 to 32767)";
    case ValueWidth::kUint8: return quotedCp1252(token) + " does not fit a byte (0 to 255)";
    default: return quotedCp1252(token) + " does not fit a 32-bit value (-2147483648 to 2147483647)";
  }
}

// One value read with the compiler's field reader, or why it could not be; the reader stands after it.
Field readValue(FieldReader& reader, ValueWidth width) {
  Field field;
  try {
    switch (width) {
      case ValueWidth::kText: field.text = reader.readText(); break;
      case ValueWidth::kInt16: field.number = reader.readInt16(); break;
      case ValueWidth::kUint8: field.number = reader.readUint8(); break;
      default: field.number = reader.readInt32(); break;
    }
    if (width != ValueWidth::kText) field.text = std::string(reader.fieldToken());
    field.endsLine = reader.fieldEndedLine();
  } catch (const RuntimeFailure&) {
    field.text = std::string(reader.fieldToken());
    field.problem = whyNotRead(field.text, width);
    field.endsLine = reader.restOfLine().find_first_not_of(' ') == std::string_view::npos;
  }
  field.line = reader.fieldLine();
  field.column = reader.fieldColumn();
  return field;
}

// The fields left on the reader's line, as key fields (text up to each comma). Scans the line: only for
// a line warned about as a whole, once.
std::size_t fieldsLeftOnLine(const FieldReader& reader) {
  std::string_view rest = reader.restOfLine();
  if (rest.find_first_not_of(' ') == std::string_view::npos) return 0;
  return 1 + static_cast<std::size_t>(std::count(rest.begin(), rest.end(), ','));
}

// The smallest number of one-letter edits between two words, for suggestions.
std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

const EntryDefinition* findEntry(std::span<const EntryDefinition* const> entries, std::string_view key) {
  for (const EntryDefinition* e : entries) {
    if (e->matches(key)) return e;
  }
  return nullptr;
}

// The same entry found when letter case is ignored: a key written in capitals whose words are looked
// for in lower case only.
const EntryDefinition* findIgnoringCase(std::span<const EntryDefinition* const> entries, std::string_view key) {
  std::string lower = cp1252ToLower(key);
  return findEntry(entries, lower);
}

// The written key nearest to a key that matches nothing, when it is near enough to be a slip.
const EntryDefinition* nearestEntry(std::span<const EntryDefinition* const> entries, std::string_view key) {
  std::string lower = cp1252ToLower(trimmed(key));
  std::size_t allowed = lower.size() <= 5 ? 1 : 2;
  // Lengths further apart than `allowed` are further apart than that in edits too: not worth measuring.
  auto distance = [&](std::string_view other) {
    const std::size_t apart = lower.size() > other.size() ? lower.size() - other.size() : other.size() - lower.size();
    return apart > allowed ? allowed + 1 : editDistance(lower, other);
  };
  const EntryDefinition* best = nullptr;
  std::size_t bestDistance = 0;
  for (const EntryDefinition* e : entries) {
    std::size_t d = distance(e->writtenKey);
    for (std::string_view word : e->words) {
      if (!word.empty()) d = std::min(d, distance(word));
    }
    if (best == nullptr || d < bestDistance) {
      best = e;
      bestDistance = d;
    }
  }
  return best != nullptr && bestDistance <= allowed ? best : nullptr;
}

bool isHeader(std::string_view key) { return contains(key, "[") && contains(key, "]"); }

bool isBlank(const Field& key) { return trimmed(key.text).empty(); }

struct EntryRead {
  const EntryDefinition* entry = nullptr;
  Field key;
  std::vector<Field> values;
  bool complete = false;  // every value was read

  std::optional<std::int64_t> at(std::size_t i) const {
    return i < values.size() ? values[i].number : std::nullopt;
  }
};

// Walks a source as the compiler does (compiler/source_walk.h) and collects the findings. Where the
// compiler would stop at a field it cannot read, the linter says so and goes on at the next line, so that
// one pass finds the problems of every line.
class Linter : public KeyPlaceListener {
 public:
  Linter(const std::string& file, std::string_view bytes, SourceLayout layout, WarningList& into)
      : file_(file), walk_(bytes, layout, this), warnings_(into) {}

  SourceWalk& walk() { return walk_; }

  LintWarning& warn(FindingId id, std::size_t line, std::size_t column, std::initializer_list<std::string_view> args) {
    return warnings_.add({file_, line, findingMessage(id, args), column, {}, id});
  }
  LintWarning& warn(FindingId id, const Field& at, std::initializer_list<std::string_view> args) {
    return warn(id, at.line, at.column, args);
  }

  // Whether the walk found its start; an empty route source is read past its end by the compiler, which
  // says so itself.
  bool findStart() {
    try {
      return walk_.findStart();
    } catch (const RuntimeFailure&) {
      return false;
    }
  }

  // The next key field, or nothing at the end of the entries (the last field is checked then).
  std::optional<Field> nextKey(std::span<const EntryDefinition* const> here) {
    std::optional<KeyField> key;
    try {
      key = walk_.nextKey();
    } catch (const RuntimeFailure&) {
      if (commentRunStart_ != 0) warn(FindingId::kCommentRunReachesEnd, commentRunStart_, 0, {std::to_string(commentRunStart_)});
      return std::nullopt;
    }
    if (!key) {
      if (lastField_ && !isBlank(*lastField_)) {
        if (const EntryDefinition* e = findEntry(here, lastField_->text)) {
          warn(FindingId::kLastFieldUnread, *lastField_, {quotedCp1252(lastField_->text), quotedCp1252(e->writtenKey)});
        }
      }
      return std::nullopt;
    }
    return fromKey(*key);
  }

  void keyPlaceField(const KeyField& field, KeyPlaceRole role) override {
    if (role == KeyPlaceRole::kComment) {
      if (commentRunStart_ == 0) commentRunStart_ = field.line;
      if (!field.endsLine && !(cutComment_ && cutComment_->line == field.line)) cutComment_ = fromKey(field);
      return;
    }
    commentRunStart_ = 0;
    if (role == KeyPlaceRole::kLastField) lastField_ = fromKey(field);
  }

  // A comment that ends at a comma on the key's line: says what the rest of the line became, once.
  void checkCutComment(const Field& key, const EntryDefinition* entry) {
    if (!cutComment_ || cutComment_->line != key.line) return;
    const Field comment = *std::exchange(cutComment_, std::nullopt);
    if (isBlank(key) || key.line == quietLine_) return;
    std::string rest = key.endsLine ? key.text : key.text + "," + std::string(walk_.reader().restOfLine());
    std::string became = entry != nullptr ? quotedCp1252(entry->writtenKey) + " with the values after it"
                                          : "a key field that matches no entry";
    warn(FindingId::kCommentCutByComma, comment, {quotedCp1252(comment.text), quotedCp1252(trimmed(rest)), became});
    if (entry == nullptr) quietLine_ = key.line;
  }

  // Reads the values of `entry` after its key field, and checks what can be checked on them alone.
  EntryRead readEntry(const EntryDefinition& entry, const Field& key, std::optional<std::int64_t> routeLength) {
    EntryRead read{&entry, key, {}, false};
    FieldReader& reader = walk_.reader();
    for (std::size_t i = 0; i < entry.valueCount(); ++i) {
      if (reader.atEnd()) {
        std::string count = std::to_string(i), total = std::to_string(entry.valueCount());
        warn(FindingId::kFileEndsInEntry, key, {count, total, quotedCp1252(keyAsWritten(read))}).readingStop =
            "the file ends after " + count + " of the " + total + " values of " + quotedCp1252(keyAsWritten(read));
        return read;
      }
      Field value = readValue(reader, entry.values[i].width);
      if (!value.problem.empty()) {
        unreadable(read, i, value);
        walk_.skipRestOfLine();
        quietLine_ = value.line;
        return read;
      }
      read.values.push_back(std::move(value));
    }
    read.complete = true;
    checkLineShape(read);
    for (std::size_t i = 0; i < read.values.size(); ++i) checkValue(read, i, routeLength);
    return read;
  }

  // A key field that matches no entry: says why, with a suggestion, once per line.
  void unknownKey(const Field& key, std::span<const EntryDefinition* const> here,
                  std::span<const EntryDefinition* const> elsewhere, std::string_view elsewhereName) {
    if (key.line == quietLine_) return;
    quietLine_ = key.line;
    std::string k = quotedCp1252(key.text);
    if (const EntryDefinition* e = findIgnoringCase(here, key.text)) {
      warn(FindingId::kKeyCase, key, {k, quotedCp1252(e->writtenKey)});
    } else if (const EntryDefinition* e = findEntry(elsewhere, key.text)) {
      std::string which = trimmed(key.text) == e->writtenKey ? "" : " (" + quotedCp1252(e->writtenKey) + ")";
      warn(FindingId::kKeyOfOtherPart, key, {k, elsewhereName, which});
    } else if (const EntryDefinition* e = nearestEntry(here, key.text)) {
      LintWarning& w = warn(FindingId::kKeyNearMiss, key, {k, quotedCp1252(e->writtenKey)});
      // The key as written, without the blanks around it, is what the fix replaces.
      const std::size_t lead = std::min(key.text.find_first_not_of(' '), key.text.size());
      const std::size_t begin = key.column + lead;
      w.fix = LintFix{"Write " + quotedCp1252(e->writtenKey), std::string(e->writtenKey), begin,
                      begin + trimmed(key.text).size()};
    } else {
      warn(FindingId::kKeyUnknown, key, {k});
    }
  }

  // A section header that holds an entry's key words is read as that entry.
  void headerRead(const Field& key, const EntryDefinition& entry) {
    warn(FindingId::kHeaderReadAsEntry, key,
         {quotedCp1252(key.text), quotedCp1252(entry.writtenKey), std::to_string(entry.valueCount())});
  }

  // A comment field after a full run of others is taken as a key field.
  void commentRead(const Field& key, const EntryDefinition& entry) {
    warn(FindingId::kCommentReadAsKey, key,
         {quotedCp1252(key.text), std::to_string(walk_.commentRun()), quotedCp1252(entry.writtenKey)});
  }

  // Warns when a position does not increase strictly over the previous entry of the same kind.
  void checkAscending(const Field& at, std::optional<std::int64_t>& previous, std::optional<std::int64_t> now,
                      std::string_view what) {
    if (!now) return;
    if (previous && *now <= *previous) warn(FindingId::kNotAscending, at, {what, metres(*now), metres(*previous)});
    previous = now;
  }

  // No warning for the key fields left on this line: they belong to something already handled.
  void quiet(std::size_t line) { quietLine_ = line; }



 private:
  // The key as the line writes it: what the author looks for there ("curvas4", where the entry's own key
  // is "curvad5").
  static std::string keyAsWritten(const EntryRead& read) { return std::string(trimmed(read.key.text)); }
  static std::string valueName(const EntryRead& read, std::size_t i) {
    return valueLabel(*read.entry, i, cp1252ToUtf8(keyAsWritten(read)));
  }

  // A value the compiler cannot read. When the key's line ran out before it (the value was taken from
  // the next line, or the field before it ended the line), the line has too few values: that is said
  // at the key, where the compiler's error points. A last field holding a semicolon or a tab is rather
  // several values joined by the wrong separator, which its own problem names.
  void unreadable(const EntryRead& read, std::size_t i, const Field& value) {
    const EntryDefinition& entry = *read.entry;
    std::size_t onKeyLine = 0;
    for (const Field& v : read.values) onKeyLine += v.line == read.key.line;
    const bool joinedValues = value.text.find_first_of(";\t") != std::string::npos;
    const bool lineRanOut =
        value.line != read.key.line || (value.endsLine && i + 1 < entry.valueCount() && !joinedValues);
    if (lineRanOut) {
      if (value.line == read.key.line) ++onKeyLine;
      std::string takes = quotedCp1252(keyAsWritten(read)), total = std::to_string(entry.valueCount());
      std::string line = std::to_string(read.key.line), has = std::to_string(onKeyLine);
      std::string what = value.line == read.key.line ? quotedCp1252(value.text) : quotedCp1252(value.text) + " of line " + std::to_string(value.line);
      LintWarning& w = warn(FindingId::kTooFewValues, read.key, {takes, total, line, has, what, valueName(read, i)});
      // The problem begins with the quoted field; `what` says where that field stands.
      w.readingStop = takes + " takes " + total + " values, line " + line + " has " + has + "; " + what +
                                     value.problem.substr(quotedCp1252(value.text).size()) + " (" + valueName(read, i) + ")";
      return;
    }
    std::string why = value.problem + " (" + valueName(read, i) + ")";
    warn(FindingId::kUnreadableValue, value, {value.problem, valueName(read, i)}).readingStop = why + " at line " + std::to_string(value.line);
  }

  // One entry per line: values continued on the next line, or fields left over after the last value.
  void checkLineShape(const EntryRead& read) {
    const EntryDefinition& entry = *read.entry;
    std::size_t onKeyLine = 0;
    for (const Field& v : read.values) onKeyLine += v.line == read.key.line;
    std::string key = quotedCp1252(keyAsWritten(read)), total = std::to_string(entry.valueCount());
    bool continued = onKeyLine < read.values.size();
    if (continued) warn(FindingId::kValuesContinued, read.key, {key, total, std::to_string(onKeyLine)});
    const Field& last = read.values.back();
    if (last.endsLine) return;
    quietLine_ = last.line;  // the fields left on it are read as keys: one warning says so
    if (entry.values.back() == ValueWidth::kText) {
      std::string rest(trimmed(walk_.reader().restOfLine()));
      warn(FindingId::kTextCutByComma, last, {quotedCp1252(last.text), valueName(read, read.values.size() - 1), quotedCp1252(rest)});
      return;
    }
    if (continued) return;
    std::size_t found = read.values.size() + fieldsLeftOnLine(walk_.reader());
    warn(FindingId::kExtraValues, read.key, {key, total, std::to_string(found)});
  }

  void checkValue(const EntryRead& read, std::size_t i, std::optional<std::int64_t> routeLength) {
    const Field& v = read.values[i];
    const ValueDefinition& d = read.entry->values[i];
    if (!v.number) return;
    std::string name = valueName(read, i);
    if (trimmed(v.text).empty()) {
      if (!d.mayBeEmpty) warn(FindingId::kValueEmpty, v, {name});
      return;
    }
    std::int64_t n = *v.number;
    std::string stored = codec::storedAs(*read.entry, i, n);
    if (outsideRange(d, n)) {
      warn(FindingId::kValueOutOfRange, v, {name, std::to_string(n), missedRangeText(d), stored.empty() ? "" : ": " + stored});
    } else if (!stored.empty()) {
      warn(FindingId::kValueStoredOtherwise, v, {name, stored});
    } else if (d.alongLine && routeLength && n > *routeLength) {
      warn(FindingId::kPositionBeyondRoute, v, {name, metres(n), metres(*routeLength)});
    }
  }

  std::string file_;
  SourceWalk walk_;
  WarningList& warnings_;
  std::size_t quietLine_ = 0;         // a line already warned about as a whole
  std::size_t commentRunStart_ = 0;   // the line of the first comment of the run being read, 0 outside one
  std::optional<Field> cutComment_;   // a comment ended by a comma, until the key field after it
  std::optional<Field> lastField_;    // the file's last field, once the walk reached it
};

// Whether a key field that matches nothing deserves a word: comments and headers are meant to match
// nothing.
bool isUnknownKey(const Field& key) { return !isBlank(key) && !isCommentField(key.text) && !isHeader(key.text); }

// --- Route description -----------------------------------------------------------------------------

struct RouteState {
  std::optional<std::int64_t> length;
  std::optional<std::int64_t> gradient;
  std::optional<std::int64_t> curveStart;
  std::optional<std::int64_t> curveEnd;
  std::optional<std::int64_t> mountainEnd;
  std::size_t mountains = 0;
  // The last reading of each kilometre-post definition: a later one replaces an earlier one.
  std::map<const EntryDefinition*, EntryRead> kilometrePosts;
};

constexpr std::int64_t kRunOut = kTrackExtension;

// The side and class the compiler takes from a curve key, and the key an author most likely meant.
void checkCurveKey(Linter& lint, const Field& key) {
  std::string_view written = trimmed(key.text);
  char digit = 0;
  for (char d : std::string_view("123456")) {
    if (contains(written, std::string_view(&d, 1))) {
      digit = d;
      break;
    }
  }
  if (digit == 0) return;  // refused by the compiler (103)
  bool left = curveTurnsLeft(written);
  std::string lower = cp1252ToLower(written);
  std::string meant = std::string("curva") + (left ? 's' : 'd') + digit;
  if (lower == meant) return;
  bool sideLetter = lower.size() > 5 && lower.find_first_of("ds", 5) != std::string::npos;
  lint.warn(FindingId::kCurveKeyUnclear, key,
            {quotedCp1252(written), sideLetter ? "not written as curvad or curvas and a class digit" : "no side letter d or s",
             left ? "left" : "right", std::string_view(&digit, 1), quotedCp1252(meant)});
}

// Scenery 1 or 2, plain or marked; the joined type is the compile's to give.
void checkMountainType(Linter& lint, const Field& value, std::int64_t type) {
  const std::int32_t stored = codec::splitMountainType(static_cast<std::int32_t>(type)).stored;
  if (stored == 1 || stored == 2) return;
  std::string joined;
  if (stored == codec::kMountainJoined) {
    joined = " (the compile gives type " + std::to_string(codec::kMountainJoined) + " itself to a stretch starting within " +
             metres(codec::kMountainJoinGap) + " of the previous one's end)";
  }
  lint.warn(FindingId::kSceneryType, value, {std::to_string(type), joined});
}

bool isKilometrePost(const EntryDefinition* entry) {
  return entry == &kKilometreUnoEntry || entry == &kKilometreDueEntry || entry == &kKilometreTreEntry;
}

// A kilometre-post definition off the 50 m grid: the compiler's error 2 names no line, this does.
void checkKilometrePost(Linter& lint, const EntryRead& read) {
  for (std::size_t i : {0u, 1u}) {
    std::optional<std::int64_t> metre = read.at(i);
    if (!metre || *metre % 50 == 0) continue;
    const std::string what = i == 0 ? "the position" : "the value";
    const std::string key = quotedCp1252(read.entry->writtenKey);
    lint.warn(FindingId::kKilometrePostOffGrid, read.values[i], {what, key, metres(*metre)}).readingStop =
        "the kilometre-post definition " + key + " at line " + std::to_string(read.key.line) + " has " + what +
        " " + metres(*metre) + ", not a multiple of 50; round it to 50 m";
    return;
  }
}

void checkRouteFeature(Linter& lint, const EntryRead& read, RouteState& state) {
  const EntryDefinition* entry = read.entry;
  const Field& at = read.key;
  if (entry == &kGradientEntry) {
    lint.checkAscending(at, state.gradient, read.at(0), "the gradient");
  } else if (entry == &kCurveEntry) {
    std::optional<std::int64_t> start = read.at(0);
    std::optional<std::int64_t> length = read.at(1);
    if (start && state.curveEnd && *start < *state.curveEnd) {
      lint.warn(FindingId::kCurveOverlap, at, {metres(*start), metres(*state.curveEnd)});
    }
    lint.checkAscending(at, state.curveStart, start, "the curve");
    if (start && length) {
      state.curveEnd = *start + *length;
      if (state.length && *state.curveEnd > *state.length + kRunOut) {
        lint.warn(FindingId::kCurveBeyondTrack, at,
                  {metres(*state.curveEnd), metres(*state.length + kRunOut), metres(kRunOut)});
      }
    }
  } else if (entry == &kMountainEntry) {
    std::optional<std::int64_t> start = read.at(0);
    std::optional<std::int64_t> end = read.at(1);
    std::optional<std::int64_t> type = read.at(2);
    if (++state.mountains == kMaxMountains + 1) {
      lint.warn(FindingId::kTooManyMountains, at, {std::to_string(kMaxMountains)});
    }
    if (start && end && *end <= *start) {
      lint.warn(FindingId::kMountainEndsBeforeStart, at, {metres(*end), metres(*start)});
    }
    if (start && state.mountainEnd && *start < *state.mountainEnd) {
      lint.warn(FindingId::kMountainOverlap, at, {metres(*start), metres(*state.mountainEnd)});
    }
    if (type && *type >= 1 && *type <= 12) checkMountainType(lint, read.values[2], *type);
    if (end) state.mountainEnd = end;
  }
}

}  // namespace

namespace {

void lintRoute(std::string_view bytes, const std::string& file, bool buildPlan, RouteFacts* facts, WarningList& into) {
  Linter lint(file, bytes, SourceLayout::kRoute, into);
  SourceWalk& walk = lint.walk();
  RouteState state;
  if (lint.findStart()) {
    while (true) {
      const bool general = walk.part() == SourcePart::kGeneral;
      std::span<const EntryDefinition* const> here = general ? routeGeneralEntries() : routeFeatureEntries();
      std::optional<Field> key = lint.nextKey(here);
      if (!key) break;
      const EntryDefinition* entry = isBlank(*key) ? nullptr : findEntry(here, key->text);
      if (entry == &kCurveEntry && !buildPlan) entry = nullptr;  // curves are read only with the plan
      lint.checkCutComment(*key, entry);
      if (entry != nullptr) {
        if (isHeader(key->text)) lint.headerRead(*key, *entry);
        if (isCommentField(key->text)) lint.commentRead(*key, *entry);
        if (entry == &kCurveEntry) checkCurveKey(lint, *key);
        EntryRead read = lint.readEntry(*entry, *key, state.length);
        if (read.complete && entry == &kRouteLengthEntry) state.length = read.at(0);
        if (read.complete && isKilometrePost(entry)) state.kilometrePosts.insert_or_assign(entry, read);
        if (read.complete && !general) checkRouteFeature(lint, read, state);
      } else if (!buildPlan && containsIgnoreCase(key->text, "curva")) {
        lint.quiet(key->line);  // without the plan a curve is not read: its values are read as keys
      } else if (isUnknownKey(*key)) {
        lint.unknownKey(*key, here, general ? routeFeatureEntries() : routeGeneralEntries(),
                        general ? "a feature" : "a general");
      }
      walk.entryHandled(KeyField{key->text, key->line, key->column, key->endsLine});
    }
  }
  for (const auto& [entry, read] : state.kilometrePosts) checkKilometrePost(lint, read);
  if (facts != nullptr) facts->length = state.length;
}

// --- Train run description -------------------------------------------------------------------------

struct TrainState {
  std::optional<std::int64_t> speed;
  std::optional<std::int64_t> adhesion;
  std::optional<std::int64_t> station;
  std::optional<std::int64_t> clock;  // seconds of the day at the start of the run
  std::optional<std::int64_t> lastTime;
  std::string lastTimedStation;
};

void checkStationTime(Linter& lint, const EntryRead& read, TrainState& state) {
  std::optional<std::int64_t> h = read.at(13), m = read.at(14), s = read.at(15);
  if (!h || !m || !s || (*h == 0 && *m == 0 && *s == 0)) return;  // no time at this station
  std::int64_t time = *h * 3600 + *m * 60 + *s;
  std::string name = read.values.size() > 16 ? read.values[16].text : std::string();
  if (state.lastTime && time < *state.lastTime) {
    lint.warn(FindingId::kStationTimeBeforePrevious, read.values[13],
              {clockText(time), quotedCp1252(name), clockText(*state.lastTime), quotedCp1252(state.lastTimedStation)});
  } else if (!state.lastTime && state.clock && time < *state.clock) {
    lint.warn(FindingId::kStationTimeBeforeClock, read.values[13], {clockText(time), quotedCp1252(name), clockText(*state.clock)});
  }
  state.lastTime = time;
  state.lastTimedStation = name;
}

// The compiler reads a station's platform length only once its position passed, so a line with both wrong
// shows the position's error alone; the platform's is said here, so that one run finds both.
void checkPlatformBehindPosition(Linter& lint, const EntryRead& read) {
  std::optional<std::int64_t> position = read.at(0), platform = read.at(2);
  if (!position || !platform || *position % kCellLength == 0 || *platform % codec::kPlatformLengthStep == 0) return;
  lint.warn(FindingId::kErrorBehindError, read.values[2],
            {valueLabel(kStationEntry, 2), std::to_string(*platform), std::to_string(codec::kPlatformLengthStep),
             "the position", std::to_string(kErrPlatformLength)});
}

void checkTrainEntry(Linter& lint, const EntryRead& read, TrainState& state) {
  const EntryDefinition* entry = read.entry;
  if (entry == &kSpeedLimitEntry) {
    lint.checkAscending(read.key, state.speed, read.at(0), "the speed limit");
  } else if (entry == &kAdhesionEntry) {
    lint.checkAscending(read.key, state.adhesion, read.at(0), "the adhesion");
  } else if (entry == &kStationEntry) {
    lint.checkAscending(read.key, state.station, read.at(0), "the station");
    if (std::optional<std::int64_t> type = read.at(1); type && !codec::touchesCells(static_cast<int>(*type))) {
      lint.warn(FindingId::kStationTypeNoStop, read.values[1], {std::to_string(*type)});
    }
    checkPlatformBehindPosition(lint, read);
    checkStationTime(lint, read, state);
  } else if (entry == &kClockEntry) {
    std::optional<std::int64_t> h = read.at(0), m = read.at(1), s = read.at(2);
    if (h && m && s) state.clock = *h * 3600 + *m * 60 + *s;
  }
}

void lintTrainRun(std::string_view bytes, const std::string& file, const RouteFacts& route, WarningList& into) {
  Linter lint(file, bytes, SourceLayout::kTrainRun, into);
  TrainState state;
  if (!lint.findStart()) return;
  while (std::optional<Field> key = lint.nextKey(kTrainRunEntries)) {
    const EntryDefinition* entry = isBlank(*key) ? nullptr : findEntry(kTrainRunEntries, key->text);
    lint.checkCutComment(*key, entry);
    if (entry != nullptr) {
      if (isHeader(key->text)) lint.headerRead(*key, *entry);
      if (isCommentField(key->text)) lint.commentRead(*key, *entry);
      EntryRead read = lint.readEntry(*entry, *key, route.length);
      if (read.complete) checkTrainEntry(lint, read, state);
    } else if (isUnknownKey(*key)) {
      lint.unknownKey(*key, kTrainRunEntries, {}, "");
    }
  }
}

}  // namespace

std::vector<LintWarning> lintRouteSource(std::string_view bytes, const std::string& file, bool buildPlan,
                                         RouteFacts* facts) {
  WarningList all(SIZE_MAX);
  lintRoute(bytes, file, buildPlan, facts, all);
  return all.take();
}

std::vector<LintWarning> lintTrainRunSource(std::string_view bytes, const std::string& file, const RouteFacts& route) {
  WarningList all(SIZE_MAX);
  lintTrainRun(bytes, file, route, all);
  return all.take();
}

LintWarning& WarningList::add(LintWarning warning) {
  ++total_;
  const FindingSeverity severity = warning.id == FindingId{} ? FindingSeverity::kWarning : findingInfo(warning.id).severity;
  const std::size_t rank = static_cast<std::size_t>(severity);
  if (kept_ == capacity_) {
    // The least serious kind kept that is less serious than this one gives up its latest.
    std::size_t least = bySeverity_.size();
    while (least > rank + 1 && bySeverity_[least - 1].empty()) --least;
    if (least <= rank + 1) {
      ++omitted_[warning.id];
      scratch_ = std::move(warning);
      return scratch_;
    }
    ++omitted_[bySeverity_[least - 1].back().warning.id];
    bySeverity_[least - 1].pop_back();
    --kept_;
  }
  ++kept_;
  bySeverity_[rank].push_back({total_, std::move(warning)});
  return bySeverity_[rank].back().warning;
}

void WarningList::addAll(WarningList&& other) {
  for (LintWarning& w : other.take()) add(std::move(w));
  for (const auto& [id, count] : other.omitted_) {
    omitted_[id] += count;
    total_ += count;
  }
}

std::vector<LintWarning> WarningList::take() {
  std::vector<Kept> all;
  all.reserve(kept_);
  for (std::vector<Kept>& kind : bySeverity_) {
    for (Kept& k : kind) all.push_back(std::move(k));
    kind.clear();
  }
  std::sort(all.begin(), all.end(), [](const Kept& a, const Kept& b) { return a.order < b.order; });
  std::vector<LintWarning> out;
  out.reserve(all.size());
  for (Kept& k : all) out.push_back(std::move(k.warning));
  kept_ = 0;
  return out;
}

std::string formatWarning(const LintWarning& warning) {
  std::string text = warning.file + ":" + std::to_string(warning.line);
  if (warning.column > 0) {
    text += ':';
    text += std::to_string(warning.column);
  }
  return text + ": warning: " + warning.message;
}

namespace {

using SourceLinter = std::function<void(std::string_view, const std::string&)>;

void lintOneSource(FileSystem& fs, const std::string& path, WarningList& all, FileSystem* saved,
                   const SourceLinter& lint) {
  if (!fs.exists(path)) return;
  std::string bytes = fs.read(path);
  // The form of what is compiled decides whether its lines can be read; that of the saved file is told.
  SourceFormCheck form = checkSourceForm(bytes);
  const bool textBroken = form.lineEndsBroken;
  if (saved != nullptr && saved->exists(path)) form = checkSourceForm(saved->read(path));
  for (SourceFormProblem& p : form.problems) all.add({path, p.line, std::move(p.message), p.column, {}, p.id});
  if (textBroken) return;
  lint(bytes, path);
}

}  // namespace

void lintSources(FileSystem& fs, const std::string& routePath, const std::string& trainPath, bool buildPlan,
                 WarningList& into, FileSystem* saved) {
  RouteFacts route;
  lintOneSource(fs, routePath, into, saved, [&](std::string_view bytes, const std::string& file) {
    lintRoute(bytes, file, buildPlan, &route, into);
  });
  lintOneSource(fs, trainPath, into, saved, [&](std::string_view bytes, const std::string& file) {
    lintTrainRun(bytes, file, route, into);
  });
}

}  // namespace pack
