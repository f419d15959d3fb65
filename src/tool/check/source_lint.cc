#include "tool/check/source_lint.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>

#include "compiler/cell_codec.h"
#include "compiler/field_reader.h"
#include "compiler/runtime_failure.h"
#include "formats/cp1252.h"
#include "formats/route_format.h"
#include "formats/train_run_format.h"
#include "tool/check/source_form.h"
#include "tool/describe/value_ranges.h"

namespace pack {
namespace {

// A key or text in quotes, for the messages. Built by appending: GCC 12 warns falsely (-Wrestrict) about
// "literal" + std::string once inlined.
std::string quoted(std::string_view text) {
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

// Reads a source field after field with the compiler's own field reader. After a field that cannot be
// read (where the compiler stops with a run-time failure) it goes on at the next line, so that every
// line's problems are found in one pass.
class FieldCursor {
 public:
  explicit FieldCursor(std::string_view bytes) : bytes_(bytes), reader_(bytes) {}

  bool atEnd() const { return reader_.atEnd(); }

  Field text() {
    return read([this] { return std::string(reader_.readText()); }, ",");
  }

  Field number(ValueWidth width) {
    return read(
        [this, width] {
          switch (width) {
            case ValueWidth::kInt16: return std::to_string(reader_.readInt16());
            case ValueWidth::kUint8: return std::to_string(reader_.readUint8());
            default: return std::to_string(reader_.readInt32());
          }
        },
        " ,", width);
  }

  // The fields left on the current line, as key fields (text up to each comma).
  std::size_t fieldsLeftOnLine() const {
    std::string_view rest = bytes_.substr(absolute());
    rest = rest.substr(0, rest.find("\r\n"));
    if (rest.find_first_not_of(' ') == std::string_view::npos) return 0;
    return 1 + static_cast<std::size_t>(std::count(rest.begin(), rest.end(), ','));
  }

  std::string_view restOfLine() const {
    std::string_view rest = bytes_.substr(absolute());
    return rest.substr(0, rest.find("\r\n"));
  }

 private:
  std::size_t absolute() const { return base_ + reader_.offset(); }

  std::size_t columnOf(std::size_t pos) const {
    std::size_t lineEnd = pos == 0 ? std::string_view::npos : bytes_.rfind('\n', pos - 1);
    return lineEnd == std::string_view::npos ? pos + 1 : pos - lineEnd;
  }

  template <typename ReadFn>
  Field read(ReadFn readFn, std::string_view stops, ValueWidth width = ValueWidth::kText) {
    std::size_t start = bytes_.find_first_not_of(' ', absolute());
    if (start == std::string_view::npos) start = bytes_.size();
    std::string_view token = bytes_.substr(start);
    token = token.substr(0, std::min(token.find_first_of(stops), token.find("\r\n")));
    Field field;
    field.column = columnOf(start);
    try {
      std::string value = readFn();
      field.line = baseLine_ + reader_.fieldLine() - 1;
      field.text = width == ValueWidth::kText ? value : std::string(token);
      if (width != ValueWidth::kText) field.number = std::stoll(value);
      std::size_t end = absolute();
      field.endsLine = end >= bytes_.size() || bytes_[end - 1] == '\n';
    } catch (const RuntimeFailure&) {
      field.line = baseLine_ + reader_.fieldLine() - 1;
      field.text = std::string(token);
      field.problem = whyNotRead(token, width);
      restartAfter(start, field.line);
    }
    return field;
  }

  static std::string whyNotRead(std::string_view token, ValueWidth width) {
    std::string_view digits = token;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
    if (digits.empty()) return quoted(token) + " is a sign without digits";
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) {
      bool separator = token.find_first_of("\t;") != std::string_view::npos;
      return quoted(token) + " is not a whole number" +
             (separator ? " (values are separated by commas, numbers also by blanks; not by tabs or semicolons)" : "");
    }
    switch (width) {
      case ValueWidth::kInt16: return quoted(token) + " does not fit a 16-bit value (-32768 to 32767)";
      case ValueWidth::kUint8: return quoted(token) + " does not fit a byte (0 to 255)";
      default: return quoted(token) + " does not fit a 32-bit value (-2147483648 to 2147483647)";
    }
  }

  // Goes on at the line after the one where the unreadable field began.
  void restartAfter(std::size_t start, std::size_t line) {
    std::size_t lineEnd = bytes_.find("\r\n", start);
    base_ = lineEnd == std::string_view::npos ? bytes_.size() : lineEnd + 2;
    baseLine_ = line + 1;
    reader_ = FieldReader(bytes_.substr(base_));
  }

  std::string_view bytes_;
  std::size_t base_ = 0;
  std::size_t baseLine_ = 1;
  FieldReader reader_;
};

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
  const EntryDefinition* best = nullptr;
  std::size_t bestDistance = 0;
  for (const EntryDefinition* e : entries) {
    std::size_t d = editDistance(lower, e->writtenKey);
    for (std::string_view word : e->words) {
      if (!word.empty()) d = std::min(d, editDistance(lower, word));
    }
    if (best == nullptr || d < bestDistance) {
      best = e;
      bestDistance = d;
    }
  }
  std::size_t allowed = lower.size() <= 5 ? 1 : 2;
  return best != nullptr && bestDistance <= allowed ? best : nullptr;
}

bool isHeader(std::string_view key) { return contains(key, "[") && contains(key, "]"); }

struct EntryRead {
  const EntryDefinition* entry = nullptr;
  Field key;
  std::vector<Field> values;
  bool complete = false;  // every value was read

