#include "tool/source_lint.h"

#include <charconv>
#include <functional>
#include <cstdint>
#include <optional>

#include "formats/cp1252.h"
#include "formats/route_format.h"
#include "formats/train_run_format.h"
#include "tool/source_form.h"

namespace pack {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// One line of a source split into its key field and its value tokens: comma-separated fields, numbers
// within a field also separated by blanks; an empty field is one (zero) value.
struct SourceLine {
  std::size_t number = 0;
  std::string_view key;
  std::vector<std::string_view> fields;  // after the key, untrimmed

  // Value tokens when every value is a number.
  std::vector<std::string_view> numericTokens() const {
    std::vector<std::string_view> tokens;
    for (std::string_view f : fields) {
      std::size_t before = tokens.size();
      std::size_t pos = 0;
      while (pos < f.size()) {
        while (pos < f.size() && f[pos] == ' ') ++pos;
        std::size_t start = pos;
        while (pos < f.size() && f[pos] != ' ') ++pos;
        if (pos > start) tokens.push_back(f.substr(start, pos - start));
      }
      if (tokens.size() == before) tokens.push_back({});
    }
    return tokens;
  }
};

std::vector<SourceLine> splitLines(std::string_view bytes) {
  std::vector<SourceLine> lines;
  std::size_t number = 1;
  while (!bytes.empty()) {
    std::size_t end = bytes.find("\r\n");
    std::string_view text = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view{} : bytes.substr(end + 2);
    SourceLine line;
    line.number = number++;
    std::size_t comma = text.find(',');
    line.key = trim(text.substr(0, comma));
    while (comma != std::string_view::npos) {
      std::size_t next = text.find(',', comma + 1);
      line.fields.push_back(text.substr(comma + 1, next == std::string_view::npos ? next : next - comma - 1));
      comma = next;
    }
    lines.push_back(line);
  }
  return lines;
}

// A key in quotes, for the messages.
std::string quoted(std::string_view text) {
  std::string q;
  q.reserve(text.size() + 2);
  q += '"';
  q.append(text);
  q += '"';
  return q;
}

std::optional<std::int64_t> number(std::string_view token) {
  token = trim(token);
  if (token.empty()) return 0;
  if (token.front() == '+') token.remove_prefix(1);
  std::int64_t v = 0;
  auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), v);
  if (ec != std::errc() || end != token.data() + token.size()) return std::nullopt;
  return v;
}

std::optional<std::int64_t> valueAt(const std::vector<std::string_view>& tokens, std::size_t i) {
  return i < tokens.size() ? number(tokens[i]) : std::nullopt;
}

class Linter {
 public:
  explicit Linter(const std::string& file) : file_(file) {}

  void warn(const SourceLine& line, std::string message) {
    warnings_.push_back({file_, line.number, std::move(message)});
  }

  // Checks that the values of a line match the count its entry reads.
  void checkCount(const SourceLine& line, std::string_view key, std::size_t expected, bool lastIsText) {
    std::size_t found = lastIsText ? line.fields.size() : line.numericTokens().size();
    if (found == expected) return;
    warn(line, quoted(key) + " takes " + std::to_string(expected) + " values, the line has " +
                   std::to_string(found) + (found < expected ? " (the rest are taken from the next line)"
                                                             : " (the extra fields are read as keys)"));
  }

  // Warns when a position does not increase strictly over the previous line of the same kind.
  void checkAscending(const SourceLine& line, std::optional<std::int64_t>& previous, std::optional<std::int64_t> now,
                      std::string_view what) {
    if (!now) return;
    if (previous && *now <= *previous) {
      warn(line, std::string(what) + " at " + std::to_string(*now) + " m does not follow the previous one at " +
                     std::to_string(*previous) + " m; list them in ascending order");
    }
    previous = now;
  }

  std::vector<LintWarning> take() { return std::move(warnings_); }

 private:
  std::string file_;
  std::vector<LintWarning> warnings_;
};

bool isComment(std::string_view key) { return contains(key, "-"); }
bool isHeader(std::string_view key) { return contains(key, "[") && contains(key, "]"); }

const EntryDefinition* findEntry(std::span<const EntryDefinition* const> entries, std::string_view key) {
  for (const EntryDefinition* e : entries) {
    if (e->matches(key)) return e;
  }
  return nullptr;
}

bool lastIsText(const EntryDefinition& entry) {
  return !entry.values.empty() && entry.values.back() == ValueWidth::kText;
}

struct RouteOrder {
  std::optional<std::int64_t> gradient;
  std::optional<std::int64_t> curveStart;
  std::optional<std::int64_t> curveEnd;
};

void lintRouteFeature(Linter& lint, const SourceLine& line, const EntryDefinition& entry, RouteOrder& order) {
  std::vector<std::string_view> tokens = line.numericTokens();
  if (&entry == &kGradientEntry) {
    lint.checkAscending(line, order.gradient, valueAt(tokens, 0), "the gradient");
  } else if (&entry == &kCurveEntry) {
    std::optional<std::int64_t> start = valueAt(tokens, 0);
    std::optional<std::int64_t> length = valueAt(tokens, 1);
    if (start && order.curveEnd && *start < *order.curveEnd) {
      lint.warn(line, "the curve starting at " + std::to_string(*start) + " m overlaps the previous one, which ends at " +
                          std::to_string(*order.curveEnd) + " m");
    }
    lint.checkAscending(line, order.curveStart, start, "the curve");
    if (start && length) order.curveEnd = *start + *length;
  }
}

}  // namespace

