// Fuzz target: the language server's message reader and everything behind it, on arbitrary bytes as the
// editor's side of a session. The session is initialized first, so that the input's messages reach the
// documents, the compile and the answers; nothing may crash, and every answer must be framed JSON.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "platform/memory_file_system.h"
#include "tool/lsp/server.h"

namespace {

constexpr std::size_t kMaxInput = 256 * 1024;

std::string framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  std::string stream = framed(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})");
  stream.append(reinterpret_cast<const char*>(data), size);
  std::istringstream in(stream);
  std::ostringstream out;
  pack::MemoryFileSystem disk;
  pack::lsp::runLanguageServer(in, out, disk);
  return 0;
}