  std::optional<std::int64_t> at(std::size_t i) const {
    return i < values.size() ? values[i].number : std::nullopt;
  }
};

class Linter {
 public:
  Linter(const std::string& file, std::string_view bytes) : file_(file), cursor_(bytes) {}

  FieldCursor& cursor() { return cursor_; }

  void warn(std::size_t line, std::size_t column, std::string message) {
    warnings_.push_back({file_, line, std::move(message), column});
  }
  void warn(const Field& at, std::string message) { warn(at.line, at.column, std::move(message)); }

  // Reads the values of `entry` after its key field, and checks what can be checked on them alone.
  EntryRead readEntry(const EntryDefinition& entry, const Field& key, std::optional<std::int64_t> routeLength) {
    EntryRead read{&entry, key, {}, false};
    for (std::size_t i = 0; i < entry.valueCount(); ++i) {
      if (cursor_.atEnd()) {
        std::string why = "the file ends after " + std::to_string(i) + " of the " +
                          std::to_string(entry.valueCount()) + " values of " + quoted(entry.writtenKey);
        warn(key, why + "; the compiler stops with error 25");
        warnings_.back().readingStop = why;
        return read;
      }
      ValueWidth width = entry.values[i].width;
      Field value = width == ValueWidth::kText ? cursor_.text() : cursor_.number(width);
      if (!value.problem.empty()) {
        std::string why = value.problem + " (" + valueName(entry, i) + ")";
        warn(value, why + "; the compiler stops reading with error 25");
        warnings_.back().readingStop = why + " at line " + std::to_string(value.line);
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
    if (const EntryDefinition* e = findIgnoringCase(here, key.text)) {
      warn(key, quoted(key.text) + " is not recognised: the words of " + quoted(e->writtenKey) +
                    " are looked for in lower case only; write it " + quoted(e->writtenKey));
    } else if (const EntryDefinition* e = findEntry(elsewhere, key.text)) {
      std::string which = trimmed(key.text) == e->writtenKey ? "" : " (" + quoted(e->writtenKey) + ")";
      warn(key, quoted(key.text) + " is " + std::string(elsewhereName) + " entry" + which +
                    " and is not recognised here; its values are read as further keys");
    } else if (const EntryDefinition* e = nearestEntry(here, key.text)) {
      warn(key, quoted(key.text) + " matches no entry and is ignored; did you mean " + quoted(e->writtenKey) + "?");
    } else {
      warn(key, quoted(key.text) + " matches no entry and is ignored");
    }
  }

  // A section header that holds an entry's key words is read as that entry.
  void headerRead(const Field& key, const EntryDefinition& entry) {
    warn(key, quoted(key.text) + " looks like a section header but holds the words of " + quoted(entry.writtenKey) +
                  ", so it is read as that entry and takes the " + std::to_string(entry.valueCount()) +
                  " values after it; rename the header");
  }

  // A comment field after `limit` others in a row is taken as a key field.
  void commentRead(const Field& key, const EntryDefinition& entry, int limit) {
    warn(key, quoted(key.text) + " follows " + std::to_string(limit) +
                  " comment fields in a row, so it is taken as a key field, not a comment, and read as " +
                  quoted(entry.writtenKey) + "; remove the words or a comment line before it");
  }

  // A key that is the file's last field is never handled.
  void lastField(const Field& key, const EntryDefinition& entry) {
    warn(key, quoted(key.text) + " is the file's last field, which is never read as " + quoted(entry.writtenKey) +
                  "; end the file with a line such as [fine]");
  }

  // Warns when a position does not increase strictly over the previous entry of the same kind.
  void checkAscending(const Field& at, std::optional<std::int64_t>& previous, std::optional<std::int64_t> now,
                      std::string_view what) {
    if (!now) return;
    if (previous && *now <= *previous) {
      warn(at, std::string(what) + " at " + metres(*now) + " does not follow the previous one at " + metres(*previous) +
                   "; list them in ascending order");
    }
    previous = now;
  }

  // No warning for the key fields left on this line: they belong to something already handled.
  void quiet(std::size_t line) { quietLine_ = line; }

  std::vector<LintWarning> take() { return std::move(warnings_); }

 private:
  static std::string valueName(const EntryDefinition& entry, std::size_t i) { return valueLabel(entry, i); }

  // One entry per line: values continued on the next line, or fields left over after the last value.
  void checkLineShape(const EntryRead& read) {
    const EntryDefinition& entry = *read.entry;
    std::size_t onKeyLine = 0;
    for (const Field& v : read.values) onKeyLine += v.line == read.key.line;
    std::string takes = quoted(entry.writtenKey) + " takes " + std::to_string(entry.valueCount()) + " values";
    bool continued = onKeyLine < read.values.size();
    if (continued) {
      warn(read.key, takes + ", the line has " + std::to_string(onKeyLine) +
                         " (the rest are taken from the next line)");
    }
    const Field& last = read.values.back();
    if (last.endsLine) return;
    quietLine_ = last.line;  // the fields left on it are read as keys: one warning says so
    if (entry.values.back() == ValueWidth::kText) {
      warn(last, "the text " + quoted(last.text) + " (" + valueName(entry, read.values.size() - 1) +
                     ") ends at a comma: the rest of the line, " + quoted(trimmed(cursor_.restOfLine())) +
                     ", is read as a key field; a text value cannot hold a comma");
      return;
    }
    if (continued) return;
    std::size_t found = read.values.size() + cursor_.fieldsLeftOnLine();
    warn(read.key, takes + ", the line has " + std::to_string(found) + " (the extra fields are read as keys)");
  }

  void checkValue(const EntryRead& read, std::size_t i, std::optional<std::int64_t> routeLength) {
    const Field& v = read.values[i];
    const ValueDefinition& d = read.entry->values[i];
    if (!v.number) return;
    if (trimmed(v.text).empty()) {
      if (!d.mayBeEmpty) warn(v, valueName(*read.entry, i) + " is empty and is read as 0");
      return;
    }
    std::int64_t n = *v.number;
    std::string stored = codec::storedAs(*read.entry, i, n);
    if (outsideRange(d, n)) {
      warn(v, valueName(*read.entry, i) + " is " + std::to_string(n) + ", outside " + rangeText(d) +
                  (stored.empty() ? "" : ": " + stored));
    } else if (!stored.empty()) {
      warn(v, valueName(*read.entry, i) + ": " + stored);
    } else if (d.alongLine && routeLength && n > *routeLength) {
      warn(v, valueName(*read.entry, i) + " is " + metres(n) + ", beyond the end of the route at " +
                  metres(*routeLength) + " (in the run-out after it)");
    }
  }

  std::string file_;
  FieldCursor cursor_;
  std::vector<LintWarning> warnings_;
  std::size_t quietLine_ = 0;  // a line already warned about as a whole
};

// Reads key fields until one holds the start word; false when the file has none.
bool seekStart(FieldCursor& cursor, std::string_view start) {
  while (!cursor.atEnd()) {
    if (containsIgnoreCase(cursor.text().text, start)) return !cursor.atEnd();
  }
  return false;
}

bool isBlank(const Field& key) { return trimmed(key.text).empty(); }

// A field holding "-" stands in for the key field only so many times in a row; the next one is taken as
// the key field, and read as an entry when it holds an entry's words.
class CommentRun {
 public:
  explicit CommentRun(int limit) : limit_(limit) {}

  void setLimit(int limit) { limit_ = limit; }

  // True when `key` is passed over as a comment.
  bool skips(const Field& key) {
    if (isCommentField(key.text) && count_ < limit_) {
      ++count_;
      return true;
    }
    count_ = 0;
    return false;
  }

 private:
  int limit_;
  int count_ = 0;
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
  std::string how = std::string("compiled as a ") + (left ? "left" : "right") + "-hand curve of class " + digit;
  lint.warn(key, quoted(written) + ": " +
                     (sideLetter ? "not written as curvad or curvas and a class digit" : "no side letter d or s") +
                     "; " + how + "; did you mean " + quoted(meant) + "?");
}

// Scenery 1 or 2, plain or marked; the joined type is the compile's to give.
void checkMountainType(Linter& lint, const Field& value, std::int64_t type) {
  const std::int32_t stored = codec::splitMountainType(static_cast<std::int32_t>(type)).stored;
  if (stored == 1 || stored == 2) return;
  std::string text = "scenery type " + std::to_string(type) + " is none of 1, 2, 11 or 12";
  if (stored == codec::kMountainJoined) {
    text += " (the compile gives type " + std::to_string(codec::kMountainJoined) + " itself to a stretch starting within " +
            metres(codec::kMountainJoinGap) + " of the previous one's end)";
  }
  lint.warn(value, text);
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
      lint.warn(at, "the curve starting at " + metres(*start) + " overlaps the previous one, which ends at " +
                        metres(*state.curveEnd));
    }
    lint.checkAscending(at, state.curveStart, start, "the curve");
    if (start && length) {
      state.curveEnd = *start + *length;
      if (state.length && *state.curveEnd > *state.length + kRunOut) {
        lint.warn(at, "the curve ends at " + metres(*state.curveEnd) + ", beyond the end of the track model at " +
                          metres(*state.length + kRunOut) + " (the route's length and " + metres(kRunOut) + ")");
      }
    }
  } else if (entry == &kMountainEntry) {
    std::optional<std::int64_t> start = read.at(0);
    std::optional<std::int64_t> end = read.at(1);
    std::optional<std::int64_t> type = read.at(2);
    if (++state.mountains == kMaxMountains + 1) {
      lint.warn(at, "more than " + std::to_string(kMaxMountains) + " mountain stretches; the compiler keeps " +
                        std::to_string(kMaxMountains));
    }
    if (start && end && *end <= *start) {
      lint.warn(at, "the mountain stretch ends at " + metres(*end) + ", not after its start at " + metres(*start));
    }
    if (start && state.mountainEnd && *start < *state.mountainEnd) {
      lint.warn(at, "the mountain stretch starting at " + metres(*start) +
                        " overlaps the previous one, which ends at " + metres(*state.mountainEnd));
    }
    if (type && *type >= 1 && *type <= 12) checkMountainType(lint, read.values[2], *type);
    if (end) state.mountainEnd = end;
  }
}

}  // namespace

