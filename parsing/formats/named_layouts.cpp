#include "parsing/formats/named_layouts.h"

#include <array>
#include <string>

#include "core/ascii.h"
#include "parsing/formats/format_compiler.h"
#include "parsing/formats/format_matcher.h"

namespace velmora {
namespace {

// The header of a usage log names its first column first.
constexpr std::array<NamedLayout, 5> kNamedLayouts = {{
    {"%{aws-elb}", ParseClassicLoadBalancerLine, ""},
    {"%{aws-alb}", ParseApplicationLoadBalancerLine, ""},
    {"%{gcs}", ParseGcsUsageLine, "\"time_micros\""},
    {"%{caddy}", ParseCaddyJsonLine, ""},
    {"%{traefik}", ParseTraefikJsonLine, ""},
}};

// Elastic Load Balancing, classic and application (the latter opens with the request type): UTC
// time, balancer, client:port, target:port, three processing times, the balancer's and the
// target's status, bytes received and sent, request, user agent, then TLS and more.
constexpr std::string_view kClassicLoadBalancer =
    "%Y-%m-%dT%h:%n:%o.%jZ %j %S %j %j %j %j %c %j %j %b \"%e%w%r%wHTTP%j\" \"%B\" %j";
constexpr std::string_view kApplicationLoadBalancer =
    "%j %Y-%m-%dT%h:%n:%o.%jZ %j %S %j %j %j %j %c %j %j %b \"%e%w%r%wHTTP%j\" \"%B\" %j";

// The pattern, then the client without its port (an IPv6 client's address holds colons too, so
// the pattern takes both as one field) and the request's path without the scheme, host and port
// before it.
bool MatchWithoutOrigin(std::string_view line, LogRecord& record, const CompiledFormat& pattern) {
  if (!MatchPattern(line, record, pattern)) return false;
  record.client_host.assign(std::string(AddressWithoutPort(record.client_host.view())));
  const std::string_view target = record.uri_stem.view();
  const size_t scheme = target.find("://");
  if (scheme == std::string_view::npos) return true;  // "host:443" of a CONNECT, say
  const std::string_view name = target.substr(0, scheme);
  if (!AsciiEqualsIgnoreCase(name, "http") && !AsciiEqualsIgnoreCase(name, "https")) return true;
  const size_t path = target.find('/', scheme + 3);
  record.uri_stem.assign(path == std::string_view::npos ? "/" : std::string(target.substr(path)));
  return true;
}

}  // namespace

const NamedLayout* FindNamedLayout(std::string_view format) {
  for (const NamedLayout& layout : kNamedLayouts) {
    if (layout.format == format) return &layout;
  }
  return nullptr;
}

bool ParseClassicLoadBalancerLine(std::string_view line, LogRecord& record) {
  static const CompiledFormat pattern = CompiledFormat::Compile(kClassicLoadBalancer);
  return MatchWithoutOrigin(line, record, pattern);
}

bool ParseApplicationLoadBalancerLine(std::string_view line, LogRecord& record) {
  static const CompiledFormat pattern = CompiledFormat::Compile(kApplicationLoadBalancer);
  return MatchWithoutOrigin(line, record, pattern);
}

std::string_view AddressWithoutPort(std::string_view address) {
  const size_t colon = address.rfind(':');
  if (colon == std::string_view::npos) return address;
  address = address.substr(0, colon);
  if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
    address = address.substr(1, address.size() - 2);
  }
  return address;
}

void SetRequestTarget(LogRecord& record, std::string_view target) {
  const size_t question = target.find('?');
  record.uri_stem.assign(target.substr(0, question));
  if (question != std::string_view::npos) record.query.assign(target.substr(question + 1));
}

}  // namespace velmora
