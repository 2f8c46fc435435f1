// The JSON access logs: Caddy's (its "http.log.access" logger) and Traefik's (accessLog with
// format json). Both write one object a line; the names below are the keys their documentation
// gives. A line is a request when it names a method and a target; every other key is optional,
// and a value of the wrong type counts as absent.
#include <array>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "parsing/formats/named_layouts.h"
#include "parsing/records/record_time.h"

namespace velmora {
namespace {

using Json = nlohmann::json;

const Json* Member(const Json* object, std::string_view key) {
  if (object == nullptr || !object->is_object()) return nullptr;
  const auto it = object->find(key);
  return it == object->end() ? nullptr : &*it;
}

std::string_view Text(const Json* value) {
  if (value == nullptr || !value->is_string()) return {};
  return value->get_ref<const std::string&>();
}

// A number, or NaN when the value is none.
double Number(const Json* value) {
  if (value == nullptr || !value->is_number()) return std::numeric_limits<double>::quiet_NaN();
  return value->get<double>();
}

// A count held in 32 bits: negative and absent give 0, a larger one the largest.
int32_t Count(double value) {
  if (!(value > 0)) return 0;
  if (value >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

// The first value of a header given as a list of texts (Caddy) or as one text.
std::string_view HeaderValue(const Json* value) {
  if (value != nullptr && value->is_array() && !value->empty()) return Text(&value->front());
  return Text(value);
}

// A time given as Unix seconds (with a fraction) or as an RFC 3339 text; the text goes where the
// completion reads date and time texts, and is read there.
void SetTime(const Json* value, LogRecord& record) {
  const double seconds = Number(value);
  if (seconds >= 0 && seconds < 1e15) {
    SetUnixTime(record, static_cast<uint64_t>(seconds));
  } else {
    record.date_time.assign(Text(value));
  }
}

std::optional<Json> ParseObject(std::string_view line) {
  if (line.empty() || line.front() != '{') return std::nullopt;
  Json json = Json::parse(line, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded() || !json.is_object()) return std::nullopt;
  return json;
}

// Where a value sits: a key, or the keys of nested objects from the outside in.
using KeyPath = std::array<std::string_view, 3>;

// The value at `path`, or null when it is absent (or the path empty).
const Json* Find(const Json& root, const KeyPath& path) {
  if (path[0].empty()) return nullptr;
  const Json* value = &root;
  for (const std::string_view key : path) {
    if (key.empty()) break;
    value = Member(value, key);
  }
  return value;
}

// Where one layout keeps each field of a request; a path left empty is a field it lacks.
struct JsonLayoutKeys {
  KeyPath method, target;
  KeyPath client, client_fallback;  // the fallback may carry ":port"
  KeyPath protocol, host, user_agent, referrer;
  KeyPath status, bytes_sent, bytes_received;
  KeyPath time_taken;
  double to_milliseconds;  // what one unit of time_taken is worth
  KeyPath time, time_fallback;
};

bool ParseJsonLayout(std::string_view line, LogRecord& record, const JsonLayoutKeys& keys) {
  const std::optional<Json> json = ParseObject(line);
  if (!json) return false;
  const std::string_view method = HeaderValue(Find(*json, keys.method));
  const std::string_view target = HeaderValue(Find(*json, keys.target));
  if (method.empty() || target.empty()) return false;
  record.method.assign(method);
  SetRequestTarget(record, target);
  std::string_view client = HeaderValue(Find(*json, keys.client));
  if (client.empty()) client = AddressWithoutPort(HeaderValue(Find(*json, keys.client_fallback)));
  record.client_host.assign(client);
  record.protocol_version.assign(HeaderValue(Find(*json, keys.protocol)));
  record.host_header.assign(HeaderValue(Find(*json, keys.host)));
  record.user_agent.assign(HeaderValue(Find(*json, keys.user_agent)));
  record.referrer.assign(HeaderValue(Find(*json, keys.referrer)));
  record.status = Count(Number(Find(*json, keys.status)));
  record.bytes_sent = Count(Number(Find(*json, keys.bytes_sent)));
  record.bytes_received = Count(Number(Find(*json, keys.bytes_received)));
  record.time_taken = Count(Number(Find(*json, keys.time_taken)) * keys.to_milliseconds);
  const Json* time = Find(*json, keys.time);
  SetTime(time != nullptr ? time : Find(*json, keys.time_fallback), record);
  return true;
}

// Caddy: the request in its own object, headers as lists of values; client_ip is the client
// behind trusted proxies (older versions log remote_ip alone); duration in seconds.
constexpr JsonLayoutKeys kCaddyKeys = {
    .method = {"request", "method"},
    .target = {"request", "uri"},
    .client = {"request", "client_ip"},
    .client_fallback = {"request", "remote_ip"},
    .protocol = {"request", "proto"},
    .host = {"request", "host"},
    .user_agent = {"request", "headers", "User-Agent"},
    .referrer = {"request", "headers", "Referer"},
    .status = {"status"},
    .bytes_sent = {"size"},
    .bytes_received = {"bytes_read"},
    .time_taken = {"duration"},
    .to_milliseconds = 1000,
    .time = {"ts"},
    .time_fallback = {},
};

// Traefik: flat keys; headers only when the configuration keeps them, as "request_<Name>";
// Duration in nanoseconds.
constexpr JsonLayoutKeys kTraefikKeys = {
    .method = {"RequestMethod"},
    .target = {"RequestPath"},
    .client = {"ClientHost"},
    .client_fallback = {"ClientAddr"},
    .protocol = {"RequestProtocol"},
    .host = {"RequestHost"},
    .user_agent = {"request_User-Agent"},
    .referrer = {"request_Referer"},
    .status = {"DownstreamStatus"},
    .bytes_sent = {"DownstreamContentSize"},
    .bytes_received = {"RequestContentSize"},
    .time_taken = {"Duration"},
    .to_milliseconds = 1e-6,
    .time = {"StartUTC"},
    .time_fallback = {"time"},
};

}  // namespace

bool ParseCaddyJsonLine(std::string_view line, LogRecord& record) {
  return ParseJsonLayout(line, record, kCaddyKeys);
}

bool ParseTraefikJsonLine(std::string_view line, LogRecord& record) {
  return ParseJsonLayout(line, record, kTraefikKeys);
}

}  // namespace velmora
