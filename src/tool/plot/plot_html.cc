#include "tool/plot/plot_html.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "compiler/cell_codec.h"
#include "tool/plot/plot_design.h"
#include "tool/plot/plot_svg.h"
#include "tool/plot/viewer_assets.h"

namespace pack {
namespace {

using nlohmann::json;

json sourceJson(const SourceRef& ref) {
  if (!ref.known()) return nullptr;
  return json::array({ref.file, ref.line});
}

// Runs of equal values as [first cell, last cell, value].
json runsJson(const std::vector<int>& values, std::size_t count) {
  json list = json::array();
  for (const Run& r : runs(values, count)) list.push_back(json::array({r.first, r.last, r.value}));
  return list;
}

json sourceRunsJson(const std::vector<SourceRef>& refs) {
  std::vector<int> lines;
  for (const SourceRef& r : refs) lines.push_back(r.known() ? static_cast<int>(r.line) : 0);
  return runsJson(lines, lines.size());
}

json designJson(const PlotDesign& s);

json stationsJson(const PlotData& d) {
  json stations = json::array();
  for (const PlotStation& s : d.stations) {
    stations.push_back({{"row", s.station.row},
                        {"name", s.station.name},
                        {"type", s.station.type},
                        {"m", s.station.position},
                        {"a", s.station.platformStart},
                        {"b", s.station.platformEnd},
                        {"time", s.station.time == 0 ? json(nullptr) : json(clockText(s.station.time))},
                        {"beyond", s.beyondEnd},
                        {"src", sourceJson(s.source)}});
  }
  return stations;
}

json featuresJson(const PlotData& d) {
  json features = json::array();
  for (const PlotFeature& f : d.features) {
    features.push_back({{"k", featureKindName(f.kind)},
                        {"cell", f.cell},
                        {"m", f.metre},
                        {"label", f.label},
                        {"detail", f.detail},
                        {"src", sourceJson(f.source)}});
  }
  return features;
}

// The kilometre numbering as (metre, post) pairs, linear between neighbours: the ends and both sides of
// each definition's position, where the count may jump.
json kilometresJson(const PlotData& d) {
  std::vector<std::int64_t> corners = {0};
  for (std::int64_t p : d.kilometres.breakpoints()) {
    if (p > corners.back() + 1 && p < d.trackLength) corners.insert(corners.end(), {p - 1, p});
  }
  if (d.trackLength > corners.back()) corners.push_back(d.trackLength);
  json posts = json::array();
  for (std::int64_t m : corners) posts.push_back(json::array({m, d.kilometres.at(m)}));
  return {{"describe", d.kilometres.describe()}, {"defined", d.kilometres.defined()}, {"points", posts}};
}

json optionalJson(const std::optional<double>& v) { return v ? json(std::round(*v * 10) / 10) : json(nullptr); }

// The train's run as three arrays (metres, km/h, clock seconds) a tenth apart at most, and the
// timetable's stops and sections.
json runJson(const PlotRun& r) {
  json m = json::array(), v = json::array(), t = json::array();
  for (const RunPoint& p : r.points) {
    m.push_back(std::round(p.metre * 10) / 10);
    v.push_back(std::round(p.kmh * 10) / 10);
    t.push_back(std::round(p.clockS * 10) / 10);
  }
  json stops = json::array();
  for (const running_time::Stop& s : r.timetable.stops) {
    stops.push_back({{"name", s.name}, {"m", s.positionM}, {"time", s.timeS ? json(*s.timeS) : json(nullptr)}});
  }
  json sections = json::array();
  for (const running_time::TimetableSection& s : r.timetable.sections) {
    sections.push_back({{"from", s.from}, {"to", s.to}, {"spans", s.spansStops}, {"scheduled", optionalJson(s.scheduledS)},
                        {"minimum", optionalJson(s.minimumS)}, {"recommended", std::round(s.recommendedS * 10) / 10},
                        {"verdict", running_time::verdictName(s.verdict)}, {"problem", s.problem}});
  }
  return {{"train", r.timetable.train.name}, {"problem", r.problem.empty() ? json(nullptr) : json(r.problem)},
          {"m", m}, {"v", v}, {"t", t}, {"stops", stops}, {"sections", sections}};
}

json dataJson(const PlotData& d) {
  json elevation = json::array();
  for (std::size_t i = 0; i < d.profileCells; ++i) elevation.push_back(std::round(d.elevation[i] * 10) / 10);
  std::vector<int> curve;
  for (double k : d.curvature) curve.push_back(k >= 0 ? curveClass(k) : -curveClass(k));
  json plan = json::array();
  for (const auto& p : d.plan) plan.push_back(json::array({p.metre, std::round(p.x * 10) / 10, std::round(p.y * 10) / 10}));
  return {{"title", d.title},
          {"routeLength", d.routeLength},
          {"trackLength", d.trackLength},
          {"cellLength", kCellLength},
          {"profileCells", d.profileCells},
          {"kilometres", kilometresJson(d)},
          {"sources", d.sourceNames},
          {"sourcesNewer", d.sourcesNewer ? json(std::string(kSourcesNewerNote)) : json(nullptr)},
          {"stations", stationsJson(d)},
          {"features", featuresJson(d)},
          {"speed", runsJson(d.speed, d.profileCells)},
          {"effective", runsJson(d.effectiveSpeed, d.profileCells)},
          {"gradient", runsJson(d.gradient, d.profileCells)},
          {"adhesion", runsJson(d.adhesion, d.profileCells)},
          {"mountain", runsJson(d.mountain, d.mountain.size())},
          {"curve", runsJson(curve, curve.size())},
          {"elevation", elevation},
          {"speedSource", sourceRunsJson(d.speedSource)},
          {"gradientSource", sourceRunsJson(d.gradientSource)},
          {"adhesionSource", sourceRunsJson(d.adhesionSource)},
          {"plan", plan},
          {"run", runJson(d.run)},
          {"design", designJson(plotDesign())}};
}

json designJson(const PlotDesign& s) {
  json panels = json::array();
  for (const PanelDesign& p : s.panels) {
    panels.push_back(
        {{"id", p.id}, {"title", p.title}, {"height", p.height}, {"unit", p.unit}, {"axisLabels", p.axisLabels}});
  }
  json legend = json::array();
  for (const LegendEntry& e : s.legend) legend.push_back({{"fill", e.fill}, {"text", e.text}});
  json lanes = json::object();
  for (const codec::KindInfo& k : codec::cellKinds()) {
    if (!k.plotName.empty()) lanes[std::string(k.plotName)] = codec::laneIndex(k.lane);
  }
  const Palette& c = s.colours;
  json colours = {{"signal", c.signal}, {"board", c.board}, {"slowDown", c.slowDown}, {"codePoint", c.codePoint},
                  {"platform", c.platform}, {"platformBeyond", c.platformBeyond}, {"stationText", c.stationText},
                  {"beyondText", c.beyondText}, {"stationGuide", c.stationGuide}, {"elevation", c.elevation},
                  {"climbing", c.climbing}, {"falling", c.falling}, {"lineSpeed", c.lineSpeed},
                  {"effectiveSpeed", c.effectiveSpeed}, {"slowDownBand", c.slowDownBand},
                  {"slowDownText", c.slowDownText}, {"adhesion", c.adhesion}, {"grid", c.grid}, {"frame", c.frame},
                  {"postText", c.postText}, {"routeEnd", c.routeEnd}, {"mountain", c.mountain}, {"curve", c.curve},
                  {"run", c.run}, {"schedule", c.schedule}};
  json verdicts = json::object();
  for (std::size_t i = 0; i < kVerdictNames.size(); ++i) verdicts[std::string(kVerdictNames[i])] = c.verdict[i];
  colours["verdict"] = verdicts;
  return {{"panels", panels}, {"panelGap", s.panelGap}, {"colours", colours}, {"legend", legend},
          {"lanes", lanes}, {"laneColours", s.laneColours}, {"laneTops", s.laneTops}, {"laneLabelRows", s.laneLabelRows},
          {"labelRowHeight", s.labelRowHeight}, {"valueHeadroom", s.valueHeadroom}, {"runWidth", s.runWidth},
          {"scheduleWidth", s.scheduleWidth}, {"stopRadius", s.stopRadius}, {"clockSteps", s.clockSteps},
          {"curveRadii", s.curveRadii}, {"maxRunOutShare", s.maxRunOutShare}, {"stationRows", s.stationRows}, {"stationRowHeight", s.stationRowHeight},
          {"tickSpacing", s.tickSpacing}, {"minTickStep", s.minTickStep}, {"textWidth", s.textWidth},
          {"labelChars", s.labelChars}, {"postUnit", s.postUnit}, {"postSeparator", s.postSeparator},
          {"postDigits", s.postDigits}};
}

// JSON that may stand inside a script element or on one event-stream line: '<', '>' and '&' could
// start markup ("<!--" and "<script" change how the element ends, not only "</"), and U+2028 and
// U+2029 end a line for older script engines. All of them only occur inside JSON strings, where the
// \u escape means the same character.
std::string scriptSafe(const json& value) {
  std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '<') out += "\\u003c";
    else if (c == '>') out += "\\u003e";
    else if (c == '&') out += "\\u0026";
    else if (text.compare(i, 3, "\xE2\x80\xA8") == 0 || text.compare(i, 3, "\xE2\x80\xA9") == 0) {
      out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

constexpr const char* kControls =
    "<div id=\"controls\"><button data-zoom=\"in\" title=\"zoom in (+)\">+</button>"
    "<button data-zoom=\"out\" title=\"zoom out (-)\">&minus;</button>"
    "<button data-zoom=\"all\" title=\"the whole line (0)\">whole line</button>"
    "<output id=\"range\"></output><span class=\"hint\">wheel or + &minus; to zoom, drag or &larr; &rarr; "
    "to pan, 0 for the whole line; click the plan or a list entry to go there</span></div></header>\n";

constexpr const char* kBody =
    "<pre id=\"errors\"></pre>\n"
    "<main><div id=\"panels\"><div id=\"stale\" hidden></div>"
    "<svg id=\"plan\" xmlns=\"http://www.w3.org/2000/svg\"></svg>\n"
    "<svg id=\"along\" xmlns=\"http://www.w3.org/2000/svg\"></svg></div>\n"
    "<aside><div id=\"verdict\" hidden><h2></h2><ul></ul></div>"
    "<input id=\"filter\" placeholder=\"find a station, signal or board\"><div id=\"list\"></div></aside></main>\n"
    "<div id=\"info\" hidden></div>\n";

}  // namespace

std::string viewerDataJson(const PlotData& data) { return scriptSafe(dataJson(data)); }

std::string renderViewerPage(const PlotData* data, const ViewerPageOptions& options) {
  std::string title = escapeXml(data ? data->title : options.title);
  std::string html;
  html += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title + "</title>\n";
  html += "<meta name=\"viewport\" content=\"width=device-width\">\n<style>";
  html += kViewerStyle;
  html += "</style>\n</head>\n<body" + std::string(options.live ? " data-live=\"1\"" : "") + ">\n";
  html += "<header><h1>" + title + "</h1><p id=\"summary\"></p><p id=\"newer\" hidden></p>\n";
  html += kControls;
  html += kBody;
  html += "<script type=\"application/json\" id=\"data\">" + (data ? viewerDataJson(*data) : "null") + "</script>\n";
  html += "<script>";
  html += kViewerScript;
  html += "</script>\n</body>\n</html>\n";
  return html;
}

json plotDataJson(const PlotData& data) { return dataJson(data); }
std::string renderScenarioHtml(const PlotData& data) { return renderViewerPage(&data, {}); }

}  // namespace pack