std::vector<LintWarning> lintRouteSource(std::string_view bytes, const std::string& file, bool buildPlan,
                                         RouteFacts* facts) {
  Linter lint(file, bytes);
  FieldCursor& cursor = lint.cursor();
  RouteState state;
  if (seekStart(cursor, kRouteGeneralHeader)) {
    bool general = true;
    CommentRun comments(kGeneralCommentRun);
    while (!cursor.atEnd()) {
      Field key = cursor.text();
      if (comments.skips(key)) continue;
      std::span<const EntryDefinition* const> here = general ? routeGeneralEntries() : routeFeatureEntries();
      const EntryDefinition* entry = isBlank(key) ? nullptr : findEntry(here, key.text);
      if (entry == &kCurveEntry && !buildPlan) entry = nullptr;  // curves are read only with the plan
      if (cursor.atEnd()) {
        if (entry != nullptr) lint.lastField(key, *entry);
        break;
      }
      if (general && endsGeneralPart(key.text)) {  // after the entries, as the compiler tests
        general = false;
        comments.setLimit(kFeatureCommentRun);
      }
      if (entry != nullptr) {
        if (isHeader(key.text)) lint.headerRead(key, *entry);
        if (isCommentField(key.text)) lint.commentRead(key, *entry, general ? kGeneralCommentRun : kFeatureCommentRun);
        if (entry == &kCurveEntry) checkCurveKey(lint, key);
        EntryRead read = lint.readEntry(*entry, key, state.length);
        if (!read.complete) continue;
        if (entry == &kRouteLengthEntry) state.length = read.at(0);
        if (!general) checkRouteFeature(lint, read, state);
      } else if (!buildPlan && containsIgnoreCase(key.text, "curva")) {
        lint.quiet(key.line);  // without the plan a curve is not read: its values are read as keys
      } else if (isUnknownKey(key)) {
        lint.unknownKey(key, here, general ? routeFeatureEntries() : routeGeneralEntries(),
                        general ? "a feature" : "a general");
      }
    }
  }
  if (facts != nullptr) facts->length = state.length;
  return lint.take();
}

