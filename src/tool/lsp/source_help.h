// What the editor asks about a place in a source: hover, completion of keys, signature help for values,
// the outline of the source and the kilometre-post hints. Each answer is the protocol's JSON result.
#pragma once

#include <vector>

#include "compiler/model.h"
#include "tool/lsp/protocol.h"
#include "tool/lsp/source_outline.h"
#include "tool/lsp/text_positions.h"

namespace pack::lsp {

// One open source as the answers read it.
struct SourceView {
  SourceRole role;
  const LineIndex& lines;
  const std::vector<SourceLine>& outline;
  PositionEncoding encoding;
  const Model* model = nullptr;  // the unit's compiled model, when there is one with cells
};

json rangeOf(const SourceView& view, std::size_t line, std::size_t begin, std::size_t end);

json hover(const SourceView& view, Position at);
json completion(const SourceView& view, Position at);
json signatureHelp(const SourceView& view, Position at);
json documentSymbols(const SourceView& view);
json inlayHints(const SourceView& view, std::size_t firstLine, std::size_t lastLine);

}  // namespace pack::lsp
