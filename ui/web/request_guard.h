// Who may talk to `velmora serve`. The server listens on 127.0.0.1 only, but any page the
// browser shows can send requests there, and a rebinding DNS name can make them look local. So
// every request must name the server itself as its Host, a request that says where it comes from
// (Origin, Sec-Fetch-Site) must come from the page itself, and everything but the page's own
// static files must carry the token made at start-up: the API in the X-Velmora-Token header
// (for a GET also the "token" query parameter, which is how the page and its chart images are
// fetched), the page itself in the query. Exported pages, opened from a link, have their token
// in a cookie the page's own answer sets, which the browser sends to /export/ only.
#pragma once

#include <string>
#include <string_view>

namespace velmora::web {

inline constexpr std::string_view kTokenHeader = "X-Velmora-Token";

struct RequestFacts {
  std::string_view method;  // "GET", "POST", ...
  std::string_view path;
  std::string_view host;          // the Host header
  std::string_view origin;        // empty when absent
  std::string_view fetch_site;    // Sec-Fetch-Site, empty when absent
  std::string_view header_token;  // X-Velmora-Token, empty when absent
  std::string_view query_token;   // ?token=, empty when absent
  std::string_view cookie_token;  // the token cookie, empty when absent
  bool static_file = false;       // one of the page's compiled-in files
};

inline constexpr std::string_view kExportPrefix = "/export/";

// Whether the request may be served; everything else is answered 403.
bool RequestAllowed(const RequestFacts& request, std::string_view token, int port);

// The cookie that carries the token to exported pages, named after the port: cookies are kept
// per host, whatever the port, and another server may run beside this one.
std::string TokenCookieName(int port);
// The token cookie's value in a Cookie header; empty when it has none.
std::string_view TokenCookie(std::string_view cookie_header, int port);

// 32 bytes from the system's random source as 64 hex digits; empty if it gives none.
std::string NewToken();

}  // namespace velmora::web
