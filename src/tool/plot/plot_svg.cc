#include "tool/plot/plot_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <sstream>

#include "compiler/cell_codec.h"
#include "tool/plot/plot_design.h"

namespace pack {
namespace {

constexpr double kWidth = 1400;
constexpr double kLeft = 90;   // room for the panels' value labels
constexpr double kRight = 30;
constexpr double kPlotWidth = kWidth - kLeft - kRight;
constexpr double kPlanHeight = 520;

std::string num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", v);
  return buffer;
}

// A value for a label: no decimals when whole.
std::string label(double v) {
  char buffer[32];
  if (std::abs(v - std::round(v)) < 1e-9) std::snprintf(buffer, sizeof buffer, "%.0f", v);
  else std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}

std::string distanceText(double metres) {
  if (std::abs(metres) >= 1000) return label(metres / 1000) + " km";
  return label(metres) + " m";
}

// Rough width of a text in the sans-serif font: enough to keep labels apart.
double textWidth(std::string_view text, double size) {
  std::size_t chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  return static_cast<double>(chars) * size * plotDesign().textWidth;
}

struct Box {
  double x0, y0, x1, y1;
  bool overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// Places labels first come, first served; one that would overlap a placed label is refused.
class LabelPlacer {
 public:
  bool tryPlace(const Box& b) {
    for (const Box& o : placed_) {
      if (o.overlaps(b)) return false;
    }
    placed_.push_back(b);
    return true;
  }
  void block(const Box& b) { placed_.push_back(b); }

 private:
  std::vector<Box> placed_;
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
    out << "<rect x=\"" << num(x) << "\" y=\"" << num(y) << "\" width=\"" << num(std::max(w, 0.0)) << "\" height=\""
        << num(std::max(h, 0.0)) << "\" " << style << "/>\n";
  }
  void polyline(const std::vector<std::pair<double, double>>& points, std::string_view style) {
    if (points.empty()) return;
    out << "<polyline fill=\"none\" " << style << " points=\"";
    for (const auto& [x, y] : points) out << num(x) << ',' << num(y) << ' ';
    out << "\"/>\n";
  }
  void open(std::string_view tag) { out << "<" << tag << ">\n"; }
  void close(std::string_view tag) { out << "</" << tag << ">\n"; }
};

// The panels along the line share one horizontal scale.
// Metres along the line to x: linear over the whole track, or, when the run-out would take more than the
// design's share of the width, the route over the rest of the width and the run-out compressed into that
// share.
struct Along {
  double route = 0;
  double track = 0;
  double routeWidth = 0;  // pixels for the route
  bool squeezed = false;  // the run-out compressed

  static Along of(const PlotData& d, double maxRunOutShare) {
    Along a{static_cast<double>(d.routeLength), static_cast<double>(d.trackLength), 0, false};
    if (a.track <= 0) return a;
    a.squeezed = a.route > 0 && a.track - a.route > maxRunOutShare * a.track;
    a.routeWidth = a.squeezed ? kPlotWidth * (1 - maxRunOutShare) : kPlotWidth * std::clamp(a.route / a.track, 0.0, 1.0);
    return a;
  }
  bool compressed() const { return squeezed; }
  double x(double m) const {
    if (track <= 0) return kLeft;
    if (!compressed()) return kLeft + kPlotWidth * (m / track);
    if (m <= route) return kLeft + routeWidth * (m / route);
    return kLeft + routeWidth + (kPlotWidth - routeWidth) * ((m - route) / (track - route));
  }
};

std::string fill(std::string_view colour) { return "fill=\"" + std::string(colour) + "\""; }

// The plan scaled into its panel: equal scales on both axes, centred.
struct PlanFit {
  double top = 0;  // the panel's top edge
  double scale = 1;
  double cx = 0, cy = 0;      // the panel's centre
  double midX = 0, midY = 0;  // the plan's centre
  double x(double planX) const { return cx + (planX - midX) * scale; }
  double y(double planY) const { return cy - (planY - midY) * scale; }
};

// The plan's labels: each tries the places around its point in turn and takes the first free one inside
// the panel, or is left out.
struct PlanLabels {
  Svg& svg;
  double top;
  LabelPlacer placer;

