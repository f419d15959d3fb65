#include "tool/plot_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>

#include "formats/cp1252.h"

namespace pack {
namespace {

constexpr double kWidth = 1200;
constexpr double kMargin = 70;
constexpr double kPlanHeight = 520;
constexpr double kStripGap = 40;

std::string escapeXml(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        // Control characters are not allowed in XML 1.0.
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
    }
  }
  return out;
}

std::string num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", v);
  return buffer;
}

bool hasPoint(const PlanPoint& p) { return p.x.tag != PlanTag::kEmpty && p.y.tag != PlanTag::kEmpty; }

struct Station {
  std::string name;
  std::int32_t position;
};

std::vector<Station> stations(const std::array<ScenarioRecord, kTableRows>& table) {
  std::vector<Station> list;
  // Stations fill the rows from 1 upward without gaps; text boards fill them from 80 downward.
  for (int row = 1; row <= kFirstBoardRow && !(table[row] == ScenarioRecord{}); ++row) {
    const ScenarioRecord& r = table[row];
    if (r.kind == 0 && r.numberA == 0 && r.numberB == 0 && r.numberC == 0) break;  // a board's row
    list.push_back({cp1252ToUtf8(r.text), r.numberC});
  }
  return list;
}

// Maps a line position (metres) to the x pixel of the profile strips.
struct AlongAxis {
  double metres;
  double x(double m) const { return kMargin + (kWidth - 2 * kMargin) * (metres > 0 ? m / metres : 0); }
};

class Svg {
 public:
  std::ostringstream out;

  void text(double x, double y, std::string_view s, std::string_view extra = "") {
    out << "<text x=\"" << num(x) << "\" y=\"" << num(y) << "\" " << extra << ">" << escapeXml(s) << "</text>\n";
  }
  void line(double x1, double y1, double x2, double y2, std::string_view style) {
    out << "<line x1=\"" << num(x1) << "\" y1=\"" << num(y1) << "\" x2=\"" << num(x2) << "\" y2=\"" << num(y2)
        << "\" " << style << "/>\n";
  }
  void rect(double x, double y, double w, double h, std::string_view style) {
    out << "<rect x=\"" << num(x) << "\" y=\"" << num(y) << "\" width=\"" << num(w) << "\" height=\"" << num(h)
        << "\" " << style << "/>\n";
  }
  void polyline(const std::vector<std::pair<double, double>>& points, std::string_view style) {
    if (points.empty()) return;
    out << "<polyline fill=\"none\" " << style << " points=\"";
    for (const auto& [x, y] : points) out << num(x) << ',' << num(y) << ' ';
    out << "\"/>\n";
  }
};

void drawPlan(Svg& svg, const PlotInput& in, double top) {
  svg.text(kMargin, top - 10, "Plan of the line (seen from above)", "font-weight=\"bold\"");
  double minX = std::numeric_limits<double>::infinity(), maxX = -minX, minY = minX, maxY = -minX;
  for (const PlanPoint& p : in.plan) {
    if (!hasPoint(p)) continue;
    minX = std::min(minX, p.x.value);
    maxX = std::max(maxX, p.x.value);
    minY = std::min(minY, p.y.value);
    maxY = std::max(maxY, p.y.value);
  }
  svg.rect(kMargin, top, kWidth - 2 * kMargin, kPlanHeight, "fill=\"#f8f8f4\" stroke=\"#999\"");
  if (!(minX <= maxX)) {
    svg.text(kMargin + 20, top + 40, "no plan file: the scenario was compiled without the plan");
    return;
  }
  // Equal scales on both axes, so the line keeps its shape; north (+y) up.
  double span = std::max({maxX - minX, maxY - minY, 1.0});
  double scale = std::min(kWidth - 2 * kMargin - 40, kPlanHeight - 40) / span;
  double cx = kWidth / 2, cy = top + kPlanHeight / 2;
  double midX = (minX + maxX) / 2, midY = (minY + maxY) / 2;
  auto px = [&](double x) { return cx + (x - midX) * scale; };
  auto py = [&](double y) { return cy - (y - midY) * scale; };

  std::vector<std::pair<double, double>> points;
  for (std::size_t m = 0; m < in.plan.size(); m += 10) {
    if (hasPoint(in.plan[m])) points.emplace_back(px(in.plan[m].x.value), py(in.plan[m].y.value));
  }
  svg.polyline(points, "stroke=\"#333\" stroke-width=\"2\"");
  auto at = [&](std::int64_t metre) -> const PlanPoint* {
    if (metre < 0 || metre >= static_cast<std::int64_t>(in.plan.size())) return nullptr;
    const PlanPoint& p = in.plan[static_cast<std::size_t>(metre)];
    return hasPoint(p) ? &p : nullptr;
  };
  for (std::int64_t km = 0; km * 1000 < static_cast<std::int64_t>(in.plan.size()); km += 5) {
    if (const PlanPoint* p = at(km * 1000)) {
      svg.out << "<circle cx=\"" << num(px(p->x.value)) << "\" cy=\"" << num(py(p->y.value))
              << "\" r=\"2.5\" fill=\"#888\"/>\n";
      svg.text(px(p->x.value) + 5, py(p->y.value) + 12, "km " + std::to_string(km),
               "font-size=\"10\" fill=\"#666\"");
    }
  }
  for (std::size_t i = 0; i < in.cells.size(); ++i) {
    if (in.cells[i].kind != kSignal) continue;
    if (const PlanPoint* p = at(static_cast<std::int64_t>(i) * 50)) {
      svg.out << "<circle cx=\"" << num(px(p->x.value)) << "\" cy=\"" << num(py(p->y.value))
              << "\" r=\"3\" fill=\"#c00\"><title>signal at " << i * 50 << " m</title></circle>\n";
    }
  }
  for (int row = kRowKilometreTre; row <= kRowKilometreUno; ++row) {
    const ScenarioRecord& r = in.table[row];
    if (r.numberA == 0 && r.numberB == 0) continue;
    if (const PlanPoint* p = at(r.numberA)) {
      svg.text(px(p->x.value) + 6, py(p->y.value) - 6,
               "km post " + std::to_string(r.numberB / 1000) + "+" + std::to_string(std::abs(r.numberB % 1000)),
               "font-size=\"10\" fill=\"#06c\"");
    }
  }
  for (const Station& s : stations(in.table)) {
    if (const PlanPoint* p = at(s.position)) {
      svg.rect(px(p->x.value) - 5, py(p->y.value) - 5, 10, 10, "fill=\"#06c\"");
      svg.text(px(p->x.value) + 8, py(p->y.value) + 4, s.name, "font-size=\"12\" font-weight=\"bold\"");
    }
  }
}

