// Log filters: an ordered list of condition sets over the raw request that can rewrite the
// request's texts and override its resource type and logging strategy. They run inside record
// completion before the resource rules, which then see any rewritten resource.
//
// From the top, each filter tests its conditions in a fixed order (address, status, method,
// referrer, user agent, resource, query); the first that fails skips the filter. A filter that
// matches applies its replacements, its logging action, then its type action, and ends the walk
// unless "Continue with other filters" is on. An operation outside its documented range tests
// nothing (as Any); a type or logging action outside its range changes nothing (as Unchanged).
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "analysis/rules/filter_types.h"
#include "analysis/rules/network_text.h"
#include "parsing/records/log_record.h"
#include "parsing/records/record_completion.h"

namespace velmora {

// The filters of a workspace prepared once for a parse run: each filter's network is read from
// its address text here, so the numbers stored beside that text are never trusted over it.
class LogFilterSet {
 public:
  explicit LogFilterSet(std::vector<LogFilter> filters);

  // Applies the filters to `record` (its numeric client address already set) and returns what
  // they decided. Replaced texts are cut to the record's 2,048 characters.
  LogFilterVerdict Apply(LogRecord& record) const;

  bool empty() const { return filters_.empty(); }

 private:
  std::vector<LogFilter> filters_;
  std::vector<NetworkAddress> networks_;  // one per filter
};

// LogFilterSet(filters).Apply(record), for a single request.
LogFilterVerdict ApplyLogFilters(std::span<const LogFilter> filters, LogRecord& record);

// Whether one filter's conditions all hold for `record`, `network` being its address text read.
bool LogFilterMatches(const LogFilter& filter, const NetworkAddress& network,
                      const LogRecord& record);

}  // namespace velmora