  bool place(double x, double y, const std::string& text, double size, std::string_view style) {
    double w = textWidth(text, size);
    const std::pair<double, double> offsets[] = {{8, 4}, {-8 - w, 4}, {-w / 2, -8}, {-w / 2, size + 6},
                                                 {8, -8}, {8, size + 6}, {-8 - w, -8}, {-8 - w, size + 6}};
    for (auto [dx, dy] : offsets) {
      Box b{x + dx, y + dy - size, x + dx + w, y + dy + 2};
      if (b.x0 < kLeft || b.x1 > kLeft + kPlotWidth || b.y0 < top || b.y1 > top + kPlanHeight) continue;
      if (placer.tryPlace(b)) {
        svg.text(x + dx, y + dy, text, "font-size=\"" + num(size) + "\" " + std::string(style));
        return true;
      }
    }
    return false;
  }
};

class Renderer {
 public:
  explicit Renderer(const PlotData& d) : d_(d), along_(Along::of(d, design_.maxRunOutShare)) {
    // Kilometre ticks at round values of the line's own numbering, spaced as the page spaces them; where
    // the run-out is compressed, spaced for the route and thinned beyond it.
    std::int64_t spanned = along_.compressed() ? d.routeLength : d.trackLength;
    double span = static_cast<double>(std::max<std::int64_t>(spanned, 1000));
    double width = along_.compressed() ? along_.routeWidth : kPlotWidth;
    double step = niceStep(span, std::max(1, static_cast<int>(width / design_.tickSpacing)));
    step_ = static_cast<std::int64_t>(std::max(step, design_.minTickStep));
    ticks_ = spacedApart(d.kilometres.roundPosts(0, d.trackLength, step_));
  }

  std::string render() {
    double top = 84;
    top = plan(top) + 50;
    // The panels of the design, in its order, each drawn by its own function.
    const std::pair<std::string_view, void (Renderer::*)(const PanelDesign&, double)> drawings[] = {
        {"stations", &Renderer::stationStrip}, {"elevation", &Renderer::elevation}, {"gradient", &Renderer::gradient},
        {"curve", &Renderer::curvature}, {"speed", &Renderer::speed}, {"timetable", &Renderer::timetable},
        {"adhesion", &Renderer::adhesion}, {"features", &Renderer::features}};
    for (const PanelDesign& p : design_.panels) {
      panelTitle(top, p.title);
      frame(top, p.height, true);
      for (const auto& [id, draw] : drawings) {
        if (id == p.id) (this->*draw)(p, top);
      }
      top += p.height + design_.panelGap;
    }
    top = bottomAxis(top);
    top = legend(top);

    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << num(kWidth) << "\" height=\"" << num(top)
        << "\" viewBox=\"0 0 " << num(kWidth) << ' ' << num(top) << "\" font-family=\"sans-serif\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << kLeft << "\" y=\"30\" font-size=\"20\" font-weight=\"bold\">" << escapeXml(d_.title)
        << "</text>\n"
        << "<text x=\"" << kLeft << "\" y=\"52\" font-size=\"12\" fill=\"#444\">"
        << escapeXml("route " + distanceText(static_cast<double>(d_.routeLength)) + ", modelled to " +
                     distanceText(static_cast<double>(d_.trackLength)) + " (" +
                     distanceText(static_cast<double>(d_.trackLength - d_.routeLength)) + " beyond the end); " +
                     d_.kilometres.describe())
        << "</text>\n"
        << body_.out.str() << "</svg>\n";
    return svg.str();
  }

 private:
  // A feature's tooltip: what it is, where the author placed it, and its source line when known.
  std::string hoverText(const PlotFeature& f) const {
    std::string text = f.detail + " (at " + std::to_string(f.metre) + " m, km " + kilometrePostText(d_.kilometres.at(f.metre)) + ")";
    std::string source = d_.sourcePlace(f.source);
    return source.empty() ? text : text + " - " + source;
  }

  std::string postLabel(std::int64_t metre) const {
    std::int64_t post = d_.kilometres.at(metre);
    if (step_ % design_.postUnit == 0) return label(static_cast<double>(post) / static_cast<double>(design_.postUnit));
    return kilometrePostText(post);
  }

  // Grid lines at the kilometre ticks, the run-out shaded and the route's end marked, for one panel.
  void frame(double top, double height, bool labels) {
    Svg& s = body_;
    double end = along_.x(static_cast<double>(d_.routeLength));
    s.rect(kLeft, top, kPlotWidth, height, "fill=\"none\" stroke=\"" + design_.colours.frame + "\"");
    s.rect(end, top, along_.x(static_cast<double>(d_.trackLength)) - end, height, "fill=\"url(#runout)\"");
    for (std::int64_t m : ticks_) {
      double x = along_.x(static_cast<double>(m));
      s.line(x, top, x, top + height, "stroke=\"" + design_.colours.grid + "\"");
      if (labels) s.text(x, top + height + 11, postLabel(m), "font-size=\"9\" " + fill(design_.colours.postText) + " text-anchor=\"middle\"");
    }
    s.line(end, top, end, top + height, "stroke=\"" + design_.colours.routeEnd + "\" stroke-width=\"1.5\"");
  }

