#include "ui/web/request_guard.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>

namespace velmora::web {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Takes as long for a wrong token as for a right one of the same length.
bool SameToken(std::string_view given, std::string_view token) {
  if (given.size() != token.size() || token.empty()) return false;
  unsigned char differ = 0;
  for (size_t i = 0; i < token.size(); ++i) differ |= given[i] ^ token[i];
  return differ == 0;
}

bool IsOwnHost(std::string_view host, int port) {
  const std::string suffix = ":" + std::to_string(port);
  if (host.size() <= suffix.size() || host.substr(host.size() - suffix.size()) != suffix) {
    return false;
  }
  const std::string_view name = host.substr(0, host.size() - suffix.size());
  return name == "127.0.0.1" || EqualNoCase(name, "localhost");
}

bool IsOwnOrigin(std::string_view origin, int port) {
  constexpr std::string_view kScheme = "http://";
  return origin.substr(0, kScheme.size()) == kScheme &&
         IsOwnHost(origin.substr(kScheme.size()), port);
}

}  // namespace

bool RequestAllowed(const RequestFacts& request, std::string_view token, int port) {
  if (!IsOwnHost(request.host, port)) return false;
  if (!request.origin.empty() && !IsOwnOrigin(request.origin, port)) return false;
  if (request.fetch_site == "cross-site" || request.fetch_site == "same-site") return false;
  const bool get = request.method == "GET" || request.method == "HEAD";
  if (!get && request.method != "POST") return false;
  if (request.static_file) return get;
  if (SameToken(request.header_token, token)) return true;
  if (get && request.path.substr(0, kExportPrefix.size()) == kExportPrefix &&
      SameToken(request.cookie_token, token)) {
    return true;
  }
  // A query token only fetches; a change needs the header, which no form or link can set.
  return get && SameToken(request.query_token, token);
}

std::string TokenCookieName(int port) { return "velmora-token-" + std::to_string(port); }

std::string_view TokenCookie(std::string_view cookie_header, int port) {
  const std::string name = TokenCookieName(port) + "=";
  size_t at = 0;
  while (at < cookie_header.size()) {
    size_t end = cookie_header.find(';', at);
    if (end == std::string_view::npos) end = cookie_header.size();
    std::string_view pair = cookie_header.substr(at, end - at);
    while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
    if (pair.substr(0, name.size()) == name) return pair.substr(name.size());
    at = end + 1;
  }
  return {};
}

std::string NewToken() {
  std::array<uint8_t, 32> bytes{};
  size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return {};
    filled += static_cast<size_t>(got);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (uint8_t b : bytes) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

}  // namespace velmora::web
