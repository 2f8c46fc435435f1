#include "parsing/formats/format_candidates.h"

#include <array>

namespace velmora {
namespace {

// In the NCSA layouts "%w%j" after the seconds skips the bracketed zone offset: log times are
// taken as written and shifted by the workspace's zone settings instead. "%W%j" after a layout
// takes the fields a server appends (forwarded-for, request and upstream times, the host): a file
// whose lines carry them fails every layout without it, so it reaches these.
constexpr std::array<FormatCandidate, kFormatCandidateCount> kCandidates = {{
    // 1-6: NCSA common (with protocol, without, the path alone, a stray quote; 5 and 6 repeat).
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b", "NCSA common"},
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r\" %c %b", "NCSA common, no protocol"},
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%r\" %c %b", "NCSA common, path alone"},
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%w\"HTTP%j\" %c %b", "NCSA common, stray quote"},
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r\" %c %b", "NCSA common, no protocol"},
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%r\" %c %b", "NCSA common, path alone"},
    // 7-9: NCSA combined.
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b \"%f\" \"%B\"", "NCSA combined"},
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r\" %c %b \"%f\" \"%B\"",
     "NCSA combined, no protocol"},
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%r\" %c %b \"%f\" \"%B\"", "NCSA combined, path alone"},
    // 10-12: combined with a numeric month, day first.
    {"%S %j %u [%d/%m/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b \"%f\" \"%B\"",
     "NCSA combined, numeric date, day first"},
    {"%S %j %u [%d/%m/%Y:%h:%n:%o%w%j] \"%e%w%r\" %c %b \"%f\" \"%B\"",
     "NCSA combined, numeric date, day first, no protocol"},
    {"%S %j %u [%d/%m/%Y:%h:%n:%o%w%j] \"%r\" %c %b \"%f\" \"%B\"",
     "NCSA combined, numeric date, day first, path alone"},
    // 13-15: combined with a numeric month first.
    {"%S %j %u [%m/%d/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b \"%f\" \"%B\"",
     "NCSA combined, numeric date, month first"},
    {"%S %j %u [%m/%d/%Y:%h:%n:%o%w%j] \"%e%w%r\" %c %b \"%f\" \"%B\"",
     "NCSA combined, numeric date, month first, no protocol"},
    {"%S %j %u [%m/%d/%Y:%h:%n:%o%w%j] \"%r\" %c %b \"%f\" \"%B\"",
     "NCSA combined, numeric date, month first, path alone"},
    // 16-19: IIS comma-separated, month or day first, two- or four-digit year.
    {"%S, %u, %m/%d/%y, %h:%n:%o, W3SVC%j, %j, %v, %T, %j, %b, %c, %j, %e, %r, %q,",
     "IIS native, month first"},
    {"%S, %u, %m/%d/%Y, %h:%n:%o, W3SVC%j, %j, %v, %T, %j, %b, %c, %j, %e, %r, %q,",
     "IIS native, month first"},
    {"%S, %u, %d/%m/%y, %h:%n:%o, W3SVC%j, %j, %v, %T, %j, %b, %c, %j, %e, %r, %q,",
     "IIS native, day first"},
    {"%S, %u, %d/%m/%Y, %h:%n:%o, W3SVC%j, %j, %v, %T, %j, %b, %c, %j, %e, %r, %q,",
     "IIS native, day first"},
    // 20-21: tab-separated, month or day first ("\\t" is the format language's tab).
    {"%m/%d/%y %h:%n:%o\\t%S\\t%v\\t%j\\t%u\\t%e\\t%r\\t%f\\t%j\\t%B\\t%c\\t%b\\t%T",
     "tab-separated, month first"},
    {"%d/%m/%y %h:%n:%o\\t%S\\t%v\\t%j\\t%u\\t%e\\t%r\\t%f\\t%j\\t%B\\t%c\\t%b\\t%T",
     "tab-separated, day first"},
    // 22-23: combined, then common, with fields appended. Combined first: its two quoted fields
    // would otherwise pass for two extra fields of a common line.
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b \"%f\" \"%B\"%W%j",
     "NCSA combined"},
    {"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b%W%j", "NCSA common"},
    // 24-25: a virtual host ("host" or "host:port") before the client, with or without extras.
    {"%v %S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b \"%f\" \"%B\"%W%j",
     "virtual-host combined"},
    {"%v %S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b%W%j", "virtual-host common"},
    // 26: Amazon S3 server access log: owner, bucket, time, client, requester, request id,
    // operation, key, request, status, error code, bytes sent, object size, total time (ms),
    // turn-around time, referrer, user agent, then the version id and the fields added since.
    {"%j %j [%d/%M/%Y:%h:%n:%o%w%j] %S %j %j %j %j \"%e%w%r%wHTTP%j\" %c %j %b %j %T %j \"%f\" "
     "\"%B\" %j",
     "Amazon S3 access log"},
    // 27-28: Elastic Load Balancing, classic and application (named_layouts.h): a pattern, and
    // of the whole URL each request names only the path.
    {"%{aws-elb}", "AWS classic load balancer"},
    {"%{aws-alb}", "AWS application load balancer"},
    // 29: Squid native: Unix time with milliseconds, elapsed ms, client, cache result/status,
    // bytes, method, URL, user, hierarchy/peer, content type.
    {"%U.%j%w%T %S %j/%c %b %e %r %j %j %j", "Squid native"},
    // 30-32: layouts with parsers of their own (named_layouts.h).
    {"%{gcs}", "Google Cloud Storage usage (CSV)"},
    {"%{caddy}", "Caddy JSON"},
    {"%{traefik}", "Traefik JSON"},
}};

constexpr std::array<std::string_view, kFormatCandidateCount> kFormats = [] {
  std::array<std::string_view, kFormatCandidateCount> formats{};
  for (int i = 0; i < kFormatCandidateCount; ++i) formats[i] = kCandidates[i].format;
  return formats;
}();

}  // namespace

std::span<const FormatCandidate> FormatCandidateTable() { return kCandidates; }
std::span<const std::string_view> FormatCandidates() { return kFormats; }

}  // namespace velmora