  void panelTitle(double top, std::string_view title) {
    body_.text(kLeft, top - 6, title, "font-weight=\"bold\" font-size=\"12\"");
  }

  // Horizontal value ticks on the left of a panel, with the unit.
  std::function<double(double)> valueAxis(const PanelDesign& p, double top, double lo, double hi) {
    const double height = p.height;
    if (!(lo < hi)) hi = lo + 1;
    double step = niceStep(hi - lo, p.axisLabels);
    lo = std::floor(lo / step) * step;
    hi = std::ceil(hi / step) * step;
    if (!(lo < hi)) hi = lo + step;
    const double scaled = height - design_.valueHeadroom;
    auto y = [=](double v) { return top + height - (v - lo) / (hi - lo) * scaled; };
    for (double v = lo; v <= hi + step / 2; v += step) {
      body_.line(kLeft - 4, y(v), kLeft, y(v), "stroke=\"#555\"");
      body_.line(kLeft, y(v), kLeft + kPlotWidth, y(v), "stroke=\"#f0f0f0\"");
      body_.text(kLeft - 6, y(v) + 3, label(v), "font-size=\"9\" text-anchor=\"end\"");
    }
    body_.text(14, top + height / 2, p.unit, "font-size=\"10\" fill=\"#444\"");
    return y;
  }

  // A step line of one value per cell, up to the cells that hold data.
  void steps(const std::vector<int>& values, const std::function<double(double)>& y, std::string_view style) {
    std::vector<std::pair<double, double>> points;
    for (const Run& r : runs(values, d_.profileCells)) {
      points.emplace_back(cellX(r.first), y(r.value));
      points.emplace_back(cellX(r.last + 1), y(r.value));
    }
    body_.polyline(points, style);
  }

  double plan(double top) {
    Svg& s = body_;
    s.out << "<defs><pattern id=\"runout\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
             "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#f4f4f4\"/>"
             "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\" stroke=\"#ddd\" stroke-width=\"2\"/></pattern></defs>\n";
    panelTitle(top, "The line seen from above");
    s.rect(kLeft, top, kPlotWidth, d_.hasPlan() ? kPlanHeight : 60, "fill=\"#fafaf6\" stroke=\"#999\"");
    if (!d_.hasPlan()) {
      s.text(kLeft + 20, top + 40, "No plan file: the scenario was compiled without the plan (--no-plan), so the "
                                   "line's shape from above is not known.", "font-size=\"13\" fill=\"#555\"");
      return top + 60;
    }
    const PlanFit fit = fitPlan(top);
    planLine(fit);
    // Ends first, then stations, then kilometre posts: the lower-priority label gives way.
    PlanLabels labels{body_, fit.top, LabelPlacer{}};
    planEnds(fit, labels);
    planStations(fit, labels);
    planSignals(fit);
    planPosts(fit, labels);
    scaleBar(fit);
    return top + kPlanHeight;
  }

  PlanFit fitPlan(double top) const {
    double minX = std::numeric_limits<double>::infinity(), maxX = -minX, minY = minX, maxY = -minX;
    for (const auto& p : d_.plan) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    }
    const double pad = 40;
    double spanX = std::max(maxX - minX, 1.0), spanY = std::max(maxY - minY, 1.0);
    // Equal scales on both axes keep the shape; the line fills the panel in its longer direction.
    PlanFit fit;
    fit.top = top;
    fit.scale = std::min((kPlotWidth - 2 * pad) / spanX, (kPlanHeight - 2 * pad) / spanY);
    fit.cx = kLeft + kPlotWidth / 2;
    fit.cy = top + kPlanHeight / 2;
    fit.midX = (minX + maxX) / 2;
    fit.midY = (minY + maxY) / 2;
    return fit;
  }

  // The point of the plan nearest to a metre.
  std::pair<double, double> planPoint(const PlanFit& fit, std::int64_t metre) const {
    auto it = std::lower_bound(d_.plan.begin(), d_.plan.end(), metre,
                               [](const PlotData::PlanSample& p, std::int64_t m) { return p.metre < m; });
    if (it == d_.plan.end()) it = std::prev(it);
    return {fit.x(it->x), fit.y(it->y)};
  }

  // The route drawn solid, the run-out beyond its end dashed.
  void planLine(const PlanFit& fit) {
    std::vector<std::pair<double, double>> route, runout;
    for (const auto& p : d_.plan) {
      bool inRoute = p.metre <= d_.routeLength;
      (inRoute ? route : runout).emplace_back(fit.x(p.x), fit.y(p.y));
    }
    if (!route.empty() && !runout.empty()) runout.insert(runout.begin(), route.back());
    body_.polyline(route, "stroke=\"#333\" stroke-width=\"2.2\"");
    body_.polyline(runout, "stroke=\"#999\" stroke-width=\"1.6\" stroke-dasharray=\"5 4\"");
  }

