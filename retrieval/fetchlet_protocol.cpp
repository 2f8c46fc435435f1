#include "retrieval/fetchlet_protocol.h"

#include <algorithm>
#include <charconv>

#include "core/ascii.h"

namespace velmora {
namespace {

// Characters RFC 3986 does not allow raw in a path or query, plus '%' itself: everything else
// printable is an unreserved character, a sub-delimiter, ':', '@', '/' or '?'.
bool MustEncode(unsigned char c) {
  if (c <= 0x20 || c >= 0x7f) return true;
  switch (c) {
    case '"':
    case '#':
    case '%':
    case '<':
    case '>':
    case '[':
    case '\\':
    case ']':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string EncodeRequestPart(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (MustEncode(c)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string FetchletListRequest(std::string_view interface_path, int files_to_keep, bool gzip,
                                std::string_view log_path) {
  return EncodeRequestPart(interface_path) + "?dir&" + std::to_string(files_to_keep) + "&" +
         (gzip ? "1" : "0") + "&" + EncodeRequestPart(log_path);
}

std::string FetchletGetRequest(std::string_view interface_path, std::string_view entry,
                               std::string_view log_path) {
  return EncodeRequestPart(interface_path) + "?get&" + EncodeRequestPart(entry) + "&" +
         EncodeRequestPart(log_path);
}

FetchletList ReadFetchletList(std::string_view body) {
  FetchletList list;
  constexpr std::string_view kBlanks = " \t\r\n";
  while (!body.empty()) {
    const size_t end = body.find_first_of("\r\n");
    std::string_view line = body.substr(0, std::min<size_t>(end, 1024));
    body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
    const size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) continue;
    line = line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
    // The line is shown to the user: nothing in it may drive the terminal.
    for (const char ch : line) {
      const auto c = static_cast<unsigned char>(ch);
      list.first_line += (c < 0x20 || c == 0x7f) ? '?' : ch;
    }
    list.ok = line.size() >= 2 && AsciiLowered(line.substr(0, 2)) == "ok";
    if (list.ok) list.entries = body;
    break;
  }
  return list;
}

HttpEndpoint ParseServerName(std::string_view name, int default_port) {
  HttpEndpoint endpoint;
  endpoint.port = default_port;
  const std::string lowered = AsciiLowered(name.substr(0, 8));
  if (lowered.rfind("https://", 0) == 0) {
    endpoint.tls = true;
    endpoint.port = 443;
    name.remove_prefix(8);
  } else if (lowered.rfind("http://", 0) == 0) {
    name.remove_prefix(7);
  }
  name = name.substr(0, name.find_first_of("/?#"));
  // "[::1]:8080": the colon of the port comes after the bracket.
  const size_t bracket = name.rfind(']');
  const size_t colon = name.rfind(':');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    const std::string_view digits = name.substr(colon + 1);
    int port = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error != std::errc() || end != digits.data() + digits.size() || port < 1 || port > 65535) {
      return {};  // a port that is no port: no usable host either
    }
    endpoint.port = port;
    name = name.substr(0, colon);
  }
  endpoint.host = std::string(name);
  return endpoint;
}

}  // namespace velmora
