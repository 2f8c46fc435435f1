#include "analysis/referrers/referrer_domain.h"

#include "analysis/referrers/referrer_decode.h"
#include "core/ascii.h"

namespace velmora {

std::string ExtractReferrerDomain(std::string_view referrer) {
  const std::string_view head = referrer.substr(0, 4);
  if (head == "file" || head == "res:") return std::string(kDirectRequestDomain);
  size_t i = referrer.find('/');
  if (i == std::string_view::npos || i + 1 >= referrer.size() || referrer[i + 1] != '/') {
    return std::string(kDirectRequestDomain);
  }
  i += 2;
  if (referrer.substr(i, 4) == "www.") i += 4;
  std::string host;
  for (; i < referrer.size(); ++i) {
    const char c = referrer[i];
    if (c == '/' || c == ':' || c == ')') break;
    host += AsciiLower(c);
  }
  if (host.empty()) return std::string(kDirectRequestDomain);
  // The first character stays even when it is a space or a dot.
  while (host.size() > 1 && (host.back() == ' ' || host.back() == '.')) host.pop_back();
  return DecodeUrlText(host);
}

}  // namespace velmora
