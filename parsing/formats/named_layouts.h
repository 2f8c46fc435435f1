// Layouts read by parsers of their own: the JSON access logs of Caddy and Traefik (one object a
// line) and the CSV usage logs of Google Cloud Storage, which no pattern of the format language
// describes, and the AWS load balancer logs, whose pattern is plain but whose requests name the
// whole URL ("GET https://www.example.org:443/docs/ HTTP/1.1"), of which the path is kept. Each
// is named by a format string of the form "%{name}", so that it is stored, detected, shown and
// matched like any other format: the compiler turns that string into a reference to the
// layout, and the matcher hands the line to the layout's parser.
//
// A parser takes one line and fills the record as the matcher would, copying every text (JSON
// and CSV texts are unescaped); it answers false for any line that is not one request of its
// layout, and never reads outside the line.
#pragma once

#include <span>
#include <string_view>

#include "parsing/records/log_record.h"

namespace velmora {

using LayoutLineParser = bool (*)(std::string_view line, LogRecord& record);

struct NamedLayout {
  std::string_view format;  // "%{caddy}"
  LayoutLineParser parse;
  // The start of the layout's header line (CSV column names), which is no request and no error;
  // empty when the layout has none.
  std::string_view header;
};

// The layout a format string names, or null when it is an ordinary format.
const NamedLayout* FindNamedLayout(std::string_view format);

// The parsers, for their tests and fuzz target.
bool ParseCaddyJsonLine(std::string_view line, LogRecord& record);
bool ParseTraefikJsonLine(std::string_view line, LogRecord& record);
bool ParseGcsUsageLine(std::string_view line, LogRecord& record);
bool ParseClassicLoadBalancerLine(std::string_view line, LogRecord& record);
bool ParseApplicationLoadBalancerLine(std::string_view line, LogRecord& record);

// "address:port" to the address, taking the brackets off an IPv6 one ("[2001:db8::1]:443"). An
// unbracketed IPv6 address must come with its port, the last group being taken for it.
std::string_view AddressWithoutPort(std::string_view address);

// Stores a request target as the matcher's %r does: the stem, and the query after the first "?".
void SetRequestTarget(LogRecord& record, std::string_view target);

}  // namespace velmora
