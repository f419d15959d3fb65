# Turns the viewer's script and style sheet into one C++ source, so that the page the tool writes stays
# one self-contained file while the script and the style are edited, checked and read as files.
#   cmake -DSCRIPT=viewer.js -DSTYLE=viewer.css -DOUTPUT=viewer_assets.cc -P embed_viewer.cmake
file(READ "${SCRIPT}" script)
file(READ "${STYLE}" style)
foreach(part script style)
  # Each is pasted raw into the page: nothing in it may end its element or the raw string early.
  string(TOLOWER "${${part}}" lower)
  foreach(bad "</script" "</style" "<!--" ")viewer\"")
    string(FIND "${lower}" "${bad}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "embed_viewer: the viewer's ${part} holds \"${bad}\", which would end it early in the page")
    endif()
  endforeach()
endforeach()
set(text "// Generated from src/tool/plot/viewer.js and viewer.css by cmake/embed_viewer.cmake: edit those.\n")
string(APPEND text "#include \"tool/plot/viewer_assets.h\"\n\nnamespace pack {\n\n")
string(APPEND text "const std::string_view kViewerScript = R\"viewer(${script})viewer\";\n\n")
string(APPEND text "const std::string_view kViewerStyle = R\"viewer(${style})viewer\";\n\n}  // namespace pack\n")
# Written only when it changed, so that an unrelated build does not recompile it.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${text}")
