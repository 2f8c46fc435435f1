// CompleteRecord: the step every parsed record goes through before the analysis. It puts the
// request time on the user's clock, appends the default document to directory requests, makes
// the client address numeric, lets the log filters and resource rules decide the request class,
// and normalises the texts the analysis keys on.
//
// Settings arrive as a plain ParseOptions value, so parsing never depends on the workspace.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "parsing/records/log_record.h"

namespace velmora {

// What the log filters decided about one request: a resource type and/or a logging flag, each
// only when some matching filter set it.
struct LogFilterVerdict {
  bool type_set = false;
  uint32_t type = 0;  // 0..3
  bool logging_set = false;
  uint32_t logging = 0;  // 0, 0x100 or 0x200
};

// Resource rules: the request class for a URL path as logged.
using ResourceRulesFn = std::function<uint32_t(std::string_view url)>;
// Log filters: may rewrite the record's user agent, referrer, resource and query.
using LogFiltersFn = std::function<LogFilterVerdict(LogRecord& record)>;

// What the rules and filters of a run decided, counted for the summary the user reads: whether
// the rules fit the site, and what the filters took out. Kept by the parse thread alone.
struct CompletionTally {
  int64_t requests = 0;  // records completed
  // Requests no rule but a catch-all ("*") took, and that one made no page.
  int64_t fell_through = 0;
  int64_t dropped_by_filters = 0;  // a log filter made them "Do not log"
  int64_t typed_by_filters = 0;    // a log filter set their resource type (and they are logged)
};

struct ParseOptions {
  std::string default_file;         // appended to a URI stem that ends in "/" or "\"
  int32_t time_offset_seconds = 0;  // server clock to user clock
  ResourceRulesFn resource_rules;   // empty: the rules of a new workspace
  LogFiltersFn log_filters;         // empty: filters off (or no filters)
  // Where completion and the rules count; null counts nothing. Shared by the copies of a run's
  // options, so the run reads back what its parsers counted.
  std::shared_ptr<CompletionTally> tally;
};

// The whole completion, in the order described above. True when the record is to be analysed
// (its class carries the visit or non-visit flag); when false, the referrer, user agent and case
// mapping are left as read.
bool CompleteRecord(const ParseOptions& options, LogRecord& record);

// The client host as a numeric IPv4 address, first group in the most significant byte: groups
// of digits separated by ".", each shifted in from the right. Empty text gives 0; any other
// character, a group above 255 or more than four groups gives 0xFFFFFFFF. "1.2.3" is 0x00010203.
uint32_t ClientAddressOf(std::string_view host);

}  // namespace velmora
