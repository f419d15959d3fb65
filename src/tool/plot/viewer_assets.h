// The interactive page's script and style sheet, from viewer.js and viewer.css beside this header; the
// build turns them into a generated source (cmake/embed_viewer.cmake).
#pragma once

#include <string_view>

namespace pack {

extern const std::string_view kViewerScript;
extern const std::string_view kViewerStyle;

}  // namespace pack