  // The start and end markers, and room kept free around every station's square before any label.
  void planEnds(const PlanFit& fit, PlanLabels& labels) {
    auto [sx, sy] = planPoint(fit, 0);
    auto [ex, ey] = planPoint(fit, d_.routeLength);
    body_.out << "<circle cx=\"" << num(sx) << "\" cy=\"" << num(sy) << "\" r=\"4\" fill=\"#2a2\"/>\n";
    body_.rect(ex - 4, ey - 4, 8, 8, "fill=\"#000\"");
    labels.placer.block({sx - 5, sy - 5, sx + 5, sy + 5});
    labels.placer.block({ex - 5, ey - 5, ex + 5, ey + 5});
    for (const PlotStation& st : d_.stations) {
      auto [x, y] = planPoint(fit, st.station.position);
      labels.placer.block({x - 5, y - 5, x + 5, y + 5});
    }
    labels.place(ex, ey, "end of route", 11, "fill=\"#000\"");
  }

  void planStations(const PlanFit& fit, PlanLabels& labels) {
    for (const PlotStation& st : d_.stations) {
      auto [x, y] = planPoint(fit, st.station.position);
      body_.rect(x - 4.5, y - 4.5, 9, 9, st.beyondEnd ? "fill=\"white\" stroke=\"#888\"" : "fill=\"#1565c0\"");
      labels.place(x, y, st.station.name + (st.beyondEnd ? " (beyond the end)" : ""), 11,
                   st.beyondEnd ? "fill=\"#888\"" : "font-weight=\"bold\" fill=\"#0d3c73\"");
    }
  }

  void planSignals(const PlanFit& fit) {
    for (const PlotFeature& f : d_.features) {
      if (f.kind != kSignal) continue;
      auto [x, y] = planPoint(fit, f.metre);
      body_.out << "<circle cx=\"" << num(x) << "\" cy=\"" << num(y) << "\" r=\"2.5\" fill=\"#c62828\"><title>"
                << escapeXml(hoverText(f)) << "</title></circle>\n";
    }
  }

  void planPosts(const PlanFit& fit, PlanLabels& labels) {
    for (std::int64_t m : ticks_) {
      auto [x, y] = planPoint(fit, m);
      body_.out << "<circle cx=\"" << num(x) << "\" cy=\"" << num(y) << "\" r=\"2\" fill=\"#888\"/>\n";
      labels.place(x, y, "km " + kilometrePostText(d_.kilometres.at(m)), 9, "fill=\"#666\"");
    }
  }

  // A round length about a tenth of the panel, and which way is north.
  void scaleBar(const PlanFit& fit) {
    Svg& s = body_;
    const double scale = fit.scale;
    double barMetres = niceStep(kPlotWidth / 10 / scale, 1);
    double bx = kLeft + 20, by = fit.top + kPlanHeight - 20;
    s.line(bx, by, bx + barMetres * scale, by, "stroke=\"#000\" stroke-width=\"3\"");
    s.line(bx, by - 5, bx, by + 3, "stroke=\"#000\"");
    s.line(bx + barMetres * scale, by - 5, bx + barMetres * scale, by + 3, "stroke=\"#000\"");
    s.text(bx, by - 8, distanceText(barMetres), "font-size=\"11\"");
    s.text(kLeft + kPlotWidth - 150, fit.top + kPlanHeight - 12, "north (plan y) up", "font-size=\"10\" fill=\"#777\"");
  }

  void stationStrip(const PanelDesign& p, double top) {
    const Palette& c = design_.colours;
    const double height = p.height;
    LabelPlacer placer;
    // Termini and timed stations first: when the names do not all fit, the others give way.
    std::vector<const PlotStation*> order;
    for (const PlotStation& st : d_.stations) order.push_back(&st);
    std::stable_sort(order.begin(), order.end(), [&](const PlotStation* a, const PlotStation* b) {
      auto rank = [&](const PlotStation* s) {
        return (s == &d_.stations.front() || s == &d_.stations.back()) ? 0 : s->station.time != 0 ? 1 : 2;
      };
      return rank(a) < rank(b);
    });
    double barY = top + height - 12;
    for (const PlotStation* st : order) {
      double x = along_.x(st->station.position);
      // A platform may reach before the line's start (a station at 0 m): draw only what lies on the line.
      double x0 = std::max(kLeft, along_.x(st->station.platformStart));
      double x1 = std::min(kLeft + kPlotWidth, along_.x(st->station.platformEnd));
      body_.rect(x0, barY, std::max(x1 - x0, 2.0), 6, fill(st->beyondEnd ? c.platformBeyond : c.platform));
      double w = textWidth(st->station.name, 10);
      for (int row = 0; row < design_.stationRows; ++row) {
        double y = top + 12 + row * design_.stationRowHeight;
        Box b{x - 2, y - 10, x + w + 2, y + 2};
        if (b.x1 > kLeft + kPlotWidth) b = {x - w - 2, y - 10, x + 2, y + 2};
        if (!placer.tryPlace(b)) continue;
        body_.line(x, y + 2, x, barY, "stroke=\"" + c.stationGuide + "\" stroke-width=\"0.8\"");
        body_.text(b.x0 + 2, y, st->station.name, "font-size=\"10\" " + fill(st->beyondEnd ? c.beyondText : c.stationText));
        break;
      }
    }
  }