std::vector<LintWarning> lintRouteSource(std::string_view bytes, const std::string& file, bool buildPlan) {
  Linter lint(file);
  enum class Part { kBefore, kGeneral, kFeatures } part = Part::kBefore;
  RouteOrder order;
  for (const SourceLine& line : splitLines(bytes)) {
    if (part == Part::kBefore) {
      if (containsIgnoreCase(line.key, kRouteGeneralHeader)) part = Part::kGeneral;
      continue;
    }
    if (line.key.empty() && line.fields.empty()) continue;
    if (isComment(line.key)) continue;
    if (part == Part::kGeneral && endsGeneralPart(line.key)) {
      part = Part::kFeatures;
      continue;
    }
    bool general = part == Part::kGeneral;
    const EntryDefinition* entry = findEntry(general ? routeGeneralEntries() : routeFeatureEntries(), line.key);
    if (entry == &kCurveEntry && !buildPlan) continue;  // curves are read only with the plan
    if (entry == nullptr) {
      if (isHeader(line.key)) continue;
      const EntryDefinition* elsewhere = findEntry(general ? routeFeatureEntries() : routeGeneralEntries(), line.key);
      if (elsewhere != nullptr) {
        lint.warn(line, quoted(line.key) + " is " + (general ? "a feature" : "a general") +
                            " entry and is not recognised in the " + (general ? "general" : "feature") +
                            " part; its values are read as further keys");
      } else {
        lint.warn(line, quoted(line.key) + " matches no entry and is ignored");
      }
      continue;
    }
    lint.checkCount(line, entry->writtenKey, entry->valueCount(), lastIsText(*entry));
    if (!general) lintRouteFeature(lint, line, *entry, order);
  }
  return lint.take();
}

namespace {

struct TrainOrder {
  std::optional<std::int64_t> speed;
  std::optional<std::int64_t> adhesion;
  std::optional<std::int64_t> station;
};

void lintSignal(Linter& lint, const SourceLine& line, const std::vector<std::string_view>& t) {
  std::optional<std::int64_t> position = valueAt(t, 0);
  if (position && *position < 350) {
    lint.warn(line, "the signal at " + std::to_string(*position) +
                        " m stands closer than 350 m to the origin: its approach marks would fall before the line");
  }
  for (std::size_t i : {1u, 6u}) {
    std::optional<std::int64_t> kind = valueAt(t, i);
    if (kind && (*kind < 0 || *kind > 2)) {
      lint.warn(line, std::string(i == 1 ? "left" : "right") + " signal kind " + std::to_string(*kind) +
                          " is outside 0 to 2");
    }
  }
  for (std::size_t i : {2u, 3u, 4u, 7u, 8u, 9u}) {
    std::optional<std::int64_t> digit = valueAt(t, i);
    if (digit && (*digit < 0 || *digit > 9)) {
      lint.warn(line, "signal digit " + std::to_string(*digit) + " (value " + std::to_string(i + 1) +
                          ") is outside 0 to 9");
    }
  }
  std::optional<std::int64_t> tempo = valueAt(t, 10);
  if (tempo && *tempo >= 1 && *tempo <= 100) {
    lint.warn(line, "signal time " + std::to_string(*tempo) + " is taken as 101 (use 0 or 101 to 255)");
  }
}

void lintTrainEntry(Linter& lint, const SourceLine& line, const EntryDefinition& entry, TrainOrder& order) {
  std::vector<std::string_view> tokens = line.numericTokens();
  if (&entry == &kSpeedLimitEntry) {
    lint.checkAscending(line, order.speed, valueAt(tokens, 0), "the speed limit");
  } else if (&entry == &kAdhesionEntry) {
    lint.checkAscending(line, order.adhesion, valueAt(tokens, 0), "the adhesion");
  } else if (&entry == &kStationEntry) {
    lint.checkAscending(line, order.station, valueAt(tokens, 0), "the station");
  } else if (&entry == &kSignalEntry) {
    lintSignal(lint, line, tokens);
  }
}

}  // namespace

std::vector<LintWarning> lintTrainRunSource(std::string_view bytes, const std::string& file) {
  Linter lint(file);
  bool started = false;
  TrainOrder order;
  for (const SourceLine& line : splitLines(bytes)) {
    if (!started) {
      started = containsIgnoreCase(line.key, kTrainRunStart);
      continue;
    }
    if ((line.key.empty() && line.fields.empty()) || isComment(line.key) || isHeader(line.key)) continue;
    const EntryDefinition* entry = findEntry(kTrainRunEntries, line.key);
    if (entry == nullptr) {
      lint.warn(line, quoted(line.key) + " matches no entry and is ignored");
      continue;
    }
    lint.checkCount(line, entry->writtenKey, entry->valueCount(), lastIsText(*entry));
    lintTrainEntry(lint, line, *entry, order);
  }
  return lint.take();
}

std::string formatWarning(const LintWarning& warning) {
  std::string text = warning.file + ":" + std::to_string(warning.line);
  if (warning.column > 0) text += ":" + std::to_string(warning.column);
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
  lintOneSource(fs, routePath, all,
                [buildPlan](std::string_view bytes, const std::string& file) { return lintRouteSource(bytes, file, buildPlan); });
  lintOneSource(fs, trainPath, all, lintTrainRunSource);
  return all;
}

}  // namespace pack
