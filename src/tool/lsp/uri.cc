#include "tool/lsp/uri.h"

#include <cctype>

namespace pack::lsp {
namespace {

constexpr std::string_view kScheme = "file://";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> percentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int high = hexValue(text[i + 1]);
    int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

bool isDrivePath(std::string_view path) {
  return path.size() >= 3 && path[0] == '/' && std::isalpha(static_cast<unsigned char>(path[1])) &&
         path[2] == ':';
}

bool keptInUri(unsigned char c) {
  return std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
}

}  // namespace

std::optional<std::string> uriToPath(std::string_view uri) {
  if (uri.substr(0, kScheme.size()) != kScheme) return std::nullopt;
  std::string_view rest = uri.substr(kScheme.size());
  std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  rest.remove_prefix(slash);  // the host, "localhost" or none, names this machine
  std::optional<std::string> path = percentDecoded(rest);
  if (!path || path->find('\0') != std::string::npos) return std::nullopt;
  if (!isDrivePath(*path)) return path;
  std::string windows = path->substr(1);
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  return windows;
}

std::string pathToUri(std::string_view path) {
  bool drive = path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
  // A Windows path becomes "/C:/...": built by appending (GCC 12 warns falsely about insert(0, ...)).
  std::string forward = drive ? "/" : "";
  for (char c : path) forward += drive && c == '\\' ? '/' : c;
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri(kScheme);
  for (std::size_t i = 0; i < forward.size(); ++i) {
    auto c = static_cast<unsigned char>(forward[i]);
    if (keptInUri(c) || (drive && i == 2 && c == ':')) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

}  // namespace pack::lsp