  void elevation(const PanelDesign& p, double top) {
    const Palette& c = design_.colours;
    double lo = 0, hi = 0;
    for (std::size_t i = 0; i < d_.profileCells; ++i) {
      lo = std::min(lo, d_.elevation[i]);
      hi = std::max(hi, d_.elevation[i]);
    }
    for (const Run& r : runs(d_.mountain, d_.mountain.size())) {
      if (r.value == 0) continue;
      double x0 = cellX(r.first), x1 = cellX(r.last + 1);
      body_.rect(x0, top, std::max(x1 - x0, 1.0), p.height, fill(c.mountain[std::clamp(r.value, 1, 3)]));
    }
    auto y = valueAxis(p, top, lo, hi);
    frame(top, p.height, false);  // the grid over the mountain stretches
    std::vector<std::pair<double, double>> points;
    // At most about two points per pixel column.
    std::size_t step = std::max<std::size_t>(1, d_.profileCells / 3000);
    for (std::size_t i = 0; i < d_.profileCells; i += step) points.emplace_back(cellX(i), y(d_.elevation[i]));
    body_.polyline(points, "stroke=\"" + c.elevation + "\" stroke-width=\"1.8\"");
    for (const PlotStation& st : d_.stations) {
      double x = along_.x(st.station.position);
      body_.line(x, top, x, top + p.height, "stroke=\"" + c.platform + "\" stroke-dasharray=\"3 3\" stroke-width=\"0.8\"");
    }
  }

  void gradient(const PanelDesign& p, double top) {
    int lo = 0, hi = 0;
    for (std::size_t i = 0; i < d_.profileCells; ++i) {
      lo = std::min(lo, d_.gradient[i]);
      hi = std::max(hi, d_.gradient[i]);
    }
    auto y = valueAxis(p, top, lo, hi);
    for (const Run& r : runs(d_.gradient, d_.profileCells)) {
      if (r.value == 0) continue;
      double x0 = cellX(r.first), x1 = cellX(r.last + 1);
      double y0 = y(0), y1 = y(r.value);
      body_.rect(x0, std::min(y0, y1), std::max(x1 - x0, 0.5), std::abs(y1 - y0),
                 fill(r.value > 0 ? design_.colours.climbing : design_.colours.falling));
    }
    body_.line(kLeft, y(0), kLeft + kPlotWidth, y(0), "stroke=\"#555\"");
  }

  void curvature(const PanelDesign& p, double top) {
    const double height = p.height;
    double mid = top + height / 2;
    body_.line(kLeft, mid, kLeft + kPlotWidth, mid, "stroke=\"#999\"");
    body_.text(kLeft - 6, top + 12, "right", "font-size=\"9\" text-anchor=\"end\"");
    body_.text(kLeft - 6, top + height - 4, "left", "font-size=\"9\" text-anchor=\"end\"");
    if (d_.curvature.empty()) {
      body_.text(kLeft + 20, mid - 4, "no plan file: the curves are not known", "font-size=\"11\" fill=\"#777\"");
      return;
    }
    std::vector<int> signedClass;
    for (double k : d_.curvature) signedClass.push_back(k >= 0 ? curveClass(k) : -curveClass(k));
    for (const Run& r : runs(signedClass, signedClass.size())) {
      if (r.value == 0) continue;
      double x0 = cellX(r.first), x1 = cellX(r.last + 1);
      int cls = std::min(std::abs(r.value), 6);
      double h = (height / 2 - 2) * cls / 6.0;
      body_.rect(x0, r.value > 0 ? mid - h : mid, std::max(x1 - x0, 0.6), h, fill(design_.colours.curve[cls]));
    }
  }

