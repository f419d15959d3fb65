#include "tool/describe/scenario_facts.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "compiler/cell_codec.h"
#include "formats/cp1252.h"

namespace pack {
namespace {

using namespace codec;

std::string signalText(const TrackCell& c, std::size_t index) {
  std::string text;
  if (std::optional<SignalCells> kinds = decodeSignalKinds(c.value4)) {
    text = "left " + std::string(signalKindName(kinds->left)) + ", right " +
           std::string(signalKindName(kinds->right));
    if (kinds->rapp != 0) text += ", rapp " + std::to_string(kinds->rapp);
  } else {
    text = "kinds not readable (value4 " + std::to_string(c.value4) + ")";
  }
  text += ", placed at " + std::to_string(placedMetre(index)) + " m";
  std::string left, right;
  for (int i = 0; i < 3; ++i) {
    std::optional<SignalDigits> d = decodeSignalDigits(c, i);
    left += d ? char('0' + d->left) : '?';
    right += d ? char('0' + d->right) : '?';
  }
  text += ", digits left " + left + " right " + right;
  if (c.signalTime != 0) text += ", time " + std::to_string(c.signalTime);
  return text;
}

std::string slowDownExtras(const TrackCell& c) {
  std::string text;
  if (c.value2 != 0) text += ", d_v " + std::to_string(c.value2);
  if (c.value3 != 0) text += ", f_tt " + std::to_string(c.value3);
  return text;
}

std::string boardText(const TrackCell& c) {
  std::string text;
  for (int set = 0; set < 2; ++set) {
    std::string speeds;
    bool any = false;
    for (std::int16_t packed : {c.value1, c.value2, c.value3}) {
      BoardSpeeds s = decodeBoardSpeeds(packed);
      int v = set == 0 ? s.first : s.second;
      any = any || v != 0;
      if (!speeds.empty()) speeds += '/';
      speeds += std::to_string(v);
    }
    if (set == 1 && !any && c.value4 % 10 == 0) break;
    int stripes = set == 0 ? c.value4 / 10 : c.value4 % 10;
    text += std::string(set == 0 ? "" : "; second set ") + speeds + " km/h";
    if (stripes != 0) text += ", " + std::to_string(stripes) + " stripes";
  }
  return text;
}

// The text a table row holds, in UTF-8 (a board's words, a station's name); empty for no such row.
std::string tableText(const ScenarioTable* table, int row) {
  if (table == nullptr || row < 0 || row >= kTableRows) return {};
  return cp1252ToUtf8((*table)[static_cast<std::size_t>(row)].text);
}

}  // namespace

std::string kilometrePostText(std::int64_t metres) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%s%lld+%03lld", metres < 0 ? "-" : "",
                static_cast<long long>(std::llabs(metres) / 1000), static_cast<long long>(std::llabs(metres) % 1000));
  return buffer;
}

std::string clockText(std::int64_t seconds) {
  // The magnitude in unsigned arithmetic: the most negative value has no positive twin.
  const std::uint64_t s = seconds < 0 ? 0 - static_cast<std::uint64_t>(seconds) : static_cast<std::uint64_t>(seconds);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%s%llu:%02llu:%02llu", seconds < 0 ? "-" : "",
                static_cast<unsigned long long>(s / 3600), static_cast<unsigned long long>(s / 60 % 60),
                static_cast<unsigned long long>(s % 60));
  return buffer;
}

RowRole stationAreaRowRole(const ScenarioTable& table, int row) {
  if (row <= stationRowCount(table)) return RowRole::kStation;
  return table[static_cast<std::size_t>(row)] == ScenarioRecord{} ? RowRole::kEmpty : RowRole::kBoardText;
}

std::vector<Station> stations(const ScenarioTable& table) {
  std::vector<Station> list;
  for (int row = 1; row <= stationRowCount(table); ++row) {
    const ScenarioRecord& r = table[static_cast<std::size_t>(row)];
    list.push_back({row, cp1252ToUtf8(r.text), r.kind, r.numberC, r.numberA, r.numberB, r.numberD});
  }
  return list;
}

std::optional<std::int64_t> boardKilometre(std::string_view text) {
  for (std::size_t at = text.find("Km"); at != std::string_view::npos; at = text.find("Km", at + 2)) {
    std::size_t i = at + 2;
    while (i < text.size() && text[i] == ' ') ++i;
    std::int64_t km = 0, metres = 0;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 6) km = km * 10 + (text[i++] - '0'), ++digits;
    if (digits == 0 || i >= text.size() || text[i] != '+') continue;
    ++i;
    std::size_t fraction = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && fraction < 3) metres = metres * 10 + (text[i++] - '0'), ++fraction;
    if (fraction != 3) continue;
    return km * 1000 + metres;
  }
  return std::nullopt;
}

