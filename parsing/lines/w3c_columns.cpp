#include "parsing/lines/w3c_columns.h"

#include <array>
#include <cstdint>

#include "core/ascii.h"

namespace velmora {
namespace {

struct NamedColumn {
  std::string_view name;
  W3cColumn column;
};

constexpr std::array<NamedColumn, 19> kColumns = {{
    {"date", W3cColumn::kDate},
    {"time", W3cColumn::kTime},
    {"c-ip", W3cColumn::kClientHost},
    {"cs-username", W3cColumn::kUserName},
    {"s-sitename", W3cColumn::kSiteName},
    {"s-computername", W3cColumn::kServerName},
    {"s-ip", W3cColumn::kServerAddress},
    {"s-port", W3cColumn::kServerPort},
    {"cs-method", W3cColumn::kMethod},
    {"cs-uri-stem", W3cColumn::kUriStem},
    {"cs-uri-query", W3cColumn::kQuery},
    {"sc-status", W3cColumn::kStatus},
    {"sc-bytes", W3cColumn::kBytesSent},
    {"cs-bytes", W3cColumn::kBytesReceived},
    {"time-taken", W3cColumn::kTimeTaken},
    {"cs-version", W3cColumn::kProtocolVersion},
    {"cs-host", W3cColumn::kHostHeader},
    {"cs(User-Agent)", W3cColumn::kUserAgent},
    {"cs(Referer)", W3cColumn::kReferrer},
}};

}  // namespace

W3cColumn W3cColumnForName(std::string_view name) {
  for (const NamedColumn& entry : kColumns) {
    if (AsciiEqualsIgnoreCase(name, entry.name)) return entry.column;
  }
  return W3cColumn::kIgnored;
}

std::vector<W3cColumn> ResolveW3cColumns(std::string_view field_names) {
  std::vector<W3cColumn> columns;
  ForEachW3cWord(field_names, [&columns](std::string_view name) {
    columns.push_back(W3cColumnForName(name));
    return true;
  });
  return columns;
}

LogText LogRecord::*W3cTextMember(W3cColumn column) {
  switch (column) {
    case W3cColumn::kClientHost:
      return &LogRecord::client_host;
    case W3cColumn::kUserName:
      return &LogRecord::user_name;
    case W3cColumn::kSiteName:
      return &LogRecord::site_name;
    case W3cColumn::kServerName:
      return &LogRecord::server_name;
    case W3cColumn::kServerAddress:
      return &LogRecord::server_address;
    case W3cColumn::kMethod:
      return &LogRecord::method;
    case W3cColumn::kUriStem:
      return &LogRecord::uri_stem;
    case W3cColumn::kQuery:
      return &LogRecord::query;
    case W3cColumn::kProtocolVersion:
      return &LogRecord::protocol_version;
    case W3cColumn::kHostHeader:
      return &LogRecord::host_header;
    case W3cColumn::kUserAgent:
      return &LogRecord::user_agent;
    case W3cColumn::kReferrer:
      return &LogRecord::referrer;
    default:
      return nullptr;
  }
}

int32_t LogRecord::*W3cNumberMember(W3cColumn column) {
  switch (column) {
    case W3cColumn::kServerPort:
      return &LogRecord::server_port;
    case W3cColumn::kStatus:
      return &LogRecord::status;
    case W3cColumn::kBytesSent:
      return &LogRecord::bytes_sent;
    case W3cColumn::kBytesReceived:
      return &LogRecord::bytes_received;
    case W3cColumn::kTimeTaken:
      return &LogRecord::time_taken;
    default:
      return nullptr;
  }
}

}  // namespace velmora
