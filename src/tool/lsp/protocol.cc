#include "tool/lsp/protocol.h"

namespace pack::lsp {

json responseTo(const json& id, json result) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

json errorTo(const json& id, int code, std::string_view message) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", std::string(message)}}}};
}

json notification(std::string_view method, json params) {
  return {{"jsonrpc", "2.0"}, {"method", std::string(method)}, {"params", std::move(params)}};
}

json logMessage(std::string_view text, int type) {
  return notification("window/logMessage", {{"type", type}, {"message", std::string(text)}});
}

void writeMessage(std::ostream& out, const json& message) {
  // Texts of the sources are code page 1252 inside the tool; only valid UTF-8 may reach the client.
  std::string body = message.dump(-1, ' ', false, json::error_handler_t::replace);
  out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
  out.flush();
}

}  // namespace pack::lsp