  void speed(const PanelDesign& p, double top) {
    const Palette& c = design_.colours;
    const double height = p.height;
    int hi = 0;
    for (std::size_t i = 0; i < d_.profileCells; ++i) hi = std::max(hi, d_.speed[i]);
    auto y = valueAxis(p, top, 0, std::max(hi, 10));
    for (const Run& r : runs(d_.effectiveSpeed, d_.profileCells)) {
      if (r.value >= d_.speed[r.first]) continue;
      double x0 = cellX(r.first), x1 = cellX(r.last + 1);
      body_.rect(x0, top, std::max(x1 - x0, 1.5), height, fill(c.slowDownBand));
    }
    steps(d_.speed, y, "stroke=\"" + c.lineSpeed + "\" stroke-width=\"1.2\"");
    slowedSteps(y, "stroke=\"" + c.effectiveSpeed + "\" stroke-width=\"1.8\"");
    runLine([&](const RunPoint& r) { return y(r.kmh); }, "run-speed");
    LabelPlacer placer;
    for (const PlotFeature& f : d_.features) {
      if (f.kind != kSlowDownStart) continue;
      double x = along_.x(static_cast<double>(f.metre));
      std::string text = f.label.substr(10);
      double w = textWidth(text, 9);
      if (placer.tryPlace({x, top + 2, x + w, top + 13})) body_.text(x + 1, top + 11, text, "font-size=\"9\" " + fill(c.slowDownText));
    }
    for (const PlotFeature& f : d_.features) {
      if (f.kind != kSpeedBoard) continue;
      double x = along_.x(static_cast<double>(f.metre));
      body_.out << "<path d=\"M" << num(x) << ',' << num(top + height) << " l-3,-6 h6 z\" fill=\"#333\"/>\n";
      double w = textWidth(f.label, 8);
      if (placer.tryPlace({x - w / 2, top + height - 18, x + w / 2, top + height - 8})) {
        body_.text(x, top + height - 9, f.label, "font-size=\"8\" text-anchor=\"middle\" fill=\"#333\"");
      }
    }
  }

  // The fastest run as one line, with `value` giving a point's height: in each pixel column its lowest
  // and highest point, in their order along the run, so that a stop a pixel wide still reaches zero.
  void runLine(const std::function<double(const RunPoint&)>& value, std::string_view id) {
    const std::vector<RunPoint>& run = d_.run.points;
    std::vector<std::pair<double, double>> points;
    std::size_t i = 0;
    while (i < run.size()) {
      double column = std::floor(along_.x(run[i].metre));
      std::size_t lo = i, hi = i, j = i;
      for (; j < run.size() && std::floor(along_.x(run[j].metre)) == column; ++j) {
        if (value(run[j]) < value(run[lo])) lo = j;
        if (value(run[j]) > value(run[hi])) hi = j;
      }
      for (std::size_t k : {i, std::min(lo, hi), std::max(lo, hi), j - 1}) {
        std::pair<double, double> p{along_.x(run[k].metre), value(run[k])};
        if (points.empty() || points.back() != p) points.push_back(p);
      }
      i = j;
    }
    body_.out << "<g id=\"" << id << "\"><title>" << escapeXml(runSummary()) << "</title>\n";
    body_.polyline(points, "stroke=\"" + design_.colours.run + "\" stroke-width=\"" + num(design_.runWidth) + "\"");
    body_.out << "</g>\n";
  }

  std::string runSummary() const {
    const running_time::Timetable& tt = d_.run.timetable;
    double minimum = 0;
    for (const running_time::TimetableSection& s : tt.sections) {
      if (!s.spansStops && s.minimumS) minimum += *s.minimumS;
    }
    return "fastest run of " + tt.train.name + ": " + running_time::clockText(minimum) + " running, stop to stop";
  }