namespace {

// --- Train run description -------------------------------------------------------------------------

struct TrainState {
  std::optional<std::int64_t> speed;
  std::optional<std::int64_t> adhesion;
  std::optional<std::int64_t> station;
  std::optional<std::int64_t> clock;  // seconds of the day at the start of the run
  std::optional<std::int64_t> lastTime;
  std::string lastTimedStation;
};

std::string clockText(std::int64_t seconds) {
  std::string text = std::to_string(seconds / 3600);
  for (std::int64_t part : {seconds / 60 % 60, seconds % 60}) {
    text += part < 10 ? ":0" : ":";
    text += std::to_string(part);
  }
  return text;
}

void checkStationTime(Linter& lint, const EntryRead& read, TrainState& state) {
  std::optional<std::int64_t> h = read.at(13), m = read.at(14), s = read.at(15);
  if (!h || !m || !s || (*h == 0 && *m == 0 && *s == 0)) return;  // no time at this station
  std::int64_t time = *h * 3600 + *m * 60 + *s;
  std::string name = read.values.size() > 16 ? read.values[16].text : std::string();
  if (state.lastTime && time < *state.lastTime) {
    lint.warn(read.values[13], "the time " + clockText(time) + " at " + quoted(name) + " is earlier than " +
                                   clockText(*state.lastTime) + " at the station before it, " +
                                   quoted(state.lastTimedStation));
  } else if (!state.lastTime && state.clock && time < *state.clock) {
    lint.warn(read.values[13], "the time " + clockText(time) + " at " + quoted(name) +
                                   " is earlier than the clock at the start of the run, " + clockText(*state.clock));
  }
  state.lastTime = time;
  state.lastTimedStation = name;
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
      lint.warn(read.values[1], "station type " + std::to_string(*type) +
                                    " is only recorded in the table: the train gets no stop point there");
    }
    checkStationTime(lint, read, state);
  } else if (entry == &kClockEntry) {
    std::optional<std::int64_t> h = read.at(0), m = read.at(1), s = read.at(2);
    if (h && m && s) state.clock = *h * 3600 + *m * 60 + *s;
  }
}

}  // namespace

