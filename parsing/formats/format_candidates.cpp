#include "parsing/formats/format_candidates.h"

#include <array>

namespace velmora {
namespace {

// In the NCSA layouts "%w%j" after the seconds skips the bracketed zone offset: log times are
// taken as written and shifted by the workspace's zone settings instead.
constexpr std::array<std::string_view, kFormatCandidateCount> kCandidates = {
    // 1-6: NCSA common (with protocol, without, the path alone, a stray quote; 5 and 6 repeat).
    "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b",
    "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r\" %c %b",
    "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%r\" %c %b",
    "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%w\"HTTP%j\" %c %b",
    "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r\" %c %b",
    "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%r\" %c %b",
    // 7-9: NCSA combined.
    "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b \"%f\" \"%B\"",
    "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r\" %c %b \"%f\" \"%B\"",
    "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%r\" %c %b \"%f\" \"%B\"",
    // 10-12: combined with a numeric month, day first.
    "%S %j %u [%d/%m/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b \"%f\" \"%B\"",
    "%S %j %u [%d/%m/%Y:%h:%n:%o%w%j] \"%e%w%r\" %c %b \"%f\" \"%B\"",
    "%S %j %u [%d/%m/%Y:%h:%n:%o%w%j] \"%r\" %c %b \"%f\" \"%B\"",
    // 13-15: combined with a numeric month first.
    "%S %j %u [%m/%d/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b \"%f\" \"%B\"",
    "%S %j %u [%m/%d/%Y:%h:%n:%o%w%j] \"%e%w%r\" %c %b \"%f\" \"%B\"",
    "%S %j %u [%m/%d/%Y:%h:%n:%o%w%j] \"%r\" %c %b \"%f\" \"%B\"",
    // 16-19: IIS comma-separated, month or day first, two- or four-digit year.
    "%S, %u, %m/%d/%y, %h:%n:%o, W3SVC%j, %j, %v, %T, %j, %b, %c, %j, %e, %r, %q,",
    "%S, %u, %m/%d/%Y, %h:%n:%o, W3SVC%j, %j, %v, %T, %j, %b, %c, %j, %e, %r, %q,",
    "%S, %u, %d/%m/%y, %h:%n:%o, W3SVC%j, %j, %v, %T, %j, %b, %c, %j, %e, %r, %q,",
    "%S, %u, %d/%m/%Y, %h:%n:%o, W3SVC%j, %j, %v, %T, %j, %b, %c, %j, %e, %r, %q,",
    // 20-21: tab-separated, month or day first ("\\t" is the format language's tab).
    "%m/%d/%y %h:%n:%o\\t%S\\t%v\\t%j\\t%u\\t%e\\t%r\\t%f\\t%j\\t%B\\t%c\\t%b\\t%T",
    "%d/%m/%y %h:%n:%o\\t%S\\t%v\\t%j\\t%u\\t%e\\t%r\\t%f\\t%j\\t%B\\t%c\\t%b\\t%T",
};

}  // namespace

std::span<const std::string_view> FormatCandidates() { return kCandidates; }

}  // namespace velmora