  // The graphic timetable: the clock downwards against the distance along the line.
  void timetable(const PanelDesign& p, double top) {
    const running_time::Timetable& tt = d_.run.timetable;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (const running_time::Stop& s : tt.stops) {
      if (s.timeS) lo = std::min(lo, double(*s.timeS)), hi = std::max(hi, double(*s.timeS));
    }
    for (const RunPoint& r : d_.run.points) lo = std::min(lo, r.clockS), hi = std::max(hi, r.clockS);
    if (!(lo <= hi)) {
      std::string why = d_.run.problem.empty() ? "no stops to run between" : d_.run.problem;
      body_.text(kLeft + 12, top + p.height / 2, "No timetable: " + why, "font-size=\"11\" fill=\"#777\"");
      return;
    }
    auto y = clockAxis(p, top, lo, hi);
    for (const running_time::TimetableSection& s : tt.sections) {
      const running_time::Stop& a = tt.stops[s.from];
      const running_time::Stop& b = tt.stops[s.to];
      if (!s.scheduledS || !a.timeS) continue;
      const std::string& colour = design_.verdictColour(running_time::verdictName(s.verdict));
      body_.out << "<g class=\"section\" data-verdict=\"" << running_time::verdictName(s.verdict) << "\"><title>"
                << escapeXml(sectionText(s)) << "</title>\n";
      body_.line(along_.x(a.positionM), y(*a.timeS), along_.x(b.positionM), y(*a.timeS + *s.scheduledS),
                 "stroke=\"" + colour + "\" stroke-width=\"" + num(design_.scheduleWidth) + "\"");
      body_.out << "</g>\n";
    }
    runLine([&](const RunPoint& r) { return y(r.clockS); }, "run-time");
    for (const running_time::Stop& s : tt.stops) {
      if (!s.timeS) continue;
      body_.out << "<circle cx=\"" << num(along_.x(s.positionM)) << "\" cy=\"" << num(y(*s.timeS)) << "\" r=\""
                << num(design_.stopRadius) << "\" fill=\"" << design_.colours.schedule << "\" class=\"stop\"><title>"
                << escapeXml(s.name + " " + running_time::clockText(*s.timeS)) << "</title></circle>\n";
    }
  }

  // "A to B: scheduled 0:05:00, minimum 0:04:12, tight (supplement 3.1 %, recommended 5.0 %)".
  std::string sectionText(const running_time::TimetableSection& s) const {
    const running_time::Timetable& tt = d_.run.timetable;
    std::string text = tt.stops[s.from].name + " to " + tt.stops[s.to].name + ": scheduled " +
                       running_time::clockText(s.scheduledS.value_or(0)) + ", minimum ";
    text += s.minimumS ? running_time::clockText(*s.minimumS) : "none (" + s.problem + ")";
    text += ", " + std::string(running_time::verdictName(s.verdict));
    if (auto sp = s.supplementPercent(), rp = s.recommendedPercent(); sp && rp) {
      text += " (supplement " + label(std::round(*sp * 10) / 10) + " %, recommended " + label(std::round(*rp * 10) / 10) + " %)";
    }
    return text;
  }

  // The clock on the left, downwards, at the design's first step that leaves few enough labels.
  std::function<double(double)> clockAxis(const PanelDesign& p, double top, double lo, double hi) {
    double step = design_.clockSteps.back();
    for (int candidate : design_.clockSteps) {
      if ((hi - lo) / candidate <= p.axisLabels) {
        step = candidate;
        break;
      }
    }
    lo = std::floor(lo / step) * step;
    hi = std::max(std::ceil(hi / step) * step, lo + step);
    const double headroom = design_.valueHeadroom, scaled = p.height - 2 * headroom;
    auto y = [=](double t) { return top + headroom + (t - lo) / (hi - lo) * scaled; };
    for (double t = lo; t <= hi + step / 2; t += step) {
      body_.line(kLeft - 4, y(t), kLeft, y(t), "stroke=\"#555\"");
      body_.line(kLeft, y(t), kLeft + kPlotWidth, y(t), "stroke=\"#f0f0f0\"");
      std::string clock = running_time::clockText(t);
      body_.text(kLeft - 6, y(t) + 3, clock.substr(0, clock.size() - 3), "font-size=\"9\" text-anchor=\"end\"");
    }
    body_.text(14, top + p.height / 2, p.unit, "font-size=\"10\" fill=\"#444\"");
    return y;
  }

  // The speed a slow-down leaves, only where it is below the line's limit: elsewhere the limit's own
  // line says it, and a second line over it would hide its colour. Each stretch drops from the limit and
  // climbs back to it.
  void slowedSteps(const std::function<double(double)>& y, std::string_view style) {
    for (const Run& r : runs(d_.effectiveSpeed, d_.profileCells)) {
      if (r.value >= d_.speed[r.first]) continue;
      double x0 = cellX(r.first), x1 = cellX(r.last + 1);
      std::size_t after = std::min(r.last + 1, d_.profileCells - 1);
      body_.polyline({{x0, y(d_.speed[r.first])}, {x0, y(r.value)}, {x1, y(r.value)}, {x1, y(d_.speed[after])}}, style);
    }
  }

  void adhesion(const PanelDesign& p, double top) {
    auto y = valueAxis(p, top, 0, 100);
    steps(d_.adhesion, y, "stroke=\"" + design_.colours.adhesion + "\" stroke-width=\"1.5\"");
  }