void drawAxis(Svg& svg, const AlongAxis& axis, double y) {
  svg.line(kMargin, y, kWidth - kMargin, y, "stroke=\"#333\"");
  double km = axis.metres / 1000;
  double step = km > 60 ? 10 : (km > 20 ? 5 : 1);
  for (double k = 0; k <= km; k += step) {
    svg.line(axis.x(k * 1000), y, axis.x(k * 1000), y + 4, "stroke=\"#333\"");
    svg.text(axis.x(k * 1000) - 6, y + 16, num(k).substr(0, num(k).size() - 2), "font-size=\"10\"");
  }
  svg.text(kWidth - kMargin + 5, y + 4, "km", "font-size=\"10\"");
}

// A strip with a step line of one value per cell.
double drawStrip(Svg& svg, const PlotInput& in, const AlongAxis& axis, double top, double height,
                 std::string_view title, std::string_view unit, std::string_view colour,
                 double (*value)(const TrackCell&)) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const TrackCell& c : in.cells) {
    lo = std::min(lo, value(c));
    hi = std::max(hi, value(c));
  }
  if (!(lo < hi)) hi = lo + 1;
  auto y = [&](double v) { return top + height - (v - lo) / (hi - lo) * height; };
  svg.text(kMargin, top - 6, std::string(title), "font-weight=\"bold\" font-size=\"12\"");
  svg.text(4, top + 10, num(hi) + " " + std::string(unit), "font-size=\"10\"");
  svg.text(4, top + height, num(lo) + " " + std::string(unit), "font-size=\"10\"");
  std::vector<std::pair<double, double>> points;
  for (std::size_t i = 0; i < in.cells.size(); ++i) {
    double v = value(in.cells[i]);
    points.emplace_back(axis.x(i * 50.0), y(v));
    points.emplace_back(axis.x((i + 1) * 50.0), y(v));
  }
  svg.polyline(points, "stroke=\"" + std::string(colour) + "\" stroke-width=\"1.5\"");
  drawAxis(svg, axis, top + height + 4);
  return top + height + kStripGap;
}

// Elevation integrated from the gradients, cell by cell (50 m at the gradient of the cell).
std::vector<double> elevations(const std::vector<TrackCell>& cells) {
  std::vector<double> h;
  double level = 0;
  for (const TrackCell& c : cells) {
    h.push_back(level);
    if (c.gradient != 0) level += (c.gradient - 100) * 50.0 / 1000.0;
  }
  return h;
}

