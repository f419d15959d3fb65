#include "tool/serve/live_page.h"

#include "tool/plot/plot_html.h"

namespace pack {

// The viewer's own live page: it follows the event stream, redraws in place and shows the verdict.
std::string livePage(const PlotData* drawing, const std::string& title) {
  ViewerPageOptions options;
  options.live = true;
  options.title = title;
  return renderViewerPage(drawing, options);
}

}  // namespace pack