  void features(const PanelDesign&, double top) {
    LabelPlacer placer;
    for (const PlotFeature& f : d_.features) {
      int lane = design_.laneOf(f.kind);
      if (lane < 0) continue;
      const std::string& colour = design_.laneColours[static_cast<std::size_t>(lane)];
      double x = along_.x(static_cast<double>(f.metre));
      double y = top + design_.laneTops[static_cast<std::size_t>(lane)];
      body_.out << "<rect x=\"" << num(x - 1) << "\" y=\"" << num(y) << "\" width=\"2\" height=\"10\" fill=\""
                << colour << "\"><title>" << escapeXml(hoverText(f)) << "</title></rect>\n";
      // Signals are labelled with their kind, boards with their text, when there is room.
      if (lane > 1) continue;
      std::string text = f.label;
      if (text.size() > design_.labelChars) text = text.substr(0, design_.labelChars) + "...";
      placeLaneLabel(placer, lane, x, y, text, "font-size=\"8\" " + fill(colour));
    }
  }

  // A label beside its mark on the right, else on the left, in each of the lane's label rows in turn;
  // left out when none has room.
  void placeLaneLabel(LabelPlacer& placer, int lane, double x, double y, const std::string& text, const std::string& style) {
    const double w = textWidth(text, 8);
    for (int row = 0; row < design_.laneLabelRows[static_cast<std::size_t>(lane)]; ++row) {
      const double below = y + row * design_.labelRowHeight;
      if (placer.tryPlace({x + 2, below + 11, x + 2 + w, below + 20})) {
        body_.text(x + 2, below + 19, text, style);
        return;
      }
      if (placer.tryPlace({x - 2 - w, below + 11, x - 2, below + 20})) {
        body_.text(x - 2, below + 19, text, style + " text-anchor=\"end\"");
        return;
      }
    }
  }

  double bottomAxis(double top) {
    Svg& s = body_;
    s.line(kLeft, top, kLeft + kPlotWidth, top, "stroke=\"#333\"");
    const double spanned = static_cast<double>(along_.compressed() ? d_.routeLength : d_.trackLength);
    const double width = along_.compressed() ? along_.routeWidth : kPlotWidth;
    double along = niceStep(spanned, std::max(1, static_cast<int>(width / design_.tickSpacing)));
    std::vector<double> marks;
    for (double m = 0; m <= static_cast<double>(d_.trackLength) + 1e-6; m += along) marks.push_back(m);
    for (double m : spacedApart(marks)) {
      s.line(along_.x(m), top, along_.x(m), top + 4, "stroke=\"#333\"");
      s.text(along_.x(m), top + 15, label(along >= 1000 ? m / 1000 : m), "font-size=\"10\" text-anchor=\"middle\"");
    }
    s.text(kLeft, top + 30, std::string("distance along the line (") + (along >= 1000 ? "km" : "m") +
                                "); the panels' grey labels are the line's kilometre posts (" +
                                (step_ % design_.postUnit == 0 ? "km" : "km+m") + ")" +
                                (along_.compressed() ? "; the run-out beyond the route's end is drawn compressed" : ""),
           "font-size=\"10\" fill=\"#444\"");
    double end = along_.x(static_cast<double>(d_.routeLength));
    s.text(std::min(end, kLeft + kPlotWidth - 60), top + 44, "end of route " + distanceText(static_cast<double>(d_.routeLength)),
           "font-size=\"10\" text-anchor=\"middle\" font-weight=\"bold\"");
    return top + 60;
  }

  double legend(double top) {
    double x = kLeft;
    for (const LegendEntry& item : design_.legend) {
      if (x + 18 + textWidth(item.text, 10) > kLeft + kPlotWidth) x = kLeft, top += 18;
      body_.rect(x, top, 14, 10, fill(item.fill) + " stroke=\"#999\"");
      body_.text(x + 18, top + 9, item.text, "font-size=\"10\"");
      x += 30 + textWidth(item.text, 10);
    }
    return top + 30;
  }

  // The positions whose x lies far enough from the previous one kept, so that labels never crowd.
  template <typename Metre>
  std::vector<Metre> spacedApart(const std::vector<Metre>& positions) const {
    std::vector<Metre> kept;
    for (Metre m : positions) {
      if (kept.empty() || along_.x(static_cast<double>(m)) - along_.x(static_cast<double>(kept.back())) >=
                              design_.tickSpacing * 0.75) {
        kept.push_back(m);
      }
    }
    return kept;
  }

  // Where cell `cell` starts along the line.
  double cellX(std::size_t cell) const { return along_.x(static_cast<double>(codec::cellMetre(cell))); }

  const PlotDesign& design_ = plotDesign();
  const PlotData& d_;
  Along along_;
  std::int64_t step_ = 1000;
  std::vector<std::int64_t> ticks_;
  Svg body_;
};

}  // namespace

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

std::string renderScenarioSvg(const PlotData& data) { return Renderer(data).render(); }

}  // namespace pack