double drawElevation(Svg& svg, const PlotInput& in, const AlongAxis& axis, double top) {
  const double height = 180;
  std::vector<double> h = elevations(in.cells);
  double lo = h.empty() ? 0 : *std::min_element(h.begin(), h.end());
  double hi = h.empty() ? 1 : *std::max_element(h.begin(), h.end());
  if (!(lo < hi)) hi = lo + 1;
  auto y = [&](double v) { return top + height - (v - lo) / (hi - lo) * height; };
  svg.text(kMargin, top - 6, "Profile along the line: elevation from the gradients (relative, m)",
           "font-weight=\"bold\" font-size=\"12\"");
  // Mountain stretches as shaded bands behind the profile.
  for (std::size_t i = 0; i < in.cells.size();) {
    if (in.cells[i].mountainKind == 0) {
      ++i;
      continue;
    }
    std::size_t first = i;
    while (i < in.cells.size() && in.cells[i].mountainKind != 0) ++i;
    svg.rect(axis.x(first * 50.0), top, axis.x(i * 50.0) - axis.x(first * 50.0), height,
             "fill=\"#d8ecd0\"");
  }
  std::vector<std::pair<double, double>> points;
  for (std::size_t i = 0; i < h.size(); ++i) points.emplace_back(axis.x(i * 50.0), y(h[i]));
  svg.polyline(points, "stroke=\"#7a4\" stroke-width=\"2\"");
  svg.text(4, top + 10, num(hi) + " m", "font-size=\"10\"");
  svg.text(4, top + height, num(lo) + " m", "font-size=\"10\"");
  for (const Station& s : stations(in.table)) {
    svg.line(axis.x(s.position), top, axis.x(s.position), top + height, "stroke=\"#06c\" stroke-dasharray=\"4 3\"");
    svg.text(axis.x(s.position) + 3, top + 12, s.name, "font-size=\"11\" fill=\"#06c\"");
  }
  drawAxis(svg, axis, top + height + 4);
  return top + height + kStripGap;
}

double drawFeatures(Svg& svg, const PlotInput& in, const AlongAxis& axis, double top) {
  const double height = 70;
  svg.text(kMargin, top - 6, "Features: signals (red), boards (grey), slow-downs (orange), code points (purple)",
           "font-weight=\"bold\" font-size=\"12\"");
  svg.rect(kMargin, top, kWidth - 2 * kMargin, height, "fill=\"none\" stroke=\"#ccc\"");
  for (std::size_t i = 0; i < in.cells.size(); ++i) {
    const TrackCell& c = in.cells[i];
    double x = axis.x(i * 50.0);
    std::string what = std::to_string(i * 50) + " m";
    switch (c.kind) {
      case kSignal:
        svg.out << "<line x1=\"" << num(x) << "\" y1=\"" << num(top + 5) << "\" x2=\"" << num(x) << "\" y2=\""
                << num(top + 25) << "\" stroke=\"#c00\" stroke-width=\"2\"><title>signal at " << what
                << "</title></line>\n";
        break;
      case kSpeedBoard:
      case kTextBoard:
        svg.rect(x - 2, top + 28, 4, 12, "fill=\"#777\"");
        break;
      case kSlowDownStart:
      case kSlowDownEnd:
      case kSlowDownWarning:
      case kSlowDownApproach:
        svg.rect(x - 2, top + 44, 4, 12, "fill=\"#e80\"");
        break;
      case kCodePoint:
      case kCodePointNoValue:
        svg.rect(x - 1, top + 58, 2, 10, "fill=\"#80c\"");
        break;
      default:
        break;
    }
  }
  drawAxis(svg, axis, top + height + 4);
  return top + height + kStripGap;
}

}  // namespace

std::string renderScenarioSvg(const PlotInput& in) {
  Svg body;
  double top = 60;
  drawPlan(body, in, top);
  top += kPlanHeight + 60;
  AlongAxis axis{static_cast<double>(in.cells.size()) * 50.0};
  top = drawElevation(body, in, axis, top);
  top = drawStrip(body, in, axis, top, 90, "Speed limit", "km/h", "#c00",
                  [](const TrackCell& c) { return c.speedLimit * 5.0; });
  top = drawStrip(body, in, axis, top, 70, "Adhesion", "%", "#06c",
                  [](const TrackCell& c) { return static_cast<double>(c.adhesion); });
  top = drawFeatures(body, in, axis, top);

  std::ostringstream svg;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << num(kWidth) << "\" height=\"" << num(top)
      << "\" viewBox=\"0 0 " << num(kWidth) << ' ' << num(top) << "\" font-family=\"sans-serif\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
      << "<text x=\"" << kMargin << "\" y=\"30\" font-size=\"20\" font-weight=\"bold\">" << escapeXml(in.title)
      << "</text>\n"
      << body.out.str() << "</svg>\n";
  return svg.str();
}

}  // namespace pack