KilometreScale::KilometreScale(const ScenarioTable& table, const std::vector<TrackCell>& cells) {
  for (int row = kRowKilometreTre; row <= kRowKilometreUno; ++row) {
    const ScenarioRecord& r = table[static_cast<std::size_t>(row)];
    if (r.numberA == 0 && r.numberB == 0) continue;  // an unused definition
    anchors_.push_back({r.numberA, r.numberB});
  }
  std::sort(anchors_.begin(), anchors_.end(), [](const Anchor& a, const Anchor& b) { return a.position < b.position; });
  if (anchors_.size() >= 2) {
    const Anchor& a = anchors_.front();
    const Anchor& b = anchors_.back();
    direction_ = (b.value - a.value) * (b.position - a.position) < 0 ? -1 : 1;
    return;
  }
  // The boards' own kilometre items: count the neighbouring pairs that run down against those that run up.
  int down = 0, up = 0;
  std::optional<std::pair<std::int64_t, std::int64_t>> previous;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].kind != kTextBoard) continue;
    int row = cells[i].value1;
    if (row < 0 || row >= kTableRows) continue;
    std::optional<std::int64_t> km = boardKilometre(table[static_cast<std::size_t>(row)].text);
    if (!km) continue;
    std::int64_t metre = cellMetre(i);
    if (previous && metre != previous->first) (*km < previous->second ? down : up) += 1;
    previous = {{metre, *km}};
  }
  direction_ = down > up ? -1 : 1;
}

std::int64_t KilometreScale::at(std::int64_t metre) const {
  if (anchors_.empty()) return metre;
  const Anchor* anchor = &anchors_.front();
  for (const Anchor& a : anchors_) {
    if (a.position <= metre) anchor = &a;
  }
  return anchor->value + direction_ * (metre - anchor->position);
}

std::vector<std::int64_t> KilometreScale::roundPosts(std::int64_t from, std::int64_t to, std::int64_t step) const {
  std::vector<std::int64_t> metres;
  if (step <= 0 || to < from) return metres;
  if (anchors_.empty()) {
    for (std::int64_t m = (from + step - 1) / step * step; m <= to; m += step) metres.push_back(m);
    return metres;
  }
  // Piece by piece: each definition rules from its position to the next one's.
  for (std::size_t i = 0; i < anchors_.size(); ++i) {
    std::int64_t lo = i == 0 ? from : std::max(from, anchors_[i].position);
    std::int64_t hi = i + 1 < anchors_.size() ? std::min(to, anchors_[i + 1].position - 1) : to;
    if (hi < lo) continue;
    std::int64_t a = at(lo), b = at(hi);
    std::int64_t low = std::min(a, b), high = std::max(a, b);
    std::int64_t first = low >= 0 ? (low + step - 1) / step * step : -((-low) / step * step);
    for (std::int64_t v = first; v <= high; v += step) {
      std::int64_t m = anchors_[i].position + direction_ * (v - anchors_[i].value);
      if (m >= lo && m <= hi) metres.push_back(m);
    }
  }
  std::sort(metres.begin(), metres.end());
  return metres;
}

std::string KilometreScale::describe() const {
  if (anchors_.empty()) return "no kilometre-post definition: kilometres from the start of the line";
  std::string text = "kilometre posts of the line: " + kilometrePostText(anchors_.front().value) + " at " +
                     std::to_string(anchors_.front().position) + " m";
  for (std::size_t i = 1; i < anchors_.size(); ++i) {
    text += ", " + kilometrePostText(anchors_[i].value) + " at " + std::to_string(anchors_[i].position) + " m";
  }
  text += descending() ? ", counting down along the line" : ", counting up along the line";
  return text;
}

std::string cellFeatureText(const TrackCell& c, std::size_t index, const ScenarioTable* table) {
  switch (c.kind) {
    case kFree: return {};
    case kSignal: return "signal: " + signalText(c, index);
    case kSlowDownStart:
      return "slow-down start: " + std::to_string(decodeSlowDownSpeed(c)) + " km/h" + slowDownExtras(c);
    case kSlowDownEnd:
      return "slow-down end (" + std::to_string(decodeSlowDownSpeed(c)) + " km/h ends)" + slowDownExtras(c);
    case kSlowDownWarning:
      return "slow-down warning point: " + std::to_string(decodeSlowDownSpeed(c)) + " km/h " + std::to_string(kWarningDistance) + " m ahead" +
             slowDownExtras(c);
    case kSlowDownApproach:
      return "slow-down approach step " + std::to_string(c.value1) + " before a warning point";
    case kSpeedBoard: return "speed board: " + boardText(c);
    case kStopPoint: {
      std::string name = tableText(table, c.value1);
      return "stop point of station row " + std::to_string(c.value1) + (name.empty() ? "" : " \"" + name + "\"");
    }
    case kMountainMark: return "mountain marker";
    case kCodePoint: return "code point: code " + std::to_string(c.value1);
    case kCodePointNoValue: return "code point without a code";
    case kTextBoard: {
      std::string text = tableText(table, c.value1);
      return "text board, text in row " + std::to_string(c.value1) + (text.empty() ? "" : ": \"" + text + "\"");
    }
    default: return "unknown kind " + std::to_string(c.kind);
  }
}

std::string approachMarkText(const TrackCell& c) {
  if (c.approachMark == 0) return {};
  std::optional<ApproachMark> mark = decodeApproachMark(c.approachMark);
  if (!mark) return "approach mark " + std::to_string(c.approachMark) + " (not a mark the compiler writes)";
  std::string step = " step " + std::to_string(mark->step);
  if (mark->maybeStation) return "approach to a station stop point," + step;
  int sides = mark->signalSides;
  return "approach to a signal (left " + std::string(signalKindName(static_cast<SignalKind>(sides / 3))) +
         ", right " + std::string(signalKindName(static_cast<SignalKind>(sides % 3))) + ")," + step;
}

}  // namespace pack
