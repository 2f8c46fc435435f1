#include "ui/web/request_guard.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdint>

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
  // A query token only fetches; a change needs the header, which no form or link can set.
  return get && SameToken(request.query_token, token);
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
