// The interactive viewer: one self-contained HTML page (inline style sheet and script from viewer.css
// and viewer.js, the scenario's drawing data as JSON) that opens from disk without any network access,
// or, served live, redraws in place from the messages of an event stream.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "tool/plot/plot_data.h"

namespace pack {

// The drawing data the page's script draws from, as one line of JSON: the profiles as runs of cells,
// the stations, the features with their source lines, the plan, the kilometre posts, "sourcesNewer" (the
// note shown in the header when the sources were saved after the compile, else null), and under "design"
// the plot design (panels, colours, legend, lanes, curve radii, tick rules). Every character
// that could end or change a script element or an event-stream line ('<', '>', '&', U+2028, U+2029;
// newlines are escaped by JSON itself) is written as a \u escape, so the text can be pasted into a page
// or sent as the data of one Server-Sent Event as it is.
std::string viewerDataJson(const PlotData& data);

struct ViewerPageOptions {
  // A live page opens `new EventSource("/events")`. Each message's data is one JSON object
  //   {"data": <viewerDataJson, or null when the sources do not compile>,
  //    "verdict": {"findings": [{"file", "line", "column", "severity", "id", "message", "position"}],
  //                "error": <text or null>, "fatal": <text or null>},
  //    "stale": <bool>}
  // where "position" is the metre along the line a finding is about, or null. The page redraws in place
  // keeping the zoom, the position and the selection; it lists the verdict beside the drawing (a click
  // on a finding with a position goes there); while "stale", it keeps the last drawing, marked as out
  // of date, with the error over it. Its script's `window.viewer.update(message)` takes the same object.
  bool live = false;
  std::string title;  // of the page while it has no data yet (a live page before its first drawing)
};

// The page; `data` may be null for a live page whose sources do not compile yet.
std::string renderViewerPage(const PlotData* data, const ViewerPageOptions& options);

// The static page of `plot --html`.
std::string renderScenarioHtml(const PlotData& data);

// The drawing data the page embeds, as JSON (the live page receives the same object for each update).
nlohmann::json plotDataJson(const PlotData& data);

}  // namespace pack