std::vector<LintWarning> lintTrainRunSource(std::string_view bytes, const std::string& file, const RouteFacts& route) {
  Linter lint(file, bytes);
  FieldCursor& cursor = lint.cursor();
  TrainState state;
  if (!seekStart(cursor, kTrainRunStart)) return lint.take();
  CommentRun comments(kTrainRunCommentRun);
  while (!cursor.atEnd()) {
    Field key = cursor.text();
    if (comments.skips(key)) continue;
    const EntryDefinition* entry = isBlank(key) ? nullptr : findEntry(kTrainRunEntries, key.text);
    if (cursor.atEnd()) {
      if (entry != nullptr) lint.lastField(key, *entry);
      break;
    }
    if (entry != nullptr) {
      if (isHeader(key.text)) lint.headerRead(key, *entry);
      if (isCommentField(key.text)) lint.commentRead(key, *entry, kTrainRunCommentRun);
      EntryRead read = lint.readEntry(*entry, key, route.length);
      if (read.complete) checkTrainEntry(lint, read, state);
    } else if (isUnknownKey(key)) {
      lint.unknownKey(key, kTrainRunEntries, {}, "");
    }
  }
  return lint.take();
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

using SourceLinter = std::function<std::vector<LintWarning>(std::string_view, const std::string&)>;

void lintOneSource(FileSystem& fs, const std::string& path, std::vector<LintWarning>& all, const SourceLinter& lint) {
  if (!fs.exists(path)) return;
  std::string bytes = fs.read(path);
  SourceFormCheck form = checkSourceForm(bytes);
  for (SourceFormProblem& p : form.problems) all.push_back({path, p.line, std::move(p.message), p.column});
  if (form.lineEndsBroken) return;
  std::vector<LintWarning> warnings = lint(bytes, path);
  all.insert(all.end(), warnings.begin(), warnings.end());
}

}  // namespace

std::vector<LintWarning> lintSources(FileSystem& fs, const std::string& routePath, const std::string& trainPath,
                                     bool buildPlan) {
  std::vector<LintWarning> all;
  RouteFacts route;
  lintOneSource(fs, routePath, all, [&](std::string_view bytes, const std::string& file) {
    return lintRouteSource(bytes, file, buildPlan, &route);
  });
  lintOneSource(fs, trainPath, all, [&](std::string_view bytes, const std::string& file) {
    return lintTrainRunSource(bytes, file, route);
  });
  return all;
}

}  // namespace pack
