// JSON-RPC 2.0 as the language server speaks it: the error codes it answers with, the shapes of its
// responses and notifications, and the framing of what it writes.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace pack::lsp {

using json = nlohmann::json;

// Error codes of JSON-RPC and of the Language Server Protocol.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;

json responseTo(const json& id, json result);
json errorTo(const json& id, int code, std::string_view message);
json notification(std::string_view method, json params);

// A log line the client shows in its output ("window/logMessage", type 3: information, 1: error).
json logMessage(std::string_view text, int type = 3);

// Writes one message with its Content-Length header and flushes, so the client sees it at once.
void writeMessage(std::ostream& out, const json& message);

}  // namespace pack::lsp
